// Names and texts in the package's code page: the conversion itself, a build from a UTF-8
// manifest in several code pages read back by list, extract and verify, the licence, and the
// page's links to non-ASCII file names.
#include <gtest/gtest.h>

#include "builder.h"
#include "code_page.h"
#include "extract.h"
#include "inspect.h"
#include "listing.h"
#include "package/package_header.h"
#include "velpack_test_support.h"

namespace velpack {
namespace {

namespace package = velumar::package;
using testing::Bytes;
using testing::ProjectFiles;
using testing::TempFolder;

CodePage codePage(int number) {
    const std::optional<CodePage> found = CodePage::find(number);
    EXPECT_TRUE(found) << number;
    return found.value_or(CodePage());
}

std::string inCodePage(const std::string& utf8, int number) {
    const Conversion converted = fromUtf8(utf8, codePage(number));
    EXPECT_TRUE(converted.ok()) << converted.describe(codePage(number));
    return converted.text;
}

TEST(CodePage, ConvertsBothWaysInEachCodePage) {
    EXPECT_EQ(inCodePage("Café Straße €", 1252),
              "Caf\xE9 Stra\xDF"
              "e \x80");
    EXPECT_EQ(inCodePage("łódź ő", 1250),
              "\xB3\xF3"
              "d\x9F \xF5");
    EXPECT_EQ(inCodePage("Зима", 1251), "\xC7\xE8\xEC\xE0");
    EXPECT_EQ(inCodePage("ก", 874), "\xA1");
    for (const int number : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
        const CodePage page = codePage(number);
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            const std::string one(1, static_cast<char>(byte));
            if (page.character(static_cast<unsigned char>(byte)) == 0) {
                EXPECT_EQ(toUtf8(one, page), "\xEF\xBF\xBD") << number << " " << byte;
                EXPECT_TRUE(undefinedByte(one, page));
                continue;
            }
            EXPECT_EQ(inCodePage(toUtf8(one, page), number), one) << number << " " << byte;
        }
    }
    EXPECT_FALSE(CodePage::find(1249));
    EXPECT_FALSE(CodePage::find(65001));
    EXPECT_EQ(CodePage().number(), 1252);
}

TEST(CodePage, SaysWhichCharacterItCannotHoldAndWhere) {
    const Conversion missing = fromUtf8("ab\nłx", CodePage());
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.character, U'ł');
    EXPECT_EQ(missing.offset, 3u);
    EXPECT_EQ(lineAt("ab\nłx", missing.offset), 2);
    EXPECT_EQ(missing.describe(CodePage()),
              "the character \"ł\" (U+0142) is not in code page 1252 (Western)");
    EXPECT_EQ(fromUtf8("\xC3(", CodePage()).failure, Conversion::Failure::invalidUtf8);
    EXPECT_EQ(fromUtf8("\xC0\xAF", CodePage()).failure, Conversion::Failure::invalidUtf8)
        << "an overlong \"/\"";
    EXPECT_EQ(fromUtf8("\xED\xA0\x80", CodePage()).failure, Conversion::Failure::invalidUtf8)
        << "a surrogate";
    EXPECT_EQ(fromUtf8("\xF0\x9F\x98\x80", CodePage()).character, U'\U0001F600');
    EXPECT_TRUE(isValidUtf8("Été"));
    EXPECT_FALSE(isValidUtf8("\xC9t\xE9"));
}

class CodePageBuild : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::writeText(temp / "page.html", "<html></html>");
        testing::writeText(temp / "content" / "readme.txt", "readme");
    }

    BuildResult build(const std::string& package, const std::string& rest = "") {
        return testing::buildText(temp.path(),
                                  "[package]\nkind = silent\n" + package +
                                      "[slot2]\nfile = project:placeholder.exe\n"
                                      "[slot6]\nfile = page.html\n"
                                      "[slot9]\nfile = project:placeholder.exe\n"
                                      "[data]\nfolder = content\n" +
                                      rest,
                                  project.options());
    }

    static package::PackageHeader headerOf(const Bytes& installer) {
        return package::decodePackageHeader(std::span(installer)
                                                .subspan(testing::kSyntheticStubSize)
                                                .first<package::kPackageHeaderSize>());
    }

    static bool has(const std::vector<std::string>& lines, int line, const std::string& part) {
        const std::string where = ":" + std::to_string(line) + ": ";
        for (const std::string& text : lines) {
            if (text.find(where) != std::string::npos && text.find(part) != std::string::npos)
                return true;
        }
        return false;
    }

    static std::string all(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        return text;
    }

    std::vector<std::string> recordNames(const Inspection& inspection) {
        std::vector<std::string> names;
        if (!inspection.dataFile) return names;
        for (int number = 1; number <= inspection.dataFile->recordCount(); ++number)
            names.push_back(inspection.dataFile->record(number).name());
        return names;
    }

    TempFolder temp;
    ProjectFiles project{temp / "project"};
};

