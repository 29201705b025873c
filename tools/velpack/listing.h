// `velpack list`: an installer's header, slots and data file records as text
// for people or JSON for scripts.
#ifndef VELPACK_LISTING_H
#define VELPACK_LISTING_H

#include <string>
#include <string_view>

#include "inspect.h"

namespace velpack {

// Text in UTF-8 as a JSON string, quoted.
std::string jsonString(std::string_view text);

std::string listingText(const Inspection& inspection, std::string_view fileName);

// Names are read in the inspection's code page and shown in UTF-8; the code
// page is named in the header.
//
// One JSON object, "codePage" in its header.
std::string listingJson(const Inspection& inspection, std::string_view fileName);

}  // namespace velpack

#endif
