# Shared part of the MinGW-w64 cross toolchains (posix-thread compilers:
# std::thread and friends need winpthread, linked statically).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VELUMAR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELUMAR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VELUMAR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELUMAR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows test programs run under Wine through this wrapper: private prefix,
# Xvfb display and a persistent wineserver are handled there.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run)
