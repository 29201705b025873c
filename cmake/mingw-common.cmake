# Shared part of the MinGW-w64 cross toolchains.
#
# VELUMAR_MINGW_THREADS picks the compilers' thread model:
#   win32  the shipped programs. No winpthreads: its imports (GetTickCount64,
#          vectored exception handlers, TryEnterCriticalSection) do not exist
#          on Windows 95 to XP, and the programs need no threads.
#   posix  the test programs: GoogleTest needs std::mutex and friends.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT DEFINED VELUMAR_MINGW_THREADS)
  set(VELUMAR_MINGW_THREADS win32)
endif()

set(CMAKE_C_COMPILER ${VELUMAR_MINGW_PREFIX}-gcc-${VELUMAR_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${VELUMAR_MINGW_PREFIX}-g++-${VELUMAR_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${VELUMAR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELUMAR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows test programs run under Wine through this wrapper: private prefix,
# Xvfb display and a persistent wineserver are handled there.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run)
