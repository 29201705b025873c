/* A program that imports KERNEL32, USER32 and GDI32 and nothing else, and does what any
   windowed program does: registers a window class, shows a window, lets its messages through
   for half a second and ends. What Wine loads for it from the folder it runs in, Wine loads
   for any program. Built without the C run-time, with an entry point of its own. */
#include <windows.h>

static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

void WINAPI three_imports_entry(void) {
    WNDCLASSA windowClass;
    windowClass.style = 0;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hIcon = NULL;
    windowClass.hCursor = NULL;
    windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = "ThreeImports";
    RegisterClassA(&windowClass);
    const HWND window = CreateWindowA("ThreeImports", "three imports", WS_OVERLAPPEDWINDOW, 0, 0,
                                      200, 100, NULL, NULL, windowClass.hInstance, NULL);
    ShowWindow(window, SW_SHOWNORMAL);
    const DWORD until = GetTickCount() + 500;
    MSG message;
    while (GetTickCount() < until) {
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(10);
    }
    DestroyWindow(window);
    ExitProcess(0);
}
