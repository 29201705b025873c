#include "runtime.h"

#include <array>
#include <string>
#include <system_error>

#ifndef VELPACK_WIN32_BUILD_DIR
#define VELPACK_WIN32_BUILD_DIR ""
#endif

namespace velpack {

namespace {

struct ProjectProgram {
    std::string_view name;
    std::string_view buildSubfolder;
};

constexpr std::array<ProjectProgram, 6> kProjectPrograms = {{
    {"install.exe", "src/app"},
    {"uninstall.exe", "src/uninstall"},
    {"impborl.dll", "src/implode"},
    {"placeholder.exe", "examples/placeholder"},
    {"flashax.exe", "examples/flashax"},
    {"sample-stub.exe", "examples/placeholder"},
}};

std::string_view buildSubfolder(std::string_view name) {
    for (const ProjectProgram& program : kProjectPrograms) {
        if (program.name == name) return program.buildSubfolder;
    }
    return {};
}

}  // namespace

std::vector<fs::path> projectFileCandidates(std::string_view name,
                                            const std::vector<fs::path>& projectDirs) {
    const std::string file(name);
    const std::string_view subfolder = buildSubfolder(name);
    std::vector<fs::path> candidates;
    for (const fs::path& dir : projectDirs) {
        candidates.push_back(dir / file);
        if (!subfolder.empty()) candidates.push_back(dir / fs::path(subfolder) / file);
    }
    if (const fs::path self = executablePath(); !self.empty()) {
        candidates.push_back(self.parent_path() / file);
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
