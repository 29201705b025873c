// The entry point of a fuzz target built without libFuzzer: it replays inputs through
// LLVMFuzzerTestOneInput, which is useful for reproducing a finding, and for kcov, gdb, afl and
// valgrind. Given --mutations N, it also feeds N variants of each input, made by a fixed
// pseudo-random sequence from --seed S, so that a short run is the same run on every machine.
//
//   <target> [--mutations N] [--seed S] FILE_OR_FOLDER...
//
// A folder stands for the files in it, in name order. A crash, a failed assertion or an abort
// in the target ends the program as it would end libFuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr std::size_t kMaxInput = 1 << 20;

struct Options {
    unsigned long mutations = 0;
    std::uint64_t seed = 1;
    std::vector<std::filesystem::path> inputs;
};

void usage(std::FILE* to) {
    std::fputs(
        "usage: <target> [--mutations N] [--seed S] FILE_OR_FOLDER...\n"
        "Runs the fuzz target on each file (a folder: each file in it, in name order); with\n"
        "--mutations, also on N variants of each, made from the fixed seed S (default 1).\n",
        to);
}

bool parseNumber(const char* text, std::uint64_t& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return end != text && *end == '\0';
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int at = 1; at < argc; ++at) {
        const std::string arg = argv[at];
        std::uint64_t number = 0;
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            std::exit(0);
        } else if ((arg == "--mutations" || arg == "--seed") && at + 1 < argc &&
                   parseNumber(argv[at + 1], number)) {
            (arg == "--seed" ? options.seed : options.mutations) = number;
            ++at;
        } else if (arg.starts_with("-")) {
            std::fprintf(stderr, "unknown or incomplete option: %s\n", arg.c_str());
            return false;
        } else {
            options.inputs.emplace_back(arg);
        }
    }
    return !options.inputs.empty();
}

// xorshift64*: the same variants on every machine and every run.
struct Sequence {
    std::uint64_t state;
    std::uint64_t next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 2685821657736338717ULL;
    }
    std::size_t below(std::size_t bound) { return bound ? next() % bound : 0; }
};

// One to four changes of the kinds that find the faults of a reader: a byte or a bit
// changed, a run of bytes repeated, inserted or cut, a little-endian length or count set to a
// boundary value, the input cut short.
std::vector<std::uint8_t> mutate(std::vector<std::uint8_t> bytes, Sequence& random) {
    static constexpr std::uint32_t kBoundaries[] = {
        0, 1, 0x7f, 0x80, 0xff, 0x100, 0xffff, 0x10000, 0x7fffffff, 0x80000000, 0xffffffff};
    const std::size_t changes = 1 + random.below(4);
    for (std::size_t change = 0; change < changes; ++change) {
        const std::size_t at = random.below(bytes.size() + 1);
        switch (random.below(6)) {
            case 0:
                if (at < bytes.size()) bytes[at] = static_cast<std::uint8_t>(random.next());
                break;
            case 1:
                if (at < bytes.size())
                    bytes[at] ^= static_cast<std::uint8_t>(1u << random.below(8));
                break;
            case 2: {
                const std::size_t length = std::min(bytes.size() - at, 1 + random.below(64));
                if (bytes.size() + length <= kMaxInput) {
                    std::vector<std::uint8_t> run(bytes.begin() + at, bytes.begin() + at + length);
                    bytes.insert(bytes.begin() + random.below(bytes.size() + 1), run.begin(),
                                 run.end());
                }
                break;
            }
            case 3: {
                const std::size_t length = std::min(bytes.size() - at, 1 + random.below(64));
                bytes.erase(bytes.begin() + at, bytes.begin() + at + length);
                break;
            }
            case 4:
                if (at + 4 <= bytes.size()) {
                    const std::uint32_t value = kBoundaries[random.below(std::size(kBoundaries))];
                    for (int b = 0; b < 4; ++b)
                        bytes[at + b] = static_cast<std::uint8_t>(value >> (8 * b));
                }
                break;
            default:
                bytes.resize(at);
                break;
        }
    }
    return bytes;
}

bool readInput(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (bytes.size() > kMaxInput) bytes.resize(kMaxInput);
    return !in.bad();
}

std::vector<std::filesystem::path> expandInputs(const std::vector<std::filesystem::path>& given,
                                                bool& missing) {
    std::vector<std::filesystem::path> files;
    for (const auto& path : given) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            std::vector<std::filesystem::path> inside;
            for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
                if (entry.is_regular_file()) inside.push_back(entry.path());
            }
            std::sort(inside.begin(), inside.end());
            files.insert(files.end(), inside.begin(), inside.end());
        } else if (std::filesystem::is_regular_file(path, error)) {
            files.push_back(path);
        } else {
            std::fprintf(stderr, "no such input: %s\n", path.string().c_str());
            missing = true;
        }
    }
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        usage(stderr);
        return 2;
    }
    bool missing = false;
    const auto files = expandInputs(options.inputs, missing);
    if (missing) return 2;
    if (files.empty()) {
        std::fputs("no input files\n", stderr);
        return 2;
    }
    Sequence random{options.seed ? options.seed : 1};
    unsigned long runs = 0;
    for (const auto& file : files) {
        std::vector<std::uint8_t> bytes;
        if (!readInput(file, bytes)) {
            std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
            return 2;
        }
        std::fprintf(stderr, "running %s (%zu bytes)\n", file.string().c_str(), bytes.size());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        ++runs;
        for (unsigned long m = 0; m < options.mutations; ++m, ++runs) {
            const auto variant = mutate(bytes, random);
            LLVMFuzzerTestOneInput(variant.data(), variant.size());
        }
    }
    std::fprintf(stderr, "%lu runs on %zu inputs, all passed\n", runs, files.size());
    return 0;
}
