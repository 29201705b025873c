#include "code_page.h"

#include <algorithm>
#include <cstdio>

namespace velpack {

namespace {

namespace tables = code_page_tables;

constexpr char32_t kReplacement = 0xFFFD;

const tables::Table& defaultTable() noexcept {
    for (const tables::Table& table : tables::kTables) {
        if (table.number == kDefaultCodePage) return table;
    }
    return tables::kTables.front();
}

// Decodes one UTF-8 sequence at text[at]; its length, or 0 when it is not a valid one
// (overlong forms, surrogates and values above U+10FFFF included).
size_t decodeUtf8(std::string_view text, size_t at, char32_t& character) noexcept {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        character = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        character = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        character = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        character = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return 0;
        character = (character << 6) | (next & 0x3F);
    }
    if (character < minimum || character > 0x10FFFF ||
        (character >= 0xD800 && character <= 0xDFFF)) {
        return 0;
    }
    return length;
}

void appendUtf8(std::string& out, char32_t character) {
    if (character < 0x80) {
        out += static_cast<char>(character);
    } else if (character < 0x800) {
        out += static_cast<char>(0xC0 | (character >> 6));
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else if (character < 0x10000) {
        out += static_cast<char>(0xE0 | (character >> 12));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (character >> 18));
        out += static_cast<char>(0x80 | ((character >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    }
}

}  // namespace

CodePage::CodePage() noexcept : table_(&defaultTable()) {}

std::optional<CodePage> CodePage::find(int number) noexcept {
    for (const tables::Table& table : tables::kTables) {
        if (table.number == number) return CodePage(table);
    }
    return std::nullopt;
}

std::string CodePage::label() const {
    return "code page " + std::to_string(table_->number) + " (" + std::string(table_->name) + ")";
}

char32_t CodePage::character(unsigned char byte) const noexcept {
    if (byte < 0x80) return byte;
    return table_->upper[byte - 0x80];
}

std::optional<unsigned char> CodePage::byteOf(char32_t character) const noexcept {
    if (character < 0x80) return static_cast<unsigned char>(character);
    if (character > 0xFFFF) return std::nullopt;
    const auto& upper = table_->upper;
    const auto found = std::find(upper.begin(), upper.end(), static_cast<char16_t>(character));
    if (found == upper.end()) return std::nullopt;
    return static_cast<unsigned char>(0x80 + (found - upper.begin()));
}

bool isAscii(std::string_view text) noexcept {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isValidUtf8(std::string_view text) noexcept {
    for (size_t at = 0; at < text.size();) {
        char32_t character = 0;
        const size_t length = decodeUtf8(text, at, character);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string Conversion::describe(const CodePage& codePage) const {
    switch (failure) {
        case Failure::invalidUtf8:
            return "it is not valid UTF-8";
        case Failure::unmapped:
            return "the character " + describeCharacter(character) + " is not in " +
                   codePage.label();
        case Failure::none:
            break;
    }
    return {};
}

Conversion fromUtf8(std::string_view utf8, const CodePage& codePage) {
    Conversion result;
    result.text.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        char32_t character = 0;
        const size_t length = decodeUtf8(utf8, at, character);
        if (length == 0) {
            result.failure = Conversion::Failure::invalidUtf8;
            result.offset = at;
            return result;
        }
        const std::optional<unsigned char> byte = codePage.byteOf(character);
        if (!byte) {
            result.failure = Conversion::Failure::unmapped;
            result.character = character;
            result.offset = at;
            return result;
        }
        result.text += static_cast<char>(*byte);
        at += length;
    }
    return result;
}

std::string toUtf8(std::string_view bytes, const CodePage& codePage) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const char32_t character = codePage.character(static_cast<unsigned char>(c));
        appendUtf8(out, character == 0 && c != '\0' ? kReplacement : character);
    }
    return out;
}

std::optional<unsigned char> undefinedByte(std::string_view bytes,
                                           const CodePage& codePage) noexcept {
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && codePage.character(byte) == 0) return byte;
    }
    return std::nullopt;
}

std::string describeCharacter(char32_t character) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
    std::string text = "\"";
    // Control characters are shown by their number alone.
    if (character >= 0x20 && character != 0x7F && !(character >= 0x80 && character < 0xA0)) {
        appendUtf8(text, character);
        text += "\" (";
        return text + code + ")";
    }
    return code;
}

int lineAt(std::string_view text, size_t offset) noexcept {
    offset = std::min(offset, text.size());
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
}

std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path pathFromUtf8(std::string_view text) {
    if (!isValidUtf8(text)) return std::filesystem::path(std::string(text));
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace velpack
