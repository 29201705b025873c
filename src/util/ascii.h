// ASCII case folding for names the program compares: file names, extensions, switches and
// manifest keys. Only A-Z fold, whatever the C locale says, so that a comparison never depends
// on the machine's language settings.
#ifndef VELUMAR_UTIL_ASCII_H
#define VELUMAR_UTIL_ASCII_H

#include <string>
#include <string_view>

namespace velumar {

constexpr char asciiLower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

inline std::string asciiLowered(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = asciiLower(c);
    return result;
}

constexpr bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

constexpr bool endsWithIgnoringAsciiCase(std::string_view text, std::string_view end) noexcept {
    return text.size() >= end.size() &&
           equalsIgnoringAsciiCase(text.substr(text.size() - end.size()), end);
}

}  // namespace velumar

#endif
