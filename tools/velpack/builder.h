// Building an installer from a manifest: the stub with its package offset set,
// the 3176-byte package header, then the stored bytes of slots 1 to 10 in slot
// order without gaps, the last one ending at the last byte of the file.
//
// Slot 0 covers the stub. Empty slots get the shipped convention: both offsets
// at the next stored byte, and 0 for slot 10. The data file (slot 8) is built
// from the manifest's [data] folder and [recordN] sections. Before anything is
// returned the result is inspected like `velpack verify` does, so a build
// never yields an installer the installer could not take.
//
// The same inputs give the same bytes: nothing depends on time, order of
// directory listing or the machine.
//
// Names reach the package in the manifest's code page (code_page.h); the data
// folder's file names are converted like the manifest's. The licence text
// (slot 4) is converted too when it is UTF-8 with characters beyond ASCII (a
// byte order mark is dropped), unless its slot says convert = no; a licence
// that is neither ASCII nor UTF-8 is taken as already in the code page. Both
// are said in a note. The page's bytes are kept (HTML declares its own
// character set), but a page that names a packaged file whose name is not
// ASCII gets a warning: such a link may not resolve on the user's machine.
#ifndef VELPACK_BUILDER_H
#define VELPACK_BUILDER_H

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "manifest.h"
#include "signing.h"

namespace velpack {

struct BuildOptions {
    std::optional<fs::path> stub;       // overrides the manifest's stub
    std::optional<fs::path> library;    // overrides [slot1] file
    std::vector<fs::path> projectDirs;  // searched first for project files (runtime.h)
    // Signs the uninstaller (slot 9) before it is packed; signBuiltInstaller signs the rest.
    std::optional<SigningKey> signing;
};

struct BuildResult {
    std::vector<uint8_t> installer;
    std::vector<std::string> errors;
    // What the build did to an input, and warnings: lines for the author, each naming its
    // file (and line); they do not fail the build.
    std::vector<std::string> notes;

    bool ok() const noexcept { return errors.empty(); }
};

BuildResult buildInstaller(const Manifest& manifest, const BuildOptions& options);

// Signs a built installer with Authenticode and inspects it again: the last step of a build,
// after everything that writes into the installer's bytes (signing changes only the PE
// CheckSum and certificate-table entry, and appends the signature). On failure the installer
// is cleared and the reason is in result.errors.
void signBuiltInstaller(const Manifest& manifest, const SigningKey& key, BuildResult& result);

}  // namespace velpack

#endif
