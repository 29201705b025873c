// TZDecompressionStream: a read-only stream that inflates the zlib stream read from a source
// stream (the compressed segment of a "CWS" movie).
//
// Reads refill a 65536-byte input buffer from the source as inflate consumes it. When the zlib
// stream ends with input left over, the source is moved back over the unconsumed bytes, so it
// stands just after the compressed data; a source that ends before the zlib stream simply ends
// the data early. Seek knows only these forms, each returning the bytes delivered so far:
//   - 0 from the beginning: inflate starts again from source position 0;
//   - a positive offset from the current position, or an offset from the beginning beyond what
//     was delivered: read on and discard (a read error when the data ends first);
//   - 0 from the current position: the position query;
//   - 0 from the end: read to the end.
// Every other seek and every write raise EZDecompressionError "Invalid ZStream operation!".
//
// zlib results below 0, and a stream that asks for a preset dictionary (which would otherwise
// be asked again and again without progress), raise EZDecompressionError:
// | zlib result | message                |
// |-------------|------------------------|
// | 2           | "need dictionary"      |
// | -1          | "file error"           |
// | -2          | "stream error"         |
// | -3          | "data error"           |
// | -4          | "insufficient memory"  |
// | -5          | "buffer error"         |
// | -6          | "incompatible version" |
#ifndef VELUMAR_FLASH_ZLIBEX_H
#define VELUMAR_FLASH_ZLIBEX_H

#include <zlib.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "flash/movie_stream.h"

namespace velumar::flash {

class EZDecompressionError : public MovieError {
  public:
    explicit EZDecompressionError(std::string_view message)
        : MovieError(MovieFailureKind::zlibError, message) {}
};

// The message for a zlib result.
std::string_view zlibErrorMessage(int zlibResult) noexcept;

// The zlib state shared by the compression streams: the source and its position after the
// last refill.
class TCustomZStream : public Stream {
  protected:
    explicit TCustomZStream(Stream& source);
    Stream& source_;
    std::int64_t sourcePosition_;
    z_stream zstream_{};
};

class TZDecompressionStream final : public TCustomZStream {
  public:
    static constexpr std::size_t kInputBufferSize = 65536;

    explicit TZDecompressionStream(Stream& source);
    ~TZDecompressionStream() override;
    TZDecompressionStream(const TZDecompressionStream&) = delete;
    TZDecompressionStream& operator=(const TZDecompressionStream&) = delete;

    std::size_t read(void* buffer, std::size_t count) override;
    std::size_t write(const void* buffer, std::size_t count) override;
    std::int64_t seek(std::int64_t offset, SeekOrigin origin) override;

  private:
    bool refill();
    bool inflateStep(bool sourceEnded);
    void stepBackOverUnconsumedInput();
    void discard(std::uint64_t count);
    void readToEnd();
    std::int64_t delivered() const noexcept {
        return static_cast<std::int64_t>(zstream_.total_out);
    }

    std::unique_ptr<std::array<std::uint8_t, kInputBufferSize>> input_;
    int lastResult_ = Z_OK;
};

}  // namespace velumar::flash

#endif
