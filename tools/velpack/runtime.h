// Where the package tool finds the project's own Windows programs: the
// installer stub (install.exe, slot 0 by default), the implode library
// (impborl.dll, slot 1 by default), and any file a manifest names as
// "project:NAME" (the sample's placeholder.exe, for instance).
//
// Searched in this order, for NAME:
//   1. each folder given with --project-dir, as DIR/NAME and, for the known
//      programs, as a Windows build tree DIR/<subfolder>/NAME;
//   2. the folder of the velpack executable;
//   3. the programs of an installed velpack: PREFIX/share/velumar/NAME for velpack
//      in PREFIX/bin (`cmake --install`, the Debian package), with the stand-in
//      Flash player installer apart, as share/velumar/stand-in/flashax.exe;
//   4. the Windows build tree given to CMake as VELPACK_WIN32_BUILD_DIR
//      (default: build/win32 of the source tree), at <subfolder>/NAME; not for an
//      installed velpack (one whose share/velumar exists), which uses its own.
// The known programs and their build subfolders are listed in runtime.cpp.
#ifndef VELPACK_RUNTIME_H
#define VELPACK_RUNTIME_H

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>
#include "package/package_header.h"

namespace velpack {

namespace fs = std::filesystem;

inline constexpr std::string_view kDefaultStubName = "install.exe";
inline constexpr std::string_view kDefaultLibraryName = velumar::package::kLibraryFileName;

// The places searched for `name`, in order.
std::vector<fs::path> projectFileCandidates(std::string_view name,
                                            const std::vector<fs::path>& projectDirs);

// The first candidate that is a file.
std::optional<fs::path> findProjectFile(std::string_view name,
                                        const std::vector<fs::path>& projectDirs);

// The running executable's own path; empty when the system does not say.
fs::path executablePath();

}  // namespace velpack

#endif
