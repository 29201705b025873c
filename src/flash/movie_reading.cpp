#include "flash/movie_reading.h"

#include <array>
#include <new>
#include <vector>

#include "flash/ZLibEx.h"

namespace velumar::flash {
namespace {

// The uncompressed copy of a "CWS" movie, made in the panel's steps.
MemoryStream expandedCopy(MemoryStream& movie) {
    std::array<std::uint8_t, kSwfHeaderSize> header{};
    readMovieHeader(movie, header);
    MemoryStream segment;
    copyCompressedSegment(movie, segment);
    segment.seek(0, SeekOrigin::beginning);
    TZDecompressionStream inflated(segment);
    MemoryStream copy;
    writeUncompressedCopy(inflated, copy, header);
    copy.seek(0, SeekOrigin::beginning);
    return copy;
}

}  // namespace

MovieReading readMovie(std::span<const std::uint8_t> bytes) {
    MovieReading reading;
    if (bytes.size() > 3) reading.version = bytes[3];
    try {
        MemoryStream movie(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        std::string signature;
        reading.status = classifyMovieStream(movie, signature);
        if (reading.status != 0) return reading;
        movie.seek(0, SeekOrigin::beginning);
        if (signature == kUncompressedSignature) {
            reading.status = inspectMovieStream(movie, reading.colour);
            return reading;
        }
        reading.compressed = true;
        MemoryStream copy = expandedCopy(movie);
        reading.status = inspectMovieStream(copy, reading.colour);
    } catch (const MovieError& error) {
        reading.failure = error.failure();
    } catch (const std::bad_alloc&) {
        reading.failure = {MovieFailureKind::fileError, 0, "out of memory"};
    }
    return reading;
}

}  // namespace velumar::flash
