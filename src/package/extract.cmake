# Entry extraction and the error reporter, included by this folder's CMakeLists.txt: the
# message wording and range checks everywhere, the file writing in the Windows build.
target_sources(velumar_package PRIVATE ${CMAKE_CURRENT_LIST_DIR}/extract.cpp)
if(VELUMAR_WIN32)
  target_sources(velumar_package PRIVATE ${CMAKE_CURRENT_LIST_DIR}/extract_win32.cpp)
endif()