TEST_F(CodePageBuild, WesternNamesAreStoredIn1252AndListedBackInUtf8) {
    testing::writeText(temp / "content/straße/café.txt", "café");
    testing::writeText(temp / "euro.txt", "euro");
    const BuildResult result = build("wallpaperName = Été Doré €\n",
                                     "[record1]\nfile = euro.txt\nname = prix €.txt\n"
                                     "[slot10]\nfile = euro.txt\nname = Grüße.txt\n");
    ASSERT_TRUE(result.ok()) << all(result.errors);
    const package::PackageHeader header = headerOf(result.installer);
    EXPECT_EQ(header.wallpaperName(), "\xC9t\xE9 Dor\xE9 \x80");
    EXPECT_EQ(header.slot(6).name(), "\xC9t\xE9 Dor\xE9 \x80.html");
    EXPECT_EQ(header.slot(10).name(),
              "Gr\xFC\xDF"
              "e.txt");

    const Inspection inspection = inspectInstaller(result.installer, std::nullopt);
    EXPECT_TRUE(inspection.sound()) << all(inspection.problems);
    EXPECT_EQ(recordNames(inspection), (std::vector<std::string>{"prix \x80.txt", "readme.txt",
                                                                 "stra\xDF"
                                                                 "e\\caf\xE9.txt"}));

    const std::string text = listingText(inspection, "x.exe");
    for (const char* shown : {"codePage      1252 (Western", "wallpaper     Été Doré €\n",
                              "Été Doré €.html", "Grüße.txt", "prix €.txt", "straße\\café.txt"}) {
        EXPECT_NE(text.find(shown), std::string::npos) << shown << "\n" << text;
    }
    const std::string json = listingJson(inspection, "x.exe");
    for (const char* shown : {"\"codePage\": 1252", "\"wallpaperName\": \"Été Doré €\"",
                              "\"name\": \"straße\\\\café.txt\""}) {
        EXPECT_NE(json.find(shown), std::string::npos) << shown << "\n" << json;
    }

    const fs::path out = temp / "out";
    const ExtractResult extracted = extractInstaller(inspection, out);
    EXPECT_TRUE(extracted.errors.empty()) << all(extracted.errors);
    EXPECT_EQ(testing::readBytes(out / pathFromUtf8("data/straße/café.txt")),
              testing::bytesOf("café"));
    EXPECT_EQ(testing::readBytes(out / pathFromUtf8("Grüße.txt")), testing::bytesOf("euro"));
    EXPECT_TRUE(fs::exists(out / pathFromUtf8("Été Doré €.html")));
}

TEST_F(CodePageBuild, CentralEuropeanAndCyrillicNamesInTheirCodePages) {
    testing::writeText(temp / "content/łąka.txt", "meadow");
    const BuildResult central = build("wallpaperName = Łódź Győr\ncodePage = 1250\n");
    ASSERT_TRUE(central.ok()) << all(central.errors);
    EXPECT_EQ(headerOf(central.installer).wallpaperName(),
              "\xA3\xF3"
              "d\x9F Gy\xF5r");
    const Inspection read1250 = inspectInstaller(central.installer, std::nullopt, codePage(1250));
    EXPECT_TRUE(read1250.sound()) << all(read1250.problems);
    const std::string listed = listingText(read1250, "x.exe");
    EXPECT_NE(listed.find("wallpaper     Łódź Győr\n"), std::string::npos) << listed;
    EXPECT_NE(listed.find("łąka.txt"), std::string::npos) << listed;
    // Read as the default Western page the same bytes are other letters.
    EXPECT_NE(listingText(inspectInstaller(central.installer, std::nullopt), "x.exe")
                  .find("wallpaper     £ódŸ Gyõr\n"),
              std::string::npos);

    fs::remove(temp / "content/łąka.txt");
    testing::writeText(temp / "content/снег.txt", "snow");
    const BuildResult cyrillic = build("codePage = 1251\nwallpaperName = Зима\n");
    ASSERT_TRUE(cyrillic.ok()) << all(cyrillic.errors);
    EXPECT_EQ(headerOf(cyrillic.installer).wallpaperName(), "\xC7\xE8\xEC\xE0");
    const Inspection read1251 = inspectInstaller(cyrillic.installer, std::nullopt, codePage(1251));
    EXPECT_EQ(recordNames(read1251),
              (std::vector<std::string>{"readme.txt", "\xF1\xED\xE5\xE3.txt"}));
    EXPECT_NE(listingJson(read1251, "x.exe").find("\"name\": \"снег.txt\""), std::string::npos);
}

