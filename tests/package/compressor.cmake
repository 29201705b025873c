# Tests of the implode binding, included by this folder's CMakeLists.txt (Windows build only).
# The test program finds impborl.dll and a stand-in library without _explode beside itself.
if(VELUMAR_WIN32)
  add_library(impborl_noexplode SHARED
    ${CMAKE_CURRENT_LIST_DIR}/impborl_noexplode.c
    ${CMAKE_CURRENT_LIST_DIR}/impborl_noexplode.def)
  set_target_properties(impborl_noexplode PROPERTIES PREFIX "")

  velumar_add_gtest(package_compressor_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/pk_stuff_win32_test.cpp
    LIBS velumar_package velumar_util)
  add_dependencies(package_compressor_test impborl impborl_noexplode)
  add_custom_command(TARGET package_compressor_test POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            $<TARGET_FILE:impborl> $<TARGET_FILE:impborl_noexplode>
            $<TARGET_FILE_DIR:package_compressor_test>)
endif()
