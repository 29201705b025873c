// Shaping of the system's error text for the installer's messages.
#ifndef VELUMAR_UTIL_ERROR_TEXT_H
#define VELUMAR_UTIL_ERROR_TEXT_H

#include <string>
#include <string_view>

namespace velumar {

// The system's messages end in a full stop and a line break; the installer's texts put their
// own punctuation after them. Removes every trailing character below "!" (blanks, line
// breaks, control characters) or equal to ".".
std::string trimSystemErrorText(std::string_view text);

}  // namespace velumar

#endif
