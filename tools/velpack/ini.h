// A small INI reader for package manifests, in the convention of Windows
// installer tools: "[section]" lines, "key = value" lines, whole-line comments
// starting with ";" or "#". Section and key names compare without regard to
// case; a value may be put in double quotes to keep blanks at its ends. Every
// section and entry remembers its line for error messages.
#ifndef VELPACK_INI_H
#define VELPACK_INI_H

#include <string>
#include <string_view>
#include <vector>

namespace velpack {

struct IniEntry {
    std::string key;  // as written
    std::string value;
    int line = 0;
};

struct IniSection {
    std::string name;  // as written, without the brackets
    int line = 0;
    std::vector<IniEntry> entries;
};

struct IniError {
    int line = 0;
    std::string message;
};

struct IniDocument {
    std::vector<IniSection> sections;
};

// Parses the whole text. Problems (a line that is neither a section nor an
// entry, an entry before the first section, a key given twice in a section)
// are collected in `errors`; the document holds what could be read.
IniDocument parseIni(std::string_view text, std::vector<IniError>& errors);

// ASCII case-insensitive comparison, as Windows compares INI names.
bool iniNameEquals(std::string_view a, std::string_view b) noexcept;

}  // namespace velpack

#endif