TEST_F(CodePageBuild, ACharacterOutsideTheCodePageIsRefusedWithItsLine) {
    const BuildResult name =
        build("wallpaperName = Łódź\n", "[record1]\nname = ok€.txt\ncopy = yes\n");
    EXPECT_TRUE(has(name.errors, 3,
                    "wallpaperName \"Łódź\": the character \"Ł\" (U+0141) is not in code page "
                    "1252 (Western)"))
        << all(name.errors);

    const BuildResult record = build("wallpaperName = W\ncodePage = 1251\n",
                                     "[record1]\nname = prix €.txt\ncopy = yes\n"
                                     "[slot10]\nfile = page.html\nname = café.txt\n");
    EXPECT_TRUE(has(record.errors, 18, "\"é\" (U+00E9) is not in code page 1251 (Cyrillic)"))
        << all(record.errors);
    EXPECT_FALSE(has(record.errors, 14, "€")) << "1251 holds the euro sign";

    testing::writeText(temp / "content/żółw.txt", "turtle");
    const BuildResult file = build("wallpaperName = W\n");
    EXPECT_TRUE(has(file.errors, 10, "the data folder's file \"żółw.txt\": the character \"ż\""))
        << all(file.errors);

    EXPECT_TRUE(has(build("wallpaperName = W\ncodePage = 65001\n").errors, 4,
                    "codePage must be 874 or 1250 to 1258"));
    EXPECT_TRUE(has(build("wallpaperName = \xC9t\xE9\n").errors, 3, "not valid UTF-8"));
}

TEST_F(CodePageBuild, TheNameRulesJudgeTheConvertedName) {
    // 64 characters, but 128 bytes of UTF-8.
    std::string sixtyFour;
    for (int i = 0; i < 64; ++i) sixtyFour += "é";
    const BuildResult result = build("wallpaperName = " + sixtyFour + "\n");
    ASSERT_TRUE(result.ok()) << all(result.errors);
    EXPECT_EQ(headerOf(result.installer).wallpaperName(), std::string(64, '\xE9'));
    EXPECT_TRUE(has(build("wallpaperName = " + sixtyFour + "é\n").errors, 3, "1 to 64 characters"));
}

