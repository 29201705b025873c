// implode_cli -- file-to-file front end of the codec for the interoperability
// test:  implode_cli implode <binary|ascii> <1024|2048|4096> <in> <out>
//        implode_cli explode <in> <out>
// Exit status: the codec's result (0 ok), or 64 for bad usage or file trouble.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "implode/codec.h"

namespace {

using namespace velumar::implode;

constexpr int kUsage = 64;

bool readFile(const char* path, std::vector<uint8_t>& out) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    out.assign(std::istreambuf_iterator<char>(file), {});
    return true;
}

bool writeFile(const char* path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<uint8_t> input;
    if (argc == 6 && std::strcmp(argv[1], "implode") == 0) {
        const bool ascii = std::strcmp(argv[2], "ascii") == 0;
        const unsigned dict = static_cast<unsigned>(std::atoi(argv[3]));
        if (dict != 1024 && dict != 2048 && dict != 4096) return kUsage;
        if (!readFile(argv[4], input)) return kUsage;
        const auto packed = implodeBuffer(input, ascii ? LiteralMode::Ascii : LiteralMode::Binary,
                                          static_cast<DictionarySize>(dict));
        return writeFile(argv[5], packed) ? 0 : kUsage;
    }
    if (argc == 4 && std::strcmp(argv[1], "explode") == 0) {
        if (!readFile(argv[2], input)) return kUsage;
        const ExplodeResult out = explodeBuffer(input);
        if (!writeFile(argv[3], out.data)) return kUsage;
        return static_cast<int>(out.result);
    }
    std::fprintf(stderr,
                 "usage: implode_cli implode <binary|ascii> <1024|2048|4096> <in> <out>\n"
                 "       implode_cli explode <in> <out>\n");
    return kUsage;
}
