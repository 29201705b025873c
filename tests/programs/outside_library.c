/* A program that imports a library outside its line in allowed_libraries.txt (SHLWAPI), for
   the check of the library check itself. Never run. */
#include <windows.h>
#include <shlwapi.h>

int main(void) {
    return (int)SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Velumar-never");
}
