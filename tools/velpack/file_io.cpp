#include "file_io.h"

#include <fstream>
#include <system_error>

namespace velpack {

std::optional<std::vector<uint8_t>> readWholeFile(const fs::path& path, std::string& error) {
    std::error_code code;
    if (!fs::is_regular_file(path, code)) {
        error = code ? code.message() : "not a file";
        if (!fs::exists(path, code)) error = "no such file";
        return std::nullopt;
    }
    const uintmax_t size = fs::file_size(path, code);
    if (code) {
        error = code.message();
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()))) {
        error = "read failed";
        return std::nullopt;
    }
    return bytes;
}

std::string writeWholeFile(const fs::path& path, std::span<const uint8_t> bytes) {
    fs::path temporary = path;
    temporary += ".velpack-tmp";
    std::error_code ignored;
    fs::remove(temporary, ignored);  // never write through a link left in its place
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return "cannot create " + temporary.string();
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(temporary, ignored);
            return "write failed";
        }
    }
    std::error_code code;
    fs::rename(temporary, path, code);
    if (code) {
        const std::string reason = code.message();
        fs::remove(temporary, code);
        return "cannot write " + path.string() + ": " + reason;
    }
    return {};
}

}  // namespace velpack
