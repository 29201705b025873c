# 32-bit Windows: the shipped programs (installer, impborl.dll, tools).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELUMAR_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
