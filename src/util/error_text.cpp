#include "util/error_text.h"

namespace velumar {
namespace {

bool isTrailingNoise(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < '!' || c == '.';
}

}  // namespace

std::string trimSystemErrorText(std::string_view text) {
    while (!text.empty() && isTrailingNoise(text.back())) text.remove_suffix(1);
    return std::string(text);
}

}  // namespace velumar
