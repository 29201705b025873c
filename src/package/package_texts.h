// The package extraction subsystem's user-visible texts, exactly as the installer shows them.
#ifndef VELUMAR_PACKAGE_PACKAGE_TEXTS_H
#define VELUMAR_PACKAGE_PACKAGE_TEXTS_H

#include <string_view>

namespace velumar::package::texts {

// Between a message and the system's text for its code.
inline constexpr std::string_view kParagraphBreak = "\r\n\r\n";

// The implode binding: a failure while staging the compressed bytes or creating the output.
inline constexpr std::string_view kZipErrorExpanding =
    "Zip Error: Problem expanding data in memory. ";

// The implode library exists but cannot be loaded (shown once per run).
inline constexpr std::string_view kCompressionUnusable =
    "System experiencing problem using compression. Program will attempt to continue with "
    "compression disabled.";

}  // namespace velumar::package::texts

#endif
