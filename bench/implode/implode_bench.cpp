// Implode and explode speed and ratio on the reference corpus, one row per
// line of the reference table (docs/benchmarks.md), plus the best level.
//
//   implode/<input>/<literals>/<dictionary>       MB/s of input, ratio
//   implode_best/<input>/<literals>/<dictionary>  MB/s of input, ratio
//   explode/<input>/<literals>/<dictionary>       MB/s of output
//
// Input comes from memory and output goes to a preallocated buffer, so the
// figures are the codec's own, with one copy per read or write callback as a
// real caller would have.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "implode/codec.h"

namespace {

using namespace velumar::implode;
using Bytes = std::vector<uint8_t>;

Bytes readCorpus(const std::string& name) {
    const std::string path = std::string(VELUMAR_CORPUS_DIR) + "/implode/" + name;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        // Figures over an empty input would look like figures.
        std::fprintf(stderr, "implode_bench: corpus file %s not found: looked for %s\n",
                     name.c_str(), path.c_str());
        std::exit(2);
    }
    return Bytes{std::istreambuf_iterator<char>(file), {}};
}

Bytes randomInput() {
    std::mt19937 gen(20240601);
    Bytes out(4 << 20);
    for (auto& b : out) b = static_cast<uint8_t>(gen());
    return out;
}

class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(const Bytes& bytes) : bytes_(bytes) {}
    size_t read(std::span<uint8_t> buf) override {
        const size_t n = std::min(buf.size(), bytes_.size() - pos_);
        std::memcpy(buf.data(), bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }

  private:
    const Bytes& bytes_;
    size_t pos_ = 0;
};

class MemorySink final : public ByteSink {
  public:
    explicit MemorySink(Bytes& buffer) : buffer_(buffer) {}
    bool write(std::span<const uint8_t> bytes) override {
        if (bytes.size() > buffer_.size() - used) return false;
        std::memcpy(buffer_.data() + used, bytes.data(), bytes.size());
        used += bytes.size();
        return true;
    }
    size_t used = 0;

  private:
    Bytes& buffer_;
};

struct Row {
    const char* input;
    LiteralMode mode;
    DictionarySize dict;
    bool best;  // also measure Level::Best
};

const Row kRows[] = {
    {"text8m.txt", LiteralMode::Binary, DictionarySize::Bytes4096, true},
    {"text8m.txt", LiteralMode::Binary, DictionarySize::Bytes2048, false},
    {"text8m.txt", LiteralMode::Binary, DictionarySize::Bytes1024, false},
    {"text8m.txt", LiteralMode::Ascii, DictionarySize::Bytes4096, true},
    {"cmake8m.bin", LiteralMode::Binary, DictionarySize::Bytes4096, true},
    {"html1m.html", LiteralMode::Binary, DictionarySize::Bytes4096, true},
    {"html1m.html", LiteralMode::Ascii, DictionarySize::Bytes4096, true},
    {"random", LiteralMode::Binary, DictionarySize::Bytes4096, false},
    {"zeros", LiteralMode::Binary, DictionarySize::Bytes4096, false},
};

const Bytes& inputFor(const std::string& name) {
    static std::vector<std::pair<std::string, Bytes>> cache;
    for (const auto& [n, bytes] : cache)
        if (n == name) return bytes;
    Bytes bytes;
    if (name == "random")
        bytes = randomInput();
    else if (name == "zeros")
        bytes.assign(4 << 20, 0);
    else
        bytes = readCorpus(name);
    cache.emplace_back(name, std::move(bytes));
    return cache.back().second;
}

void runImplode(benchmark::State& state, const Row& row, Level level) {
    const Bytes& input = inputFor(row.input);
    if (input.empty()) {
        state.SkipWithError("corpus file missing");
        return;
    }
    Bytes out(input.size() + input.size() / 4 + 64);
    size_t packed = 0;
    for (auto _ : state) {
        MemorySource source(input);
        MemorySink sink(out);
        if (implodeStream(source, sink, row.mode, row.dict, level) != Result::Ok) {
            state.SkipWithError("implode failed");
            return;
        }
        packed = sink.used;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
    state.counters["compressed_bytes"] = static_cast<double>(packed);
    state.counters["ratio_pct"] = 100.0 * static_cast<double>(packed) / input.size();
}

void runExplode(benchmark::State& state, const Row& row) {
    const Bytes& input = inputFor(row.input);
    if (input.empty()) {
        state.SkipWithError("corpus file missing");
        return;
    }
    const Bytes packed = implodeBuffer(input, row.mode, row.dict);
    Bytes out(input.size());
    for (auto _ : state) {
        MemorySource source(packed);
        MemorySink sink(out);
        if (explodeStream(source, sink) != Result::Ok || sink.used != input.size()) {
            state.SkipWithError("explode failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

std::string rowName(const char* kind, const Row& row) {
    return std::string(kind) + "/" + row.input + "/" +
           (row.mode == LiteralMode::Ascii ? "ascii" : "binary") + "/" +
           std::to_string(static_cast<unsigned>(row.dict));
}

int registerAll() {
    for (const Row& row : kRows) {
        benchmark::RegisterBenchmark(rowName("implode", row).c_str(), [row](benchmark::State& s) {
            runImplode(s, row, Level::Default);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(rowName("explode", row).c_str(), [row](benchmark::State& s) {
            runExplode(s, row);
        })->Unit(benchmark::kMillisecond);
        if (row.best)
            benchmark::RegisterBenchmark(
                rowName("implode_best", row).c_str(),
                [row](benchmark::State& s) { runImplode(s, row, Level::Best); })
                ->Unit(benchmark::kMillisecond);
    }
    return 0;
}

const int kRegistered = registerAll();

}  // namespace

BENCHMARK_MAIN();
