# Data file expansion, included by this folder's CMakeLists.txt: the portable rules build
# everywhere, the expansion itself only in the Windows build.
target_sources(velumar_package PRIVATE ${CMAKE_CURRENT_LIST_DIR}/datafile_expand.cpp)
if(VELUMAR_WIN32)
  target_sources(velumar_package PRIVATE ${CMAKE_CURRENT_LIST_DIR}/datafile_win32.cpp)
  target_link_libraries(velumar_package PUBLIC velumar_util)
endif()
