// Whole-file reading and writing for the package tool, portable through
// std::filesystem and fstream.
#ifndef VELPACK_FILE_IO_H
#define VELPACK_FILE_IO_H

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velpack {

namespace fs = std::filesystem;

// The file's bytes, or nothing with `error` telling why.
std::optional<std::vector<uint8_t>> readWholeFile(const fs::path& path, std::string& error);

// Writes `bytes` to `path` through a temporary file beside it that is renamed
// into place, so a failed write leaves no half-written file. Empty on success,
// otherwise why it failed.
std::string writeWholeFile(const fs::path& path, std::span<const uint8_t> bytes);

}  // namespace velpack

#endif
