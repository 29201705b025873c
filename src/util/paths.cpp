#include "util/paths.h"

namespace velumar {

std::string withTrailingBackslash(std::string_view path) {
    std::string result(path);
    if (!result.empty() && result.back() != '\\') result += '\\';
    return result;
}

std::string_view withoutTrailingBackslash(std::string_view path) {
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    return path;
}

std::string parentFolder(std::string_view path) {
    const std::string_view trimmed = withoutTrailingBackslash(path);
    const auto cut = trimmed.find_last_of("\\:");
    if (cut == std::string_view::npos) return {};
    return std::string(trimmed.substr(0, cut + 1));
}

std::string quotedCommandLine(std::string_view program, std::string_view arguments) {
    std::string line;
    line.reserve(program.size() + arguments.size() + 3);
    line.append(1, '"').append(program).append(1, '"');
    if (!arguments.empty()) line.append(1, ' ').append(arguments);
    return line;
}

}  // namespace velumar
