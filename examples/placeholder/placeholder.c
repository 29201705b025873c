/* A stand-in for the sample's Flash player installer (slot 2) and uninstaller
 * (slot 9) until the project has its own: a Windows program that exits at
 * once, whatever its arguments ("/Q", "/b"). */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    return 0;
}
