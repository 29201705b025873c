// impborl.dll's speed as the installer meets it: the library loaded at run time, its classic
// names resolved, the C callbacks copying from and to memory. Several builds of the library
// are measured in one run, taking turns, so that they share the machine's state.
//
//   impborl_bench CORPUS_DIR REPETITIONS NAME=DLL...
//
// Prints one row per input and operation: MB/s (10^6 bytes per second; implode per input byte,
// explode per output byte) of each build, the best of REPETITIONS timings. A timing is the CPU
// time of this thread (the machine may be shared: wall-clock time would count the waits) over
// as many runs as fill half a second, for the clock's ticks are coarse under Wine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "implode/impborl.h"

namespace {

using Bytes = std::vector<char>;
using ImplodeFn = unsigned int(__cdecl*)(impborl_read_fn, impborl_write_fn, char*, void*,
                                         unsigned int*, unsigned int*);
using ExplodeFn = unsigned int(__cdecl*)(impborl_read_fn, impborl_write_fn, char*, void*);

struct Library {
    std::string name;
    ImplodeFn implode = nullptr;
    ExplodeFn explode = nullptr;
};

struct Pipe {
    const Bytes* input;
    size_t pos;
    Bytes* output;
    size_t used;
};

unsigned int __cdecl readPipe(char* buf, unsigned int* size, void* param) {
    auto* pipe = static_cast<Pipe*>(param);
    const size_t n = std::min(size_t{*size}, pipe->input->size() - pipe->pos);
    std::memcpy(buf, pipe->input->data() + pipe->pos, n);
    pipe->pos += n;
    return static_cast<unsigned int>(n);
}

void __cdecl writePipe(char* buf, unsigned int* size, void* param) {
    auto* pipe = static_cast<Pipe*>(param);
    const size_t n = std::min(size_t{*size}, pipe->output->size() - pipe->used);
    std::memcpy(pipe->output->data() + pipe->used, buf, n);
    pipe->used += *size;
}

bool readFile(const std::string& path, Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.insert(bytes.end(), block, block + n);
    std::fclose(file);
    return true;
}

double threadSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& time) {
        return double((ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e7;
}

constexpr double kTimingSeconds = 0.5;

struct Row {
    const char* input;
    unsigned type;
    unsigned dictionary;
};

const Row kRows[] = {
    {"text8m.txt", IMPBORL_BINARY, 4096},  {"text8m.txt", IMPBORL_ASCII, 4096},
    {"cmake8m.bin", IMPBORL_BINARY, 4096}, {"html1m.html", IMPBORL_BINARY, 4096},
    {"html1m.html", IMPBORL_ASCII, 4096},
};

// One implode of the input (out: the stream) or explode of packed (into out, checked against
// the input); false on a failure.
bool implodeOnce(const Library& library, const Row& row, const Bytes& input, Bytes& out) {
    out.resize(input.size() + input.size() / 4 + 4096);
    Pipe pipe{&input, 0, &out, 0};
    std::vector<char> work(IMPBORL_IMPLODE_WORK_SIZE);
    unsigned type = row.type, dictionary = row.dictionary;
    const unsigned result =
        library.implode(readPipe, writePipe, work.data(), &pipe, &type, &dictionary);
    if (result != IMPBORL_OK || pipe.used > out.size()) return false;
    out.resize(pipe.used);
    return true;
}

bool explodeOnce(const Library& library, const Bytes& packed, const Bytes& expected, Bytes& out) {
    Pipe pipe{&packed, 0, &out, 0};
    std::vector<char> work(IMPBORL_EXPLODE_WORK_SIZE);
    const unsigned result = library.explode(readPipe, writePipe, work.data(), &pipe);
    return result == IMPBORL_OK && pipe.used == expected.size() &&
           std::memcmp(out.data(), expected.data(), expected.size()) == 0;
}

// Seconds of CPU per run of `once`, over as many runs as fill kTimingSeconds; negative when a
// run fails.
template <typename Once>
double timing(Once once) {
    int runs = 0;
    const double start = threadSeconds();
    double elapsed = 0;
    do {
        if (!once()) return -1;
        ++runs;
        elapsed = threadSeconds() - start;
    } while (elapsed < kTimingSeconds);
    return elapsed / runs;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || std::string(argv[1]) == "--help") {
        std::fprintf(argc < 4 ? stderr : stdout,
                     "usage: impborl_bench CORPUS_DIR REPETITIONS NAME=DLL...\n"
                     "Times impborl.dll's _implode and _explode on the corpus for each build of\n"
                     "the library named, taking turns; prints MB/s (CPU time), best of\n"
                     "REPETITIONS.\n");
        return argc < 4 ? 2 : 0;
    }
    const std::string corpus = argv[1];
    const int repetitions = std::max(1, std::atoi(argv[2]));
    std::vector<Library> libraries;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t equals = arg.find('=');
        if (equals == std::string::npos) {
            std::fprintf(stderr, "impborl_bench: %s is not NAME=DLL\n", arg.c_str());
            return 2;
        }
        const std::string path = arg.substr(equals + 1);
        const HMODULE module = LoadLibraryA(path.c_str());
        if (!module) {
            std::fprintf(stderr, "impborl_bench: cannot load %s (error %lu)\n", path.c_str(),
                         GetLastError());
            return 2;
        }
        Library library{arg.substr(0, equals)};
        library.implode = reinterpret_cast<ImplodeFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(module, "_implode")));
        library.explode = reinterpret_cast<ExplodeFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(module, "_explode")));
        if (!library.implode || !library.explode) {
            std::fprintf(stderr, "impborl_bench: %s lacks _implode or _explode\n", path.c_str());
            return 2;
        }
        libraries.push_back(library);
    }

    std::printf("| operation | input | literals | dictionary |");
    for (const Library& library : libraries) std::printf(" %s MB/s |", library.name.c_str());
    std::printf("\n|---|---|---|---|");
    for (size_t i = 0; i < libraries.size(); ++i) std::printf("---|");
    std::printf("\n");
    for (const Row& row : kRows) {
        Bytes input;
        if (!readFile(corpus + "/" + row.input, input) || input.empty()) {
            std::fprintf(stderr, "impborl_bench: cannot read %s/%s\n", corpus.c_str(), row.input);
            return 1;
        }
        std::vector<double> implodeBest(libraries.size(), 1e30),
            explodeBest(libraries.size(), 1e30);
        Bytes packed;
        if (!implodeOnce(libraries[0], row, input, packed)) {
            std::fprintf(stderr, "impborl_bench: %s: implode of %s failed\n",
                         libraries[0].name.c_str(), row.input);
            return 1;
        }
        for (int repetition = 0; repetition < repetitions; ++repetition) {
            for (size_t i = 0; i < libraries.size(); ++i) {
                const Library& library = libraries[i];
                Bytes out;
                const double implodeTime =
                    timing([&] { return implodeOnce(library, row, input, out) && out == packed; });
                Bytes expanded(input.size());
                const double explodeTime =
                    timing([&] { return explodeOnce(library, packed, input, expanded); });
                if (implodeTime < 0 || explodeTime < 0) {
                    std::fprintf(stderr,
                                 "impborl_bench: %s: %s of %s failed (or differs from the "
                                 "first build's)\n",
                                 library.name.c_str(), implodeTime < 0 ? "implode" : "explode",
                                 row.input);
                    return 1;
                }
                implodeBest[i] = std::min(implodeBest[i], implodeTime);
                explodeBest[i] = std::min(explodeBest[i], explodeTime);
            }
        }
        const char* literals = row.type == IMPBORL_ASCII ? "ASCII" : "binary";
        for (const char* operation : {"implode", "explode"}) {
            std::printf("| %s | %s | %s | %u |", operation, row.input, literals, row.dictionary);
            for (size_t i = 0; i < libraries.size(); ++i) {
                const double best = operation[0] == 'i' ? implodeBest[i] : explodeBest[i];
                std::printf(" %.1f |", double(input.size()) / best / 1e6);
            }
            std::printf("\n");
        }
        std::fflush(stdout);
    }
    return 0;
}
