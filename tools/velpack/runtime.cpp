#include "runtime.h"

#include <array>
#include <string>
#include <system_error>

#ifndef VELPACK_WIN32_BUILD_DIR
#define VELPACK_WIN32_BUILD_DIR ""
#endif
// Where an installed velpack keeps the programs, from the folder it is in.
#ifndef VELPACK_INSTALLED_PROGRAMS
#define VELPACK_INSTALLED_PROGRAMS "../share/velumar"
#endif

namespace velpack {

namespace {

struct ProjectProgram {
    std::string_view name;
    std::string_view buildSubfolder;
    // Below the installed programs' folder; the stand-in is kept apart, so that nobody takes
    // it for the real Flash player installer.
    std::string_view installedSubfolder;
};

constexpr std::array<ProjectProgram, 6> kProjectPrograms = {{
    {kDefaultStubName, "src/app", ""},
    {velumar::package::kUninstallerFileName, "src/uninstall", ""},
    {velumar::package::kLibraryFileName, "src/implode", ""},
    {"placeholder.exe", "examples/placeholder", ""},
    {velumar::package::kFlashInstallerFileName, "examples/flashax", "stand-in"},
    {"sample-stub.exe", "examples/placeholder", ""},
}};

const ProjectProgram* knownProgram(std::string_view name) {
    for (const ProjectProgram& program : kProjectPrograms) {
        if (program.name == name) return &program;
    }
    return nullptr;
}

}  // namespace

std::vector<fs::path> projectFileCandidates(std::string_view name,
                                            const std::vector<fs::path>& projectDirs) {
    const std::string file(name);
    const ProjectProgram* known = knownProgram(name);
    const std::string_view subfolder = known ? known->buildSubfolder : std::string_view();
    std::vector<fs::path> candidates;
    for (const fs::path& dir : projectDirs) {
        candidates.push_back(dir / file);
        if (!subfolder.empty()) candidates.push_back(dir / fs::path(subfolder) / file);
    }
    if (const fs::path self = executablePath(); !self.empty()) {
        candidates.push_back(self.parent_path() / file);
        const fs::path installed =
            (self.parent_path() / VELPACK_INSTALLED_PROGRAMS).lexically_normal();
        candidates.push_back(known ? installed / fs::path(known->installedSubfolder) / file
                                   : installed / file);
        // An installed velpack uses its own programs only, never a build tree's.
        std::error_code error;
        if (fs::is_directory(installed, error)) return candidates;
    }
    if (const fs::path build = VELPACK_WIN32_BUILD_DIR; !build.empty() && !subfolder.empty()) {
        candidates.push_back(build / fs::path(subfolder) / file);
    }
    return candidates;
}

std::optional<fs::path> findProjectFile(std::string_view name,
                                        const std::vector<fs::path>& projectDirs) {
    for (const fs::path& candidate : projectFileCandidates(name, projectDirs)) {
        std::error_code error;
        if (fs::is_regular_file(candidate, error)) return candidate;
    }
    return std::nullopt;
}

}  // namespace velpack
