// SWF movie preparation: the signature, the expansion of a compressed movie and the header
// inspection, over streams, so that the same code serves the panel and the host tests.
//
// SWF header as read here (little-endian; bit fields most significant bit first):
// | Offset          | Size     | Field                                                       |
// |-----------------|----------|-------------------------------------------------------------|
// | 0               | 3        | "FWS" (uncompressed) or "CWS" (all after byte 8 is zlib)     |
// | 3               | 1        | version: 3 to 6 accepted                                    |
// | 4               | 4        | file length of the uncompressed movie                       |
// | 8               | variable | frame rectangle: Nbits = first 5 bits, ((4*Nbits+5)>>3)+1 bytes |
// | after rectangle | 2 + 2    | frame rate, frame count (skipped)                           |
// | then            | ...      | tags, walked until the background-colour tag (code 9)       |
// Tag header: a 16-bit word, code = word >> 6, body length = word & 63; length 63 means a
// 32-bit length follows. The background colour's body starts red, green, blue.
//
// Status codes (util/error_codes.h): 0, -404 (signature), -405 (version above 6), -406 (version
// below 3). Failures
// of the streams travel as MovieError (movie_stream.h).
#ifndef VELUMAR_FLASH_SWF_PREPARE_H
#define VELUMAR_FLASH_SWF_PREPARE_H

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "flash/movie_stream.h"
#include "util/error_codes.h"

namespace velumar::flash {

inline constexpr char kUncompressedSignature[] = "FWS";
inline constexpr char kCompressedSignature[] = "CWS";
inline constexpr std::size_t kSwfHeaderSize = 8;
inline constexpr std::uint16_t kBackgroundColourTag = 9;

// The inflated copy may exceed the header's declared file length by this much before the
// expansion gives up: a declared length is exact in every movie the authoring tools write,
// and the margin only forgives small slips, never a bomb.
inline constexpr std::uint64_t kInflatedLengthMargin = 65536;
// And it never grows past this, whatever length the movie declares (up to 4 GiB): far above
// any desktop movie, far below what would fill a drive.
inline constexpr std::uint64_t kInflatedCopyCeiling = 16 * 1024 * 1024;

// The most bytes the uncompressed copy may hold, its 8 header bytes included.
std::uint64_t inflatedCopyLimit(std::uint32_t declaredLength) noexcept;

// Called after each block the expansion writes, so that the caller's windows stay alive.
using KeepAlive = std::function<void()>;

// Background colour components; 255 each until a background-colour tag is read.
struct MovieColour {
    std::uint8_t red = 255;
    std::uint8_t green = 255;
    std::uint8_t blue = 255;

    // The Windows colour value 0x00BBGGRR.
    std::uint32_t colorRef() const noexcept {
        return red | (static_cast<std::uint32_t>(green) << 8) |
               (static_cast<std::uint32_t>(blue) << 16);
    }
};

// Reads the 3 signature bytes (a read error when the stream is shorter) into signature and
// returns 0 for "FWS" or "CWS", -404 otherwise. Case-sensitive.
std::int32_t classifyMovieStream(Stream& movie, std::string& signature);

// The size in bytes of a frame rectangle whose first byte is given.
constexpr std::size_t frameRectangleSize(std::uint8_t firstByte) noexcept {
    const unsigned nbits = firstByte >> 3;
    return ((4 * nbits + 5) >> 3) + 1;
}

// Inspects an uncompressed movie from its first byte: sets colour to 255 each, checks the
// signature and version, walks the tags to the background colour and takes it. A stream that
// ends first is a read error, and so is a long-form length that reaches past the end.
std::int32_t inspectMovieStream(Stream& movie, MovieColour& colour);

// Reads the movie's 8-byte header (a read error when it is shorter).
void readMovieHeader(Stream& movie, std::array<std::uint8_t, kSwfHeaderSize>& header);

// Copies the compressed segment: the rest of movie from its current position, in blocks of up
// to 2048 bytes, until the movie ends or the segment stores less.
void copyCompressedSegment(Stream& movie, Stream& segment, const KeepAlive& keepAlive = {});

// Writes the uncompressed copy: "FWS", the header's version and file-length bytes, then what
// inflated (the decompression stream over the segment) delivers. It stops with
// EZDecompressionError when the copy would grow past inflatedCopyLimit.
void writeUncompressedCopy(Stream& inflated, Stream& copy,
                           const std::array<std::uint8_t, kSwfHeaderSize>& header,
                           const KeepAlive& keepAlive = {});

}  // namespace velumar::flash

#endif
