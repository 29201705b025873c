// One list of names with the verdict every reader and writer of a package must give them: the
// installer's start-up, extraction and data file expansion, and the package tool's build and
// verify. Tests on both sides walk this list.
#ifndef VELUMAR_TESTS_PACKAGE_NAME_CASES_H
#define VELUMAR_TESTS_PACKAGE_NAME_CASES_H

#include <string>
#include <vector>

namespace velumar::testing {

struct NameCase {
    std::string name;
    bool fileName;  // a file name inside its folder (a slot name, a record name's part)
    bool recordName = fileName;  // a data record name, which may name sub-folders
    bool wallpaperName() const { return fileName && name.size() <= 64; }
};

inline const std::vector<NameCase>& nameCases() {
    static const std::vector<NameCase> cases = {
        {"Autumn", true},
        {"Autumn..Leaves", true},
        {"Northern Lights.html", true},
        {".hidden", true},
        {"..dat", true},
        {"a.b.c", true},
        {"\xC4pfel \xE9t\xE9", true},
        {"CONSOLE.txt", true},
        {"COM0", true},
        {"LPT10.log", true},
        {"nul-free", true},
        {std::string(64, 'w'), true},
        {std::string(65, 'w'), true},  // a file name, too long for a wallpaper
        {std::string(255, 'f'), true},
        {std::string(256, 'f'), false},
        {"", false},
        {".", false},
        {"..", false},
        {"...", false},
        {"..\\..\\..\\win.ini", false},
        {"../x", false},
        {"a\\b", false, true},
        {"a/b", false, true},
        {"\\abs", false},
        {"C:x", false},
        {"x.txt:stream", false},
        {"NUL", false},
        {"nul", false},
        {"nul.txt", false},
        {"CON .log", false},
        {"aux", false},
        {"Com1", false},
        {"lpt9.dat", false},
        {"prn.x.y", false},
        {"*", false},
        {"*.*", false},
        {"a?b", false},
        {"a<b", false},
        {"a>b", false},
        {"a|b", false},
        {"a\"b", false},
        {"dot.", false},
        {"blank ", false},
        {"tab\there", false},
        {"bell\x07", false},
        {"del\x7F", false},
    };
    return cases;
}

}  // namespace velumar::testing

#endif
