# x86-64 Windows test programs (posix-thread compilers).
set(VELUMAR_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-x86_64.cmake)
