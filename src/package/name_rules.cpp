// The name rules of package_rules.h, in a file of their own: the uninstaller needs them and
// nothing else of the package's rules (each object a program uses brings all its functions).
#include "package/package_rules.h"

#include <algorithm>
#include <array>

namespace velumar::package {

namespace {

bool isControl(char c) noexcept {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool isSeparator(char c) noexcept {
    return c == '\\' || c == '/';
}

char upper(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return upper(x) == upper(y); });
}

// Windows finds the device in the part before the first dot, with blanks at its end ignored.
bool isDeviceName(std::string_view name) noexcept {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
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

bool hasRefusedCharacter(std::string_view name) noexcept {
    return std::any_of(name.begin(), name.end(), [](char c) {
        return isSeparator(c) || isControl(c) ||
               std::string_view(":<>\"|*?").find(c) != std::string_view::npos;
    });
}

}  // namespace

bool isValidFileName(std::string_view name) noexcept {
    if (name.empty() || name.size() > kFileNameMax) return false;
    if (hasRefusedCharacter(name)) return false;
    if (name.find_first_not_of('.') == std::string_view::npos) return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    return !isDeviceName(name);
}

bool isValidRelativePath(std::string_view path) noexcept {
    if (path.empty() || path.size() > kFileNameMax) return false;
    size_t start = 0;
    while (true) {
        size_t end = start;
        while (end < path.size() && !isSeparator(path[end])) ++end;
        if (!isValidFileName(path.substr(start, end - start))) return false;
        if (end == path.size()) return true;
        start = end + 1;
    }
}

bool isValidWallpaperName(std::string_view name) noexcept {
    return name.size() <= kWallpaperNameMax && isValidFileName(name);
}

std::optional<std::string> joinInside(std::string_view folder, std::string_view name) {
    if (!isValidRelativePath(name)) return std::nullopt;
    if (folder.size() + name.size() > kPathMax) return std::nullopt;
    std::string path(folder);
    path.append(name);
    return path;
}

}  // namespace velumar::package
