# 32-bit Windows test programs (posix-thread compilers).
set(VELUMAR_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
