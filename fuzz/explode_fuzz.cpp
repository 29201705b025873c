// Fuzz target for the implode decompressor (and, on the side, the
// compressors' round trip).
//
// For every input it checks that:
//  - expansion ends with one of the documented results and never more output
//    than the limit it was given;
//  - expanding through a source that hands out 1..16 bytes per read gives the
//    same result and bytes as expanding the whole buffer;
//  - small inputs, taken as plain data, survive implode and explode (the
//    default level on every input, the best level, which sets up about
//    1.5 MiB of tables per call, on one input in 256).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "implode/codec.h"

namespace {

using namespace velumar::implode;

class TrickleSource final : public ByteSource {
  public:
    TrickleSource(std::span<const uint8_t> bytes, size_t step) : bytes_(bytes), step_(step) {}
    size_t read(std::span<uint8_t> buf) override {
        const size_t n = std::min({buf.size(), bytes_.size(), step_});
        std::copy_n(bytes_.begin(), n, buf.begin());
        bytes_ = bytes_.subspan(n);
        return n;
    }

  private:
    std::span<const uint8_t> bytes_;
    size_t step_;
};

class Collect final : public ByteSink {
  public:
    bool write(std::span<const uint8_t> bytes) override {
        data.insert(data.end(), bytes.begin(), bytes.end());
        return data.size() <= kLimit;
    }
    static constexpr size_t kLimit = 1 << 22;
    std::vector<uint8_t> data;
};

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);

    const ExplodeResult whole = explodeBuffer(input, Collect::kLimit);
    require(whole.result != Result::BadLiteralMode || (size >= 1 && data[0] > 1));
    require(whole.data.size() <= Collect::kLimit);

    const size_t step = 1 + (size > 0 ? data[size - 1] % 16 : 0);
    TrickleSource source(input, step);
    Collect sink;
    const Result trickled = explodeStream(source, sink);
    if (whole.data.size() < Collect::kLimit) {
        require(trickled == whole.result);
        require(sink.data == whole.data);
    }

    if (size <= 4096) {
        const LiteralMode mode =
            size > 0 && (data[0] & 1) ? LiteralMode::Ascii : LiteralMode::Binary;
        const DictionarySize dict =
            size > 1 && (data[1] & 1) ? DictionarySize::Bytes1024 : DictionarySize::Bytes4096;
        // Chosen by a hash, which the fuzzer's comparison tracing cannot steer.
        const bool best = (crc32Update(0xFFFFFFFFu, input) & 0xff) == 0;
        for (Level level : {Level::Default, Level::Best}) {
            if (level == Level::Best && !best) continue;
            const std::vector<uint8_t> packed = implodeBuffer(input, mode, dict, level);
            const ExplodeResult back = explodeBuffer(packed, size);
            require(back.result == Result::Ok);
            require(std::equal(back.data.begin(), back.data.end(), input.begin(), input.end()));
        }
    }
    return 0;
}
