// A whole movie in memory read the way the movie panel reads a file: the signature, the
// expansion of a compressed ("CWS") movie, then the header and the background colour of the
// uncompressed movie. The package tool uses it to tell an author, before any user sees it,
// what the panel will make of a movie.
#ifndef VELUMAR_FLASH_MOVIE_READING_H
#define VELUMAR_FLASH_MOVIE_READING_H

#include <cstdint>
#include <span>
#include <string>

#include "flash/movie_stream.h"
#include "flash/swf_prepare.h"

namespace velumar::flash {

struct MovieReading {
    // The panel's status: 0, -404 (signature), -405 (version above 6), -406 (below 3); only
    // meaningful when there is no failure.
    std::int32_t status = 0;
    // The failure that ended the reading (a cut file, a compressed part that does not expand).
    MovieFailure failure;
    bool compressed = false;  // "CWS"
    int version = -1;         // the header's version byte; -1 when the file is shorter
    MovieColour colour;       // the background colour when status is 0 and no failure

    bool readable() const noexcept { return !failure && status == 0; }
};

MovieReading readMovie(std::span<const std::uint8_t> bytes);

}  // namespace velumar::flash

#endif
