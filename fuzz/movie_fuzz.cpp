// Fuzz target for the movie preparation.
//
// For every input it checks that:
//  - the header inspection ends with a status or one of the documented failures (never a
//    crash, never another exception), and reads no further than the input;
//  - the input taken as a compressed segment inflates through TZDecompressionStream without
//    going past the declared length plus the margin (at most 16 MiB), and reading it in small
//    pieces gives the same bytes as reading it in large ones;
//  - the position query of the stream agrees with the bytes delivered;
//  - the package tool's whole-movie reading ends with a reading (never a crash or an
//    exception), whose colour is only claimed for a readable movie of a known version.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "flash/ZLibEx.h"
#include "flash/movie_reading.h"
#include "flash/swf_prepare.h"

namespace {

using namespace velumar::flash;
using velumar::kMovieSignatureRejected;
using velumar::kMovieVersionTooNew;
using velumar::kMovieVersionTooOld;

constexpr std::size_t kInflateCap = 1u << 20;

void inspectInput(const std::uint8_t* data, std::size_t size) {
    MemoryStream movie(std::vector<std::uint8_t>(data, data + size));
    MovieColour colour;
    try {
        const std::int32_t status = inspectMovieStream(movie, colour);
        if (status != 0 && status != kMovieSignatureRejected && status != kMovieVersionTooNew &&
            status != kMovieVersionTooOld)
            std::abort();
    } catch (const MovieError& error) {
        if (error.failure().kind != MovieFailureKind::readError) std::abort();
    }
    if (movie.position() > static_cast<std::int64_t>(size)) std::abort();
}

// The inflated bytes read in pieces of the given size, and whether it ended in a failure.
std::vector<std::uint8_t> inflateInPieces(const std::uint8_t* data, std::size_t size,
                                          std::size_t piece, bool& failed) {
    MemoryStream source(std::vector<std::uint8_t>(data, data + size));
    std::vector<std::uint8_t> out, buffer(piece);
    failed = false;
    try {
        TZDecompressionStream stream(source);
        while (out.size() < kInflateCap) {
            const std::size_t asked =
                piece < kInflateCap - out.size() ? piece : kInflateCap - out.size();
            const std::size_t got = stream.read(buffer.data(), asked);
            if (got == 0) break;
            out.insert(out.end(), buffer.begin(),
                       buffer.begin() + static_cast<std::ptrdiff_t>(got));
            if (stream.position() != static_cast<std::int64_t>(out.size())) std::abort();
        }
    } catch (const EZDecompressionError&) {
        failed = true;
    }
    return out;
}

void expandInput(const std::uint8_t* data, std::size_t size) {
    if (size < kSwfHeaderSize) return;
    MemoryStream movie(std::vector<std::uint8_t>(data, data + size)), segment, copy;
    std::array<std::uint8_t, kSwfHeaderSize> header{};
    readMovieHeader(movie, header);
    copyCompressedSegment(movie, segment);
    segment.seek(0, SeekOrigin::beginning);
    try {
        TZDecompressionStream inflated(segment);
        writeUncompressedCopy(inflated, copy, header);
    } catch (const EZDecompressionError&) {
    }
    const std::uint32_t declared =
        header[4] | (header[5] << 8) | (header[6] << 16) | (std::uint32_t(header[7]) << 24);
    if (copy.bytes().size() > inflatedCopyLimit(declared)) std::abort();
}

}  // namespace

void readWholeMovie(const std::uint8_t* data, std::size_t size) {
    const MovieReading reading = readMovie(std::span<const std::uint8_t>(data, size));
    if (reading.readable() && (reading.version < 3 || reading.version > 6)) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    inspectInput(data, size);
    readWholeMovie(data, size);
    expandInput(data, size);
    bool failedLarge = false, failedSmall = false;
    const auto large = inflateInPieces(data, size, 65536, failedLarge);
    const auto small = inflateInPieces(data, size, 7, failedSmall);
    // Both readings agree on the bytes up to where the shorter one stopped.
    const std::size_t common = large.size() < small.size() ? large.size() : small.size();
    for (std::size_t i = 0; i < common; ++i)
        if (large[i] != small[i]) std::abort();
    if (!failedLarge && !failedSmall && large != small) std::abort();
    return 0;
}
