// Shared helpers for the package tool's tests: a synthetic stub, a private
// temporary folder, file reading and writing, and the project files the
// sample manifests ask for.
#ifndef VELPACK_TEST_SUPPORT_H
#define VELPACK_TEST_SUPPORT_H

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "builder.h"
#include "code_page.h"
#include "manifest.h"

namespace velpack::testing {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// A minimal PE file: headers, one 0x600-byte section holding `records`
// package offset records (value 0), nothing after the image.
Bytes syntheticStub(int records = 1);
inline constexpr size_t kSyntheticStubSize = 0x800;

// A folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const noexcept { return path_; }
    // `name` is UTF-8, as the tests write it, on every host.
    fs::path operator/(const std::string& name) const { return path_ / pathFromUtf8(name); }

  private:
    fs::path path_;
};

Bytes readBytes(const fs::path& path);
void writeBytes(const fs::path& path, const Bytes& bytes);
void writeText(const fs::path& path, const std::string& text);
Bytes bytesOf(const std::string& text);

// Every regular file below `folder`, relative to it, sorted.
std::vector<std::string> filesBelow(const fs::path& folder);

// examples/ of the source tree.
fs::path examplesFolder();

// A project folder with install.exe (a synthetic stub), impborl.dll,
// placeholder.exe, flashax.exe (the placeholder's bytes) and uninstall.exe (stand-in bytes), as
// the sample manifests
// expect.
struct ProjectFiles {
    explicit ProjectFiles(const fs::path& folder);

    fs::path folder;
    Bytes stub;
    Bytes library;
    Bytes placeholder;
    Bytes uninstaller;

    BuildOptions options() const;
};

// Loads and builds a manifest; fails the test on any error.
Bytes buildOrFail(const fs::path& manifest, const BuildOptions& options);

// Parses manifest text saved as `folder/name`, then builds it.
BuildResult buildText(const fs::path& folder, const std::string& text, const BuildOptions& options,
                      const std::string& name = "test.ini");

}  // namespace velpack::testing

#endif
