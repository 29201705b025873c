#include "velpack_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <random>

#include "package/package_offset.h"

namespace velpack::testing {

namespace {

void put16(Bytes& bytes, size_t at, uint16_t value) {
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
}

void put32(Bytes& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
}

}  // namespace

Bytes syntheticStub(int records) {
    constexpr size_t kPeAt = 0x40;
    constexpr size_t kOptionalAt = kPeAt + 4 + 20;
    constexpr uint16_t kOptionalSize = 0xE0;
    constexpr size_t kSectionsAt = kOptionalAt + kOptionalSize;
    constexpr uint32_t kHeadersSize = 0x200;
    constexpr uint32_t kSectionSize = kSyntheticStubSize - kHeadersSize;

    Bytes stub(kSyntheticStubSize, 0);
    stub[0] = 'M';
    stub[1] = 'Z';
    put32(stub, 0x3C, kPeAt);
    std::copy_n("PE\0\0", 4, stub.begin() + kPeAt);
    put16(stub, kPeAt + 4, 0x14C);  // i386
    put16(stub, kPeAt + 6, 1);      // one section
    put16(stub, kPeAt + 20, kOptionalSize);
    put16(stub, kPeAt + 22, 0x0102);
    put16(stub, kOptionalAt, 0x10B);  // PE32
    put32(stub, kOptionalAt + 60, kHeadersSize);
    std::copy_n(".data", 5, stub.begin() + kSectionsAt);
    put32(stub, kSectionsAt + 8, kSectionSize);
    put32(stub, kSectionsAt + 12, 0x1000);
    put32(stub, kSectionsAt + 16, kSectionSize);
    put32(stub, kSectionsAt + 20, kHeadersSize);
    for (int i = 0; i < records; ++i) {
        const auto& marker = velumar::package::kPackageOffsetMarker;
        std::copy(marker.begin(), marker.end(), stub.begin() + kHeadersSize + 0x100 + 0x40 * i);
    }
    return stub;
}

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    path_ = fs::temp_directory_path() /
            ("velpack-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void writeText(const fs::path& path, const std::string& text) {
    writeBytes(path, bytesOf(text));
}

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::vector<std::string> filesBelow(const fs::path& folder) {
    std::vector<std::string> files;
    if (!fs::exists(folder)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path().lexically_relative(folder).generic_string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

fs::path examplesFolder() {
    return fs::path(VELUMAR_EXAMPLES_DIR);
}

ProjectFiles::ProjectFiles(const fs::path& where)
    : folder(where),
      stub(syntheticStub()),
      library(bytesOf("impborl stand-in: the tool stores slot 1 as it is")),
      placeholder(bytesOf("MZ placeholder stand-in")),
      uninstaller(bytesOf("MZ uninstaller stand-in")) {
    writeBytes(folder / "install.exe", stub);
    writeBytes(folder / "impborl.dll", library);
    writeBytes(folder / "placeholder.exe", placeholder);
    writeBytes(folder / "flashax.exe", placeholder);
    writeBytes(folder / "uninstall.exe", uninstaller);
}

BuildOptions ProjectFiles::options() const {
    BuildOptions options;
    options.projectDirs = {folder};
    return options;
}

Bytes buildOrFail(const fs::path& manifest, const BuildOptions& options) {
    const ManifestLoad load = loadManifest(manifest);
    for (const std::string& error : load.errors) ADD_FAILURE() << error;
    if (!load.manifest) return {};
    BuildResult result = buildInstaller(*load.manifest, options);
    for (const std::string& error : result.errors) ADD_FAILURE() << error;
    return std::move(result.installer);
}

BuildResult buildText(const fs::path& folder, const std::string& text, const BuildOptions& options,
                      const std::string& name) {
    const fs::path path = folder / name;
    writeText(path, text);
    const ManifestLoad load = loadManifest(path);
    if (!load.manifest) return BuildResult{{}, load.errors, {}};
    return buildInstaller(*load.manifest, options);
}

}  // namespace velpack::testing
