# Tests of entry extraction and the error reporter, included by this folder's CMakeLists.txt.
velumar_add_gtest(package_extract_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/extract_test.cpp
  LIBS velumar_package)

if(VELUMAR_WIN32)
  velumar_add_gtest(package_extract_win32_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/extract_win32_test.cpp
    LIBS velumar_package velumar_util)
  target_include_directories(package_extract_win32_test PRIVATE ${PROJECT_SOURCE_DIR}/tests)
endif()
