/* Stands in for a library left in a download folder under a system library's name. Whenever a
   process loads it, it adds that process's program to "<its own path>.loaded", and does
   nothing else: it exports nothing and needs nothing but KERNEL32 (built without the C
   run-time, with an entry point of its own). */
#include <windows.h>

BOOL WINAPI planted_entry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char record[MAX_PATH + 16];
    const DWORD length = GetModuleFileNameA(instance, record, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    lstrcpyA(record + length, ".loaded");
    const HANDLE file = CreateFileA(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
    char program[MAX_PATH + 2];
    DWORD size = GetModuleFileNameA(NULL, program, MAX_PATH);
    if (size >= MAX_PATH) size = 0;
    program[size++] = '\n';
    DWORD written = 0;
    WriteFile(file, program, size, &written, NULL);
    CloseHandle(file);
    return TRUE;
}
