#include "ini.h"
#include "util/ascii.h"

#include <cctype>

namespace velpack {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view trim(std::string_view text) noexcept {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

}  // namespace

bool iniNameEquals(std::string_view a, std::string_view b) noexcept {
    return velumar::equalsIgnoringAsciiCase(a, b);
}

IniDocument parseIni(std::string_view text, std::vector<IniError>& errors) {
    if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
    IniDocument document;
    int lineNumber = 0;
    for (size_t pos = 0; pos < text.size();) {
        ++lineNumber;
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                errors.push_back({lineNumber, "a section line must look like [name]"});
            } else {
                document.sections.push_back(
                    {std::string(trim(line.substr(1, line.size() - 2))), lineNumber, {}});
            }
        } else if (const size_t equals = line.find('='); equals == std::string_view::npos) {
            errors.push_back({lineNumber, "expected \"key = value\" or [section]"});
        } else if (document.sections.empty()) {
            errors.push_back({lineNumber, "an entry before the first [section]"});
        } else {
            const std::string_view key = trim(line.substr(0, equals));
            IniSection& section = document.sections.back();
            if (key.empty()) {
                errors.push_back({lineNumber, "an entry without a key"});
            } else {
                for (const IniEntry& earlier : section.entries) {
                    if (iniNameEquals(earlier.key, key)) {
                        errors.push_back({lineNumber, "\"" + std::string(key) +
                                                          "\" is already set on line " +
                                                          std::to_string(earlier.line)});
                    }
                }
                section.entries.push_back(
                    {std::string(key), unquote(trim(line.substr(equals + 1))), lineNumber});
            }
        }
    }
    return document;
}

}  // namespace velpack
