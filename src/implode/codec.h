// codec.h -- the implode codec's C++ interface (PKWARE Data Compression Library
// "implode" format), for the package tool and for host programs.
//
// The stream: two header bytes (literal mode 0 binary / 1 ASCII, dictionary
// code 4 / 5 / 6 for 1024 / 2048 / 4096 bytes), then LSB-first bit codes of
// literals and (length, distance) copies, closed by the end-of-stream code
// (length 519). The expanded length is not stored: callers keep it themselves.
//
// Memory: every operation uses a bounded amount of memory, independent of the
// input's size. Level::Default fits the classic 36312-byte implode work
// buffer; Level::Best parses optimally over 64 KiB blocks and uses about
// 1.7 MiB of heap while it runs. Expansion always fits 12596 bytes.
//
// No exception leaves these functions; failures come back as Result. The one
// exception is std::bad_alloc from the *Buffer helpers when the output vector
// itself cannot grow.
//
// Example (package tool):
//
//   using namespace velumar::implode;
//   std::vector<uint8_t> packed =
//       implodeBuffer(bytes, LiteralMode::Binary, DictionarySize::Bytes4096);
//   ExplodeResult back = explodeBuffer(packed, bytes.size());
//   // back.result == Result::Ok && back.data == bytes
#ifndef VELUMAR_IMPLODE_CODEC_H
#define VELUMAR_IMPLODE_CODEC_H

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace velumar::implode {

// The same values as the C API's results (impborl.h).
enum class Result : unsigned {
    Ok = 0,
    BadDictionarySize = 1,  // header dictionary code is not 4, 5 or 6
    BadLiteralMode = 2,     // header literal mode is not 0 or 1
    BadData = 3,            // invalid code, or a distance before the start of the output
    Aborted = 4,            // input ended before the end-of-stream code, or a sink refused
};

enum class LiteralMode : uint8_t {
    Binary = 0,  // literals as plain 8-bit values
    Ascii = 1,   // literals through a fixed code that favours text
};

enum class DictionarySize : unsigned {
    Bytes1024 = 1024,
    Bytes2048 = 2048,
    Bytes4096 = 4096,
};

enum class Level {
    Default,  // hash chains with lazy matching; fits the classic work buffer
    Best,     // optimal parse over the fixed codes; several times slower, smaller
};

// Pulls input. Returns the number of bytes placed in buf (at most buf.size());
// 0 means the input is exhausted. Must not throw.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual size_t read(std::span<uint8_t> buf) = 0;
};

// Takes output. Returns false to stop the operation, which then ends with
// Result::Aborted. Must not throw.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual bool write(std::span<const uint8_t> bytes) = 0;
};

// Streaming: reads the source to its end and writes the complete stream
// (header to end-of-stream code) to the sink. Result::Ok or Result::Aborted.
Result implodeStream(ByteSource& source, ByteSink& sink, LiteralMode mode, DictionarySize dict,
                     Level level = Level::Default);

// Streaming: expands one stream. Stops at the end-of-stream code (bytes after
// it are not read from the buffer already taken and are ignored) or when the
// source ends (Result::Aborted). Whatever was expanded before a failure has
// been written to the sink.
Result explodeStream(ByteSource& source, ByteSink& sink);

// Whole buffers.
std::vector<uint8_t> implodeBuffer(std::span<const uint8_t> input, LiteralMode mode,
                                   DictionarySize dict, Level level = Level::Default);

struct ExplodeResult {
    Result result = Result::Ok;
    std::vector<uint8_t> data;  // what was expanded, also on failure
};

// sizeLimit bounds the output: a stream that expands to more than sizeLimit
// bytes gives Result::BadData and the first sizeLimit bytes. Callers that know
// the expected size pass it, so a hostile stream cannot exhaust memory.
ExplodeResult explodeBuffer(std::span<const uint8_t> input,
                            size_t sizeLimit = std::numeric_limits<size_t>::max());

// The library's CRC-32 (reflected polynomial 0xEDB88320), continued from crc:
// start with 0xFFFFFFFF and complement the final value for the usual CRC-32.
uint32_t crc32Update(uint32_t crc, std::span<const uint8_t> bytes);

}  // namespace velumar::implode

#endif
