# 32-bit Windows: the shipped programs (installer, uninstaller, impborl.dll),
# the package tool, and on hosts whose Wine runs 32-bit programs the tests.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELUMAR_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
