/* A file another program planted in the Windows folder under the installer's names, for the
 * end-to-end tests: built as a library (impborl.dll, exporting the three implode functions) and
 * as a program (flashax.exe). Either one appends a line to the file named by
 * VELUMAR_FOREIGN_LOG the moment it is loaded or run, so a test can tell that it never was. */
#include <windows.h>

static void recordUse(const char* what) {
    char path[MAX_PATH + 1];
    DWORD length = GetEnvironmentVariableA("VELUMAR_FOREIGN_LOG", path, MAX_PATH);
    HANDLE file;
    DWORD written = 0;
    if (length == 0 || length >= MAX_PATH) return;
    file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    WriteFile(file, what, (DWORD)lstrlenA(what), &written, NULL);
    CloseHandle(file);
}

#ifdef FOREIGN_LIBRARY
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) recordUse("loaded\n");
    return TRUE;
}

unsigned int __cdecl foreign_implode(void) {
    return 0;
}
unsigned int __cdecl foreign_explode(void) {
    return 0;
}
unsigned long __cdecl foreign_crc32(void) {
    return 0;
}
#else
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
    (void)instance;
    (void)previous;
    (void)line;
    (void)show;
    recordUse("ran\n");
    return 0;
}
#endif
