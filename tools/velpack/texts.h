// The package tool's help texts.
#ifndef VELPACK_TEXTS_H
#define VELPACK_TEXTS_H

namespace velpack::texts {

inline constexpr const char* kVersion = "velpack 0.1\n";

inline constexpr const char* kUsage =
    "velpack - build, list, extract and verify Velumar installers\n"
    "\n"
    "Usage:\n"
    "  velpack build MANIFEST [-o OUT.exe] [--stub FILE] [--impborl FILE]\n"
    "                [--project-dir DIR]...\n"
    "  velpack list INSTALLER [--json] [--offset N]\n"
    "  velpack extract INSTALLER [-o DIR] [--offset N]\n"
    "  velpack verify INSTALLER [--offset N] [-q]\n"
    "  velpack COMMAND --help     describes a command and all its options\n"
    "  velpack --version\n"
    "\n"
    "Exit codes:\n"
    "  0  success (for verify: the installer is sound)\n"
    "  1  a broken manifest, input or installer, or a failed write; one line per\n"
    "     problem\n"
    "  2  a wrong command line\n";

inline constexpr const char* kBuildHelp =
    "Usage: velpack build MANIFEST [-o OUT.exe] [--stub FILE] [--impborl FILE]\n"
    "                     [--project-dir DIR]...\n"
    "\n"
    "Builds an installer from MANIFEST: the installer stub with its package offset\n"
    "set to its size, the 3176-byte package header, then the stored bytes of slots\n"
    "1 to 10 in order. Compressed items are imploded. The result is checked like\n"
    "`velpack verify` before it is written. The same inputs give the same bytes.\n"
    "\n"
    "Options:\n"
    "  -o, --output OUT.exe  where to write the installer (default: the manifest's\n"
    "                        name with \".exe\", in the current folder)\n"
    "  --stub FILE           the installer program to put in front (default: the\n"
    "                        manifest's stub, else the project's install.exe)\n"
    "  --impborl FILE        the implode library for slot 1 (default: the\n"
    "                        manifest's [slot1] file, else the project's impborl.dll)\n"
    "  --project-dir DIR     a folder holding the project's Windows programs, flat\n"
    "                        or as a Windows build tree; searched first (repeatable)\n"
    "  -h, --help            this text\n"
    "\n"
    "The project's programs (install.exe, impborl.dll, and files a manifest gives\n"
    "as project:NAME, such as uninstall.exe) are looked for in the --project-dir\n"
    "folders, beside velpack, then in the Windows build tree (src/app,\n"
    "src/uninstall, src/implode, examples/placeholder).\n"
    "\n"
    "The manifest is an INI file; paths in it are relative to it:\n"
    "  [package]  kind = picture | movie | silent | jpeg | 0..255   (required)\n"
    "             wallpaperName = NAME   1 to 64 characters, a folder name (required)\n"
    "             showLicense, openAfterInstall = yes|no  (default: yes when slot 4,\n"
    "                 resp. slot 5, names a file)\n"
    "             offerDisplayProperties = yes|no  (default no)\n"
    "             background = R, G, B   0..255 each (default 0, 0, 0)\n"
    "             stub = FILE   (default project:install.exe)\n"
    "             literalMode = binary|ascii, dictionarySize = 1024|2048|4096\n"
    "                 (implode settings; default binary, 4096)\n"
    "  [slotN]    N = 0..10: file = FILE or project:NAME, name = NAME,\n"
    "             destination = 0..10,\n"
    "             compressed = yes|no (default no). Defaults: 0 install.exe (6),\n"
    "             1 impborl.dat (3), 2 flashax.exe (3), 3 installer.EXT (5), 4 and 5\n"
    "             the file's name (5), 6 NAME.html (2), 7 (5), 8 NAME.ssd (4),\n"
    "             9 uninstall.exe (5), 10 the file's name (10). Slot 0 is the stub.\n"
    "             Required: 1, 2, 6, 8, 9; 3 unless silent; 4 with showLicense;\n"
    "             5 with openAfterInstall.\n"
    "  [data]     folder = DIR (every file below it, sub-folders joined with \"\\\"),\n"
    "             kind = N (default: the package kind), compressed = yes|no\n"
    "  [recordN]  N = 1..109, before the folder's files: name = PATH, file = FILE,\n"
    "             copy = yes|no, compressed = yes|no\n"
    "\n"
    "Exit: 0 built; 1 the manifest or an input is wrong (FILE:LINE: message) or the\n"
    "output cannot be written; 2 wrong command line.\n";

inline constexpr const char* kListHelp =
    "Usage: velpack list INSTALLER [--json] [--offset N]\n"
    "\n"
    "Shows the package header (kind, flags, background colour, wallpaper name),\n"
    "each slot (name, offsets, destination, compressed, stored size, size) and the\n"
    "data file's records. Works on any installer of this format.\n"
    "\n"
    "Options:\n"
    "  --json      one JSON object, for scripts (problems included)\n"
    "  --offset N  the package header's offset in the file, decimal or 0x hex\n"
    "              (default: the stub's offset record, else the end of the PE image)\n"
    "  -h, --help  this text\n"
    "\n"
    "Exit: 0 listed and sound; 1 problems found (one line each on stderr, what\n"
    "could be read is still listed); 2 wrong command line.\n";

inline constexpr const char* kExtractHelp =
    "Usage: velpack extract INSTALLER [-o DIR] [--offset N]\n"
    "\n"
    "Writes every slot into DIR, expanded, and the data file's records under\n"
    "DIR/data/, keeping their sub-folders; copy records are resolved. Nothing is\n"
    "written outside DIR, whatever the names in the installer say. Two slots with\n"
    "the same name, or one named \"data\", are written as slotN-NAME.\n"
    "\n"
    "Options:\n"
    "  -o, --output DIR  the folder (default: the installer's name without its\n"
    "                    extension, followed by \"-files\", in the current folder)\n"
    "  --offset N        as for list\n"
    "  -h, --help        this text\n"
    "\n"
    "Exit: 0 everything written and the installer sound; 1 problems found or\n"
    "items not written (one line each on stderr; sound items are still written);\n"
    "2 wrong command line.\n";

inline constexpr const char* kVerifyHelp =
    "Usage: velpack verify INSTALLER [--offset N] [-q]\n"
    "\n"
    "Checks everything the installer relies on: the package header inside the\n"
    "file, slot offsets inside the file and in order, the required slots for the\n"
    "kind and flags, safe names and usable destinations, compressed items that\n"
    "expand to exactly their size, the wallpaper page and library names, and the\n"
    "data file: record count, record table and blocks in range, record names that\n"
    "stay in the wallpaper folder, copy records with a source.\n"
    "\n"
    "Options:\n"
    "  --offset N  as for list\n"
    "  -q, --quiet print nothing when the installer is sound\n"
    "  -h, --help  this text\n"
    "\n"
    "Exit: 0 sound (\"INSTALLER: sound\"); 1 one line per problem on stdout;\n"
    "2 wrong command line.\n";

}  // namespace velpack::texts

#endif
