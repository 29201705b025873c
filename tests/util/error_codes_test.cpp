// The table of codes in util/error_codes.h against its definitions, and the rule that no other
// header of the product defines a code.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "util/error_codes.h"

namespace velumar {
namespace {

const std::filesystem::path kSourceDir = VELUMAR_SOURCE_DIR;

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// name -> value of every `inline constexpr ErrorCode kName = value;` in text.
std::multimap<std::string, int> definedCodes(const std::string& text) {
    static const std::regex definition(R"(constexpr\s+ErrorCode\s+(k\w+)\s*=\s*(-?\d+)\s*;)");
    std::multimap<std::string, int> codes;
    for (std::sregex_iterator it(text.begin(), text.end(), definition), end; it != end; ++it)
        codes.emplace((*it)[1].str(), std::stoi((*it)[2].str()));
    return codes;
}

// name -> value of every row "// | value | kName |" of the table.
std::multimap<std::string, int> tableRows(const std::string& text) {
    static const std::regex row(R"(// \| (-?\d+)\s*\| (k\w+)\s*\|)");
    std::multimap<std::string, int> rows;
    for (std::sregex_iterator it(text.begin(), text.end(), row), end; it != end; ++it)
        rows.emplace((*it)[2].str(), std::stoi((*it)[1].str()));
    return rows;
}

TEST(ErrorCodes, EachCodeOneNameOneValueAndOneRowOfTheTable) {
    const std::string header = fileText(kSourceDir / "src/util/error_codes.h");
    const auto codes = definedCodes(header);
    ASSERT_GT(codes.size(), 20u);
    std::set<int> values;
    std::set<std::string> names;
    for (const auto& [name, value] : codes) {
        EXPECT_TRUE(names.insert(name).second) << name << " defined twice";
        EXPECT_TRUE(values.insert(value).second) << value << " has a second name, " << name;
        EXPECT_TRUE(value != 0 || name == "kOk") << name << " is 0, the code of success";
    }
    EXPECT_EQ(tableRows(header), codes);
}

TEST(ErrorCodes, TheNamesCarryTheTablesValues) {
    EXPECT_EQ(kOk, 0);
    EXPECT_EQ(kFileBusy, -32);
    EXPECT_EQ(kShortBlockRead, 100);
    EXPECT_EQ(kFlashStepCancelled, 409);
    EXPECT_EQ(kInstallerDamaged, -541);
}

TEST(ErrorCodes, NoOtherFileOfTheProductDefinesACode) {
    // Any ErrorCode constant, or a negative 32-bit one (the COM dispatch ids are not codes).
    const std::regex definition(
        R"(constexpr\s+ErrorCode\s+k|constexpr\s+(std::)?int32_t\s+k(?!DispId)\w+\s*=\s*-\d)");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kSourceDir / "src")) {
        const auto extension = entry.path().extension();
        if (extension != ".h" && extension != ".cpp") continue;
        if (entry.path().filename() == "error_codes.h") continue;
        EXPECT_FALSE(std::regex_search(fileText(entry.path()), definition)) << entry.path();
    }
}

}  // namespace
}  // namespace velumar
