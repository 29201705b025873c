# velumar_add_gtest(<name> SOURCES ... [LIBS ...] [LABELS ...])
#
# One GoogleTest program, registered as one ctest test named "<build>/<name>"
# and labelled with its build ("native" or "win32") plus any extra labels
# ("e2e" for end-to-end runs). Win32 programs run under Wine through the
# toolchain's CMAKE_CROSSCOMPILING_EMULATOR.
if(VELUMAR_WIN32)
  set(VELUMAR_BUILD_LABEL win32)
else()
  set(VELUMAR_BUILD_LABEL native)
endif()

function(velumar_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  add_test(NAME ${VELUMAR_BUILD_LABEL}/${name} COMMAND ${name})
  set_tests_properties(${VELUMAR_BUILD_LABEL}/${name} PROPERTIES
    LABELS "${VELUMAR_BUILD_LABEL};${ARG_LABELS}"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
