// codec.cpp -- the C++ interface over the engines.
#include "implode/codec.h"

#include <algorithm>
#include <limits>
#include <new>

#include "implode/explode.h"
#include "implode/implode.h"

namespace velumar::implode {
namespace {

using detail::StreamIo;

struct StreamEnds {
    ByteSource& source;
    ByteSink& sink;
};

size_t readFromSource(void* context, uint8_t* buf, size_t size) {
    return static_cast<StreamEnds*>(context)->source.read({buf, size});
}

bool writeToSink(void* context, const uint8_t* buf, size_t size) {
    return static_cast<StreamEnds*>(context)->sink.write({buf, size});
}

class SpanSource final : public ByteSource {
  public:
    explicit SpanSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    size_t read(std::span<uint8_t> buf) override {
        const size_t n = std::min(buf.size(), bytes_.size());
        std::copy_n(bytes_.begin(), n, buf.begin());
        bytes_ = bytes_.subspan(n);
        return n;
    }

  private:
    std::span<const uint8_t> bytes_;
};

class VectorSink final : public ByteSink {
  public:
    explicit VectorSink(size_t limit) : limit_(limit) {}
    bool write(std::span<const uint8_t> bytes) override {
        const size_t room = limit_ - data.size();
        const size_t n = std::min(room, bytes.size());
        try {
            data.insert(data.end(), bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(n));
        } catch (const std::bad_alloc&) {
            failed = true;
            return false;
        }
        if (n < bytes.size()) {
            overLimit = true;
            return false;
        }
        return true;
    }

    std::vector<uint8_t> data;
    bool overLimit = false;
    bool failed = false;

  private:
    size_t limit_;
};

}  // namespace

Result implodeStream(ByteSource& source, ByteSink& sink, LiteralMode mode, DictionarySize dict,
                     Level level) {
    StreamEnds ends{source, sink};
    const StreamIo io{readFromSource, writeToSink, &ends};
    if (level == Level::Best) return detail::implodeBest(io, mode, dict);
    alignas(8) unsigned char work[detail::kImplodeWorkSize];
    return detail::implodeWithWork(io, work, sizeof work, mode, dict);
}

Result explodeStream(ByteSource& source, ByteSink& sink) {
    StreamEnds ends{source, sink};
    const StreamIo io{readFromSource, writeToSink, &ends};
    alignas(8) unsigned char work[detail::kExplodeWorkSize];
    return detail::explodeWithWork(io, work, sizeof work);
}

std::vector<uint8_t> implodeBuffer(std::span<const uint8_t> input, LiteralMode mode,
                                   DictionarySize dict, Level level) {
    SpanSource source(input);
    VectorSink sink(std::numeric_limits<size_t>::max());
    sink.data.reserve(input.size() / 2 + 64);
    implodeStream(source, sink, mode, dict, level);
    if (sink.failed) throw std::bad_alloc();
    return std::move(sink.data);
}

ExplodeResult explodeBuffer(std::span<const uint8_t> input, size_t sizeLimit) {
    SpanSource source(input);
    VectorSink sink(sizeLimit);
    sink.data.reserve(std::min(sizeLimit, input.size() * 4 + 64));
    ExplodeResult out;
    out.result = explodeStream(source, sink);
    if (sink.failed) throw std::bad_alloc();
    if (sink.overLimit) out.result = Result::BadData;
    out.data = std::move(sink.data);
    return out;
}

}  // namespace velumar::implode
