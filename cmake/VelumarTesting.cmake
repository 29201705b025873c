# velumar_add_gtest(<name> SOURCES ... [LIBS ...] [LABELS ...])
#
# One GoogleTest program, registered as one ctest test named "<build>/<name>"
# and labelled with its build ("native", "win32"; the x86-64 Windows build is
# named "win64" and also labelled "win32") plus any extra labels
# ("e2e" for end-to-end runs). Win32 programs run under Wine through the
# toolchain's CMAKE_CROSSCOMPILING_EMULATOR.
if(VELUMAR_WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VELUMAR_BUILD_LABEL win64)
elseif(VELUMAR_WIN32)
  set(VELUMAR_BUILD_LABEL win32)
else()
  set(VELUMAR_BUILD_LABEL native)
endif()

set(VELUMAR_TEST_LABELS ${VELUMAR_BUILD_LABEL})
if(VELUMAR_BUILD_LABEL STREQUAL "win64")
  list(APPEND VELUMAR_TEST_LABELS win32)
endif()

function(velumar_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  add_test(NAME ${VELUMAR_BUILD_LABEL}/${name} COMMAND ${name})
  set_tests_properties(${VELUMAR_BUILD_LABEL}/${name} PROPERTIES
    LABELS "${VELUMAR_TEST_LABELS};${ARG_LABELS}"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