TEST_F(CodePageBuild, LicenceInUtf8IsConvertedUnlessToldNotTo) {
    const auto licenceSlot = [&](const std::string& bytes, const std::string& extra = "") {
        testing::writeText(temp / "licence.txt", bytes);
        return testing::buildText(temp.path(),
                                  "[package]\nkind = picture\nwallpaperName = W\n"
                                  "[slot2]\nfile = project:placeholder.exe\n"
                                  "[slot3]\nfile = page.html\nname = p.bmp\n"
                                  "[slot4]\nfile = licence.txt\n" +
                                      extra +
                                      "[slot6]\nfile = page.html\n"
                                      "[slot9]\nfile = project:placeholder.exe\n",
                                  project.options());
    };
    const auto licenceOf = [](const BuildResult& result) {
        const Inspection inspection = inspectInstaller(result.installer, std::nullopt);
        const auto& content = inspection.slotContents[package::slots::license];
        return content ? std::string(content->begin(), content->end()) : std::string("(none)");
    };

    const BuildResult plain = licenceSlot("Crédits: Zoë\r\n");
    ASSERT_TRUE(plain.ok()) << all(plain.errors);
    EXPECT_EQ(licenceOf(plain),
              "Cr\xE9"
              "dits: Zo\xEB\r\n");
    EXPECT_TRUE(has(plain.notes, 10, "licence.txt is UTF-8: converted to code page 1252 (Western)"))
        << all(plain.notes);

    const BuildResult marked = licenceSlot("\xEF\xBB\xBFLicence\r\n\xC2\xA9 2003\r\n");
    ASSERT_TRUE(marked.ok()) << all(marked.errors);
    EXPECT_EQ(licenceOf(marked), "Licence\r\n\xA9 2003\r\n");
    EXPECT_TRUE(has(marked.notes, 10, "its byte order mark dropped")) << all(marked.notes);

    const BuildResult kept = licenceSlot("Crédits\r\n", "convert = no\n");
    ASSERT_TRUE(kept.ok()) << all(kept.errors);
    EXPECT_EQ(licenceOf(kept),
              "Cr\xC3\xA9"
              "dits\r\n");
    EXPECT_TRUE(kept.notes.empty()) << all(kept.notes);

    const BuildResult ansi = licenceSlot(
        "Cr\xE9"
        "dits\r\n");
    ASSERT_TRUE(ansi.ok()) << all(ansi.errors);
    EXPECT_EQ(licenceOf(ansi),
              "Cr\xE9"
              "dits\r\n");
    EXPECT_TRUE(has(ansi.notes, 10,
                    "licence.txt is neither ASCII nor UTF-8: taken as already in code page 1252"))
        << all(ansi.notes);

    const BuildResult ascii = licenceSlot("Plain text\r\n");
    ASSERT_TRUE(ascii.ok());
    EXPECT_TRUE(ascii.notes.empty()) << all(ascii.notes);

    const BuildResult refused = licenceSlot("one\ntwo\nthree ✓\n");
    EXPECT_TRUE(has(refused.errors, 3, "the character \"✓\" (U+2713) is not in code page 1252"))
        << all(refused.errors);
    EXPECT_NE(all(refused.errors).find("licence.txt:3: "), std::string::npos)
        << all(refused.errors);

    EXPECT_TRUE(has(testing::buildText(temp.path(),
                                       "[package]\nkind = silent\nwallpaperName = W\n"
                                       "[slot6]\nfile = page.html\nconvert = no\n",
                                       project.options())
                        .errors,
                    6, "convert belongs to [slot4]"));
}

TEST_F(CodePageBuild, PageNamingANonAsciiFileIsWarned) {
    testing::writeText(temp / "content/café.swf", "movie");
    testing::writeText(temp / "content" / "plain.swf", "movie");
    testing::writeText(temp / "page.html", "<embed src=\"plain.swf\">");
    const BuildResult quiet = build("wallpaperName = W\n");
    ASSERT_TRUE(quiet.ok()) << all(quiet.errors);
    EXPECT_TRUE(quiet.notes.empty()) << all(quiet.notes);

    for (const std::string link : {"CAFé.SWF", "caf%C3%A9.swf", "caf\xE9.swf"}) {
        testing::writeText(temp / "page.html", "<embed src=\"" + link + "\">");
        const BuildResult warned = build("wallpaperName = W\n");
        ASSERT_TRUE(warned.ok()) << all(warned.errors);
        EXPECT_TRUE(has(warned.notes, 7,
                        "warning: the page page.html names the local file \"café.swf\", whose "
                        "name is not ASCII: the link may not resolve on the user's machine; use "
                        "ASCII file names"))
            << link << "\n"
            << all(warned.notes);
    }
}

TEST_F(CodePageBuild, VerifyReportsANameTheCodePageDoesNotDefine) {
    const BuildResult result = build("wallpaperName = Ò\n");
    ASSERT_TRUE(result.ok()) << all(result.errors);
    EXPECT_TRUE(inspectInstaller(result.installer, std::nullopt).sound());
    const Inspection greek = inspectInstaller(result.installer, std::nullopt, codePage(1253));
    bool reported = false;
    for (const std::string& problem : greek.problems) {
        reported |= problem ==
                    "the wallpaper name \"\xEF\xBF\xBD\" holds the byte 0xD2, which code page 1253 "
                    "(Greek) does not define (give --code-page for a package made with another)";
    }
    EXPECT_TRUE(reported) << all(greek.problems);
}

}  // namespace
}  // namespace velpack
