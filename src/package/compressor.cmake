# The implode binding (TCompressor), included by this folder's CMakeLists.txt. It loads
# impborl.dll at run time, so only the Windows build has it; it does not link the library.
if(VELUMAR_WIN32)
  target_sources(velumar_package PRIVATE ${CMAKE_CURRENT_LIST_DIR}/pk_stuff.cpp)
  target_link_libraries(velumar_package PUBLIC velumar_util)
endif()
