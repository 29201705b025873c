/* A program that imports a function Windows 95 lacks (GetAncestor, Windows 98 on), for the
   check of the import check itself. Never run. */
#include <windows.h>

int main(void) {
    return GetAncestor(GetDesktopWindow(), GA_ROOT) != NULL;
}
