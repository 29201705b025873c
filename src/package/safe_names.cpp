#include "package/safe_names.h"

#include <array>
#include <cstddef>

namespace velumar::package {

namespace {

constexpr size_t kWallpaperNameMax = 64;

bool isControl(char c) noexcept {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool isSeparator(char c) noexcept {
    return c == '\\' || c == '/';
}

bool isDotsOnly(std::string_view name) noexcept {
    return name.find_first_not_of('.') == std::string_view::npos;
}

char upper(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i])) return false;
    }
    return true;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices in every folder, also
// when followed by an extension.
bool isDeviceName(std::string_view name) noexcept {
    const std::string_view base = name.substr(0, name.find('.'));
    static constexpr std::array<std::string_view, 4> kFixed = {"CON", "PRN", "AUX", "NUL"};
    for (std::string_view device : kFixed) {
        if (equalsIgnoringCase(base, device)) return true;
    }
    if (base.size() == 4 && base[3] >= '1' && base[3] <= '9') {
        const std::string_view stem = base.substr(0, 3);
        return equalsIgnoringCase(stem, "COM") || equalsIgnoringCase(stem, "LPT");
    }
    return false;
}

template <typename ComponentRule>
bool everyComponent(std::string_view path, ComponentRule rule) noexcept {
    if (path.empty()) return false;
    size_t start = 0;
    while (true) {
        size_t end = start;
        while (end < path.size() && !isSeparator(path[end])) ++end;
        if (!rule(path.substr(start, end - start))) return false;
        if (end == path.size()) return true;
        start = end + 1;
    }
}

}  // namespace

bool isSafeFileName(std::string_view name) noexcept {
    if (name.empty() || isDotsOnly(name)) return false;
    for (char c : name) {
        if (isSeparator(c) || c == ':' || isControl(c)) return false;
    }
    return true;
}

bool isSafeRelativePath(std::string_view path) noexcept {
    return everyComponent(path, isSafeFileName);
}

bool isPortableFileName(std::string_view name) noexcept {
    if (!isSafeFileName(name)) return false;
    if (name.find_first_of("<>\"|?*") != std::string_view::npos) return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    return !isDeviceName(name);
}

bool isPortableRelativePath(std::string_view path) noexcept {
    return everyComponent(path, isPortableFileName);
}

bool isValidWallpaperName(std::string_view name) noexcept {
    return name.size() <= kWallpaperNameMax && isPortableFileName(name);
}

}  // namespace velumar::package
