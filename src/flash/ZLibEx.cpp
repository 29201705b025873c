#include "flash/ZLibEx.h"

#include "flash/flash_texts.h"

namespace velumar::flash {
namespace {

// The interface version the stream asks of zlib: inflate as it has been since 1.1.4. zlib
// compares only the major number; the record size is checked against the library's own (56
// bytes for 32-bit pointers).
constexpr char kZlibInterfaceVersion[] = "1.1.4";
constexpr std::size_t kDiscardPiece = 8192;

[[noreturn]] void raiseZlibError(int result) {
    throw EZDecompressionError(zlibErrorMessage(result));
}

}  // namespace

std::string_view zlibErrorMessage(int zlibResult) noexcept {
    switch (zlibResult) {
        case Z_NEED_DICT:
            return texts::kZlibNeedDictionary;
        case Z_ERRNO:
            return texts::kZlibFileError;
        case Z_STREAM_ERROR:
            return texts::kZlibStreamError;
        case Z_DATA_ERROR:
            return texts::kZlibDataError;
        case Z_MEM_ERROR:
            return texts::kZlibMemoryError;
        case Z_BUF_ERROR:
            return texts::kZlibBufferError;
        case Z_VERSION_ERROR:
            return texts::kZlibVersionError;
        default:
            return texts::kZlibDataError;
    }
}

TCustomZStream::TCustomZStream(Stream& source)
    : source_(source), sourcePosition_(source.position()) {}

TZDecompressionStream::TZDecompressionStream(Stream& source)
    : TCustomZStream(source),
      input_(std::make_unique<std::array<std::uint8_t, kInputBufferSize>>()) {
    zstream_.next_in = input_->data();
    zstream_.avail_in = 0;
    const int result =
        inflateInit_(&zstream_, kZlibInterfaceVersion, static_cast<int>(sizeof(z_stream)));
    if (result < 0) raiseZlibError(result);
}

TZDecompressionStream::~TZDecompressionStream() {
    inflateEnd(&zstream_);
}

// Fills the input buffer from the source; false when the source has nothing more.
bool TZDecompressionStream::refill() {
    const std::size_t got = source_.read(input_->data(), kInputBufferSize);
    if (got == 0) return false;
    zstream_.next_in = input_->data();
    zstream_.avail_in = static_cast<uInt>(got);
    sourcePosition_ = source_.position();
    return true;
}

// One inflate call; false when the source has ended and inflate can give nothing more.
bool TZDecompressionStream::inflateStep(bool sourceEnded) {
    const int result = inflate(&zstream_, Z_NO_FLUSH);
    if (sourceEnded && result == Z_BUF_ERROR) return false;
    lastResult_ = result;
    if (result < 0 || result == Z_NEED_DICT) raiseZlibError(result);
    return true;
}

void TZDecompressionStream::stepBackOverUnconsumedInput() {
    if (lastResult_ != Z_STREAM_END || zstream_.avail_in == 0) return;
    sourcePosition_ =
        source_.seek(-static_cast<std::int64_t>(zstream_.avail_in), SeekOrigin::current);
    zstream_.avail_in = 0;
    zstream_.next_in = input_->data();
}

std::size_t TZDecompressionStream::read(void* buffer, std::size_t count) {
    // inflate counts output in uInt; larger reads are served in part.
    const uInt asked = count > 0x40000000u ? 0x40000000u : static_cast<uInt>(count);
    zstream_.next_out = static_cast<Bytef*>(buffer);
    zstream_.avail_out = asked;
    if (source_.position() != sourcePosition_) source_.seek(sourcePosition_, SeekOrigin::beginning);
    while (zstream_.avail_out > 0 && lastResult_ != Z_STREAM_END) {
        // inflate may hold back output after it has taken all the input: when the source has
        // nothing more, inflate is still asked, and only its "no progress" ends the data.
        const bool sourceEnded = zstream_.avail_in == 0 && !refill();
        if (!inflateStep(sourceEnded)) break;
    }
    stepBackOverUnconsumedInput();
    return asked - zstream_.avail_out;
}

std::size_t TZDecompressionStream::write(const void*, std::size_t) {
    throw EZDecompressionError(texts::kInvalidZStreamOperation);
}

void TZDecompressionStream::discard(std::uint64_t count) {
    std::array<std::uint8_t, kDiscardPiece> scrap;
    while (count > 0) {
        const std::size_t piece =
            count < kDiscardPiece ? static_cast<std::size_t>(count) : kDiscardPiece;
        readBuffer(scrap.data(), piece);
        count -= piece;
    }
}

void TZDecompressionStream::readToEnd() {
    std::array<std::uint8_t, kDiscardPiece> scrap;
    while (read(scrap.data(), scrap.size()) > 0) {
    }
}

std::int64_t TZDecompressionStream::seek(std::int64_t offset, SeekOrigin origin) {
    if (origin == SeekOrigin::beginning && offset == 0) {
        const int result = inflateReset(&zstream_);
        if (result < 0) raiseZlibError(result);
        lastResult_ = Z_OK;
        zstream_.next_in = input_->data();
        zstream_.avail_in = 0;
        sourcePosition_ = source_.seek(0, SeekOrigin::beginning);
    } else if (origin == SeekOrigin::current && offset >= 0) {
        discard(static_cast<std::uint64_t>(offset));
    } else if (origin == SeekOrigin::beginning && offset > delivered()) {
        discard(static_cast<std::uint64_t>(offset - delivered()));
    } else if (origin == SeekOrigin::end && offset == 0) {
        readToEnd();
    } else {
        throw EZDecompressionError(texts::kInvalidZStreamOperation);
    }
    return delivered();
}

}  // namespace velumar::flash
