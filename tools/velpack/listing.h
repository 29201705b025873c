// `velpack list`: an installer's header, slots and data file records as text
// for people or JSON for scripts.
#ifndef VELPACK_LISTING_H
#define VELPACK_LISTING_H

#include <string>
#include <string_view>

#include "inspect.h"

namespace velpack {

std::string listingText(const Inspection& inspection, std::string_view fileName);

// One JSON object. Names are 8-bit ANSI: bytes above 127 are written as the
// code points U+0080 to U+00FF.
std::string listingJson(const Inspection& inspection, std::string_view fileName);

}  // namespace velpack

#endif
