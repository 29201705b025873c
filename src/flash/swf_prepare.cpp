#include "flash/swf_prepare.h"

#include <cstring>

#include "flash/ZLibEx.h"
#include "flash/flash_texts.h"

namespace velumar::flash {
namespace {

constexpr std::size_t kCopyBlock = 2048;
constexpr std::uint16_t kLongFormLength = 63;

std::uint8_t readByte(Stream& stream) {
    std::uint8_t byte = 0;
    stream.readBuffer(&byte, 1);
    return byte;
}

std::uint16_t readWord(Stream& stream) {
    std::uint8_t bytes[2];
    stream.readBuffer(bytes, 2);
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::uint32_t readLong(Stream& stream) {
    std::uint8_t bytes[4];
    stream.readBuffer(bytes, 4);
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::uint32_t readLittleEndian32(const std::uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// The body length of the tag whose 16-bit header is given; the long form reads its 32 bits.
std::uint32_t tagBodyLength(Stream& movie, std::uint16_t tagHeader) {
    const std::uint16_t length = tagHeader & 63;
    return length == kLongFormLength ? readLong(movie) : length;
}

// Version byte, file length, rectangle, frame rate and count.
std::int32_t readHeaderAfterSignature(Stream& movie) {
    const std::uint8_t version = readByte(movie);
    if (version > 6) return kMovieVersionTooNew;
    if (version < 3) return kMovieVersionTooOld;
    readLong(movie);
    const std::size_t rectangle = frameRectangleSize(readByte(movie));
    movie.skip(rectangle - 1);
    movie.skip(2 + 2);
    return 0;
}

void readBackgroundColour(Stream& movie, MovieColour& colour) {
    std::uint16_t tagHeader = readWord(movie);
    while ((tagHeader >> 6) != kBackgroundColourTag) {
        movie.skip(tagBodyLength(movie, tagHeader));
        tagHeader = readWord(movie);
    }
    const std::uint32_t length = tagBodyLength(movie, tagHeader);
    if (length < 3) throwReadError();
    std::uint8_t rgb[3];
    movie.readBuffer(rgb, 3);
    // The whole body is read: a file that ends inside it is cut, whatever its first bytes say.
    movie.skip(length - 3);
    colour.red = rgb[0];
    colour.green = rgb[1];
    colour.blue = rgb[2];
}

void writeAll(Stream& out, const void* bytes, std::size_t count) {
    if (out.write(bytes, count) != count)
        throw MovieError(MovieFailureKind::fileError, texts::kFileError);
}

}  // namespace

std::int32_t classifyMovieStream(Stream& movie, std::string& signature) {
    char bytes[3];
    movie.readBuffer(bytes, 3);
    signature.assign(bytes, 3);
    return signature == kUncompressedSignature || signature == kCompressedSignature
               ? 0
               : kMovieSignatureRejected;
}

std::int32_t inspectMovieStream(Stream& movie, MovieColour& colour) {
    colour = MovieColour{};
    char signature[3];
    movie.readBuffer(signature, 3);
    if (std::memcmp(signature, kUncompressedSignature, 3) != 0) return kMovieSignatureRejected;
    const std::int32_t status = readHeaderAfterSignature(movie);
    if (status != 0) return status;
    readBackgroundColour(movie, colour);
    return 0;
}

void readMovieHeader(Stream& movie, std::array<std::uint8_t, kSwfHeaderSize>& header) {
    movie.readBuffer(header.data(), header.size());
}

void copyCompressedSegment(Stream& movie, Stream& segment, const KeepAlive& keepAlive) {
    std::uint8_t block[kCopyBlock];
    for (;;) {
        const std::size_t got = movie.read(block, sizeof block);
        if (got == 0 || segment.write(block, got) < got) return;
        if (keepAlive) keepAlive();
    }
}

std::uint64_t inflatedCopyLimit(std::uint32_t declaredLength) noexcept {
    const std::uint64_t declared = std::uint64_t{declaredLength} + kInflatedLengthMargin;
    return declared < kInflatedCopyCeiling ? declared : kInflatedCopyCeiling;
}

void writeUncompressedCopy(Stream& inflated, Stream& copy,
                           const std::array<std::uint8_t, kSwfHeaderSize>& header,
                           const KeepAlive& keepAlive) {
    writeAll(copy, kUncompressedSignature, 3);
    writeAll(copy, header.data() + 3, 5);
    const std::uint64_t limit = inflatedCopyLimit(readLittleEndian32(header.data() + 4));
    std::uint64_t written = kSwfHeaderSize;
    std::uint8_t block[kCopyBlock];
    for (;;) {
        const std::size_t got = inflated.read(block, sizeof block);
        if (got == 0) return;
        written += got;
        if (written > limit)
            throw EZDecompressionError(limit == kInflatedCopyCeiling
                                           ? texts::kMovieTooLarge
                                           : texts::kMovieLongerThanDeclared);
        if (copy.write(block, got) < got) return;
        if (keepAlive) keepAlive();
    }
}

}  // namespace velumar::flash
