// The package's code page. The installer reads every name and text of a package as 8-bit
// ANSI text, so what an author writes in UTF-8 (and what a modern file system names) must
// reach the package in the code page of the users' Windows: one of the single-byte Windows
// code pages, 1252 (Western) unless the manifest says otherwise. The package does not record
// its code page; velpack is told it again (--code-page) to read a package made with another.
//
// Bytes 0x00 to 0x7F are ASCII in every code page here; the upper halves come from
// code_page_tables.h. A byte a code page leaves undefined is never written, and read back as
// U+FFFD.
#ifndef VELPACK_CODE_PAGE_H
#define VELPACK_CODE_PAGE_H

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "code_page_tables.h"

namespace velpack {

inline constexpr int kDefaultCodePage = 1252;
// For messages: the code pages a package may use.
inline constexpr std::string_view kCodePageChoices = "874 or 1250 to 1258";

class CodePage {
  public:
    // The default, 1252.
    CodePage() noexcept;
    static std::optional<CodePage> find(int number) noexcept;

    int number() const noexcept { return table_->number; }
    // "Western"
    std::string_view name() const noexcept { return table_->name; }
    // "code page 1252 (Western)"
    std::string label() const;

    // The character of a byte; 0 for a byte the code page leaves undefined.
    char32_t character(unsigned char byte) const noexcept;
    // The byte of a character, or nothing when the code page does not hold it.
    std::optional<unsigned char> byteOf(char32_t character) const noexcept;

  private:
    explicit CodePage(const code_page_tables::Table& table) noexcept : table_(&table) {}
    const code_page_tables::Table* table_;
};

bool isAscii(std::string_view text) noexcept;
bool isValidUtf8(std::string_view text) noexcept;

// UTF-8 text turned into a code page's bytes, or why it could not be.
struct Conversion {
    enum class Failure { none, invalidUtf8, unmapped };

    std::string text;
    Failure failure = Failure::none;
    char32_t character = 0;  // the character the code page does not hold
    size_t offset = 0;       // where in the input the failure is

    bool ok() const noexcept { return failure == Failure::none; }
    // "the character "ł" (U+0142) is not in code page 1252 (Western)", or "it is not valid
    // UTF-8"; empty when the conversion succeeded.
    std::string describe(const CodePage& codePage) const;
};

Conversion fromUtf8(std::string_view utf8, const CodePage& codePage);

// A code page's bytes as UTF-8; an undefined byte becomes U+FFFD.
std::string toUtf8(std::string_view bytes, const CodePage& codePage);

// The first byte of `bytes` the code page leaves undefined, if any.
std::optional<unsigned char> undefinedByte(std::string_view bytes,
                                           const CodePage& codePage) noexcept;

// "\"ł\" (U+0142)": a character for messages.
std::string describeCharacter(char32_t character);

// The 1-based line of `offset` within `text`.
int lineAt(std::string_view text, size_t offset) noexcept;

// Host names in UTF-8: a path's own text (the file system's wide names on Windows) and back.
// Text that is not valid UTF-8 is taken as the host's narrow encoding.
std::string utf8Of(const std::filesystem::path& path);
std::filesystem::path pathFromUtf8(std::string_view text);

}  // namespace velpack

#endif
