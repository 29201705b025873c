// The streams that the movie preparation reads and writes, and the failures that end it.
//
// A Stream is a byte stream with a position, in the manner of a file: read delivers up to the
// bytes asked for (0 at the end), write stores what it can, seek moves the position. Failures
// travel as MovieError, a small exception that the panel's loadMovie catches and hands to its
// caller as a MovieFailure; nothing raised here leaves loadMovie.
//
// | Kind      | Raised when                                                     |
// |-----------|-----------------------------------------------------------------|
// | fileError | a file cannot be opened, created, read or written (system code) |
// | readError | the data ends before the bytes a reader needs                   |
// | zlibError | inflate fails (EZDecompressionError, message by zlib result)    |
#ifndef VELUMAR_FLASH_MOVIE_STREAM_H
#define VELUMAR_FLASH_MOVIE_STREAM_H

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace velumar::flash {

enum class MovieFailureKind { none, fileError, readError, zlibError };

struct MovieFailure {
    MovieFailureKind kind = MovieFailureKind::none;
    std::int32_t systemCode = 0;  // fileError only: the operating system's code
    std::string message;

    explicit operator bool() const noexcept { return kind != MovieFailureKind::none; }
};

class MovieError : public std::exception {
  public:
    MovieError(MovieFailureKind kind, std::string_view message, std::int32_t systemCode = 0)
        : failure_{kind, systemCode, std::string(message)} {}
    const char* what() const noexcept override { return failure_.message.c_str(); }
    const MovieFailure& failure() const noexcept { return failure_; }

  private:
    MovieFailure failure_;
};

// Raises the read error of a stream that ended too early.
[[noreturn]] void throwReadError();

enum class SeekOrigin { beginning, current, end };

class Stream {
  public:
    virtual ~Stream() = default;

    // Up to count bytes into buffer; the number delivered, 0 at the end.
    virtual std::size_t read(void* buffer, std::size_t count) = 0;
    // Stores up to count bytes; the number stored.
    virtual std::size_t write(const void* buffer, std::size_t count) = 0;
    // Moves the position and returns it.
    virtual std::int64_t seek(std::int64_t offset, SeekOrigin origin) = 0;
    // The length in bytes; the position is left where it was.
    virtual std::int64_t size();

    std::int64_t position() { return seek(0, SeekOrigin::current); }
    // Exactly count bytes, or a read error.
    void readBuffer(void* buffer, std::size_t count);
    // Moves count bytes on; a count past the end is a read error at once, with nothing read.
    void skip(std::uint64_t count);
};

// Bytes in memory, readable and writable; writing past the end extends them.
class MemoryStream final : public Stream {
  public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::size_t read(void* buffer, std::size_t count) override;
    std::size_t write(const void* buffer, std::size_t count) override;
    std::int64_t seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t size() override { return static_cast<std::int64_t>(bytes_.size()); }

    const std::vector<std::uint8_t>& bytes() const noexcept { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace velumar::flash

#endif
