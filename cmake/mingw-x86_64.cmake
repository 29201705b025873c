# The same Windows sources built for x86-64. Wine runs 32-bit Windows programs
# only where the Linux kernel can execute 32-bit code; on hosts without it
# (IA32 emulation disabled) the Windows tests run from this build under 64-bit
# Wine instead.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELUMAR_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
