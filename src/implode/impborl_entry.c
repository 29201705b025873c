/* impborl.dll's entry point. The library keeps no state of its own beyond tables that fill
   themselves on first use, so loading and unloading need nothing done, and the C runtime's
   start-up code (static constructors, exit handlers, thread-local storage callbacks) is not
   linked at all. */
#include <windows.h>

BOOL WINAPI impborl_entry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
