#include <windows.h>
#include <wininet.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../util/recording_active_desktop_win32.h"
#include "../util/scratch_folder_win32.h"
#include "desktop/active_desktop_win32.h"
#include "desktop/uninstall_entry_win32.h"
#include "package/data_file.h"
#include "package/datafile_expand.h"
#include "package/datafile_win32.h"
#include "util/handles_win32.h"

namespace velumar::desktop {
namespace {

using package::DataRecordSource;
using velumar::testing::ScratchFolder;
using velumar::testing::writeFile;

// "AIAIAIAIAIAIA" imploded with literal mode 0 and dictionary code 4.
const std::vector<uint8_t> kAiaiImploded = {0x00, 0x04, 0x82, 0x24, 0x25, 0x8f, 0x80, 0x7f};

std::string programFolder() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string readWholeFile(const std::string& path) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file) return "<missing>";
    std::string content(::GetFileSize(file.get(), nullptr), '\0');
    DWORD read = 0;
    ::ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
    return content;
}

bool exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class RecordingHost final : public package::DataFileHost {
  public:
    void setStatusText(std::string_view text) override {
        log.push_back("status " + std::string(text));
    }
    void stepProgress() override { log.push_back("step"); }
    void reportInstallError(velumar::ErrorCode code, const std::string& text) override {
        log.push_back("report " + std::to_string(code) + " " + text);
    }
    void showErrorDialog(const std::string& message) override { log.push_back("error " + message); }
    void showInformationDialog(const std::string& message) override {
        log.push_back("info " + message);
    }
    std::vector<std::string> log;
};

DataRecordSource plain(std::string name, std::string content) {
    DataRecordSource record;
    record.name = std::move(name);
    record.size = static_cast<int32_t>(content.size());
    record.stored.assign(content.begin(), content.end());
    return record;
}

DataRecordSource copyOf(std::string name) {
    DataRecordSource record;
    record.name = std::move(name);
    record.copy = true;
    return record;
}

std::vector<uint8_t> dataFile(const std::vector<DataRecordSource>& records, int32_t kind = 1) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(package::writeDataFile("Beach", kind, records, bytes).ok());
    return bytes;
}

void putFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    writeFile(path, std::string(bytes.begin(), bytes.end()));
}

constexpr size_t recordAt(int number) {
    return package::kDataFileHeaderSize + size_t(number - 1) * package::kDataRecordSize;
}

struct Expansion {
    ScratchFolder scratch;
    std::string folder = scratch / "Beach dir\\";
    std::string path = folder + "Beach.ssd";
    RecordingHost host;
    package::DataFileExpander expander{"Beach", programFolder()};

    Expansion() { ::CreateDirectoryA(folder.c_str(), nullptr); }
    velumar::ErrorCode expand(const std::vector<uint8_t>& bytes) {
        putFile(path, bytes);
        return expander.expandDataFile(host, path, folder);
    }
};

TEST(DataFileExpansion, RecordsSubFoldersAndCopiesAreWrittenByteExact) {
    Expansion run;
    const std::string binary("\x00\x01\xff\r\n", 5);
    std::vector<uint8_t> bytes =
        dataFile({plain("main.swf", "movie"), plain("media\\deep\\clip.bin", binary),
                  copyOf("second.swf"), plain("skipped.txt", "s")});
    // An empty name marks a record that is skipped.
    std::fill_n(bytes.begin() + recordAt(4) + 2, 256, 0);
    EXPECT_EQ(run.expand(bytes), 0);
    EXPECT_FALSE(exists(run.folder + "skipped.txt"));
    EXPECT_EQ(readWholeFile(run.folder + "main.swf"), "movie");
    EXPECT_EQ(readWholeFile(run.folder + "media\\deep\\clip.bin"), binary);
    EXPECT_EQ(readWholeFile(run.folder + "second.swf"), "movie");
    EXPECT_EQ(run.host.log, (std::vector<std::string>{"status Expanding files...", "step"}));
    EXPECT_FALSE(run.expander.isOpen());
    EXPECT_TRUE(::GetFileAttributesA((run.folder + "main.swf").c_str()) & FILE_ATTRIBUTE_ARCHIVE);
}

TEST(DataFileExpansion, MoviePackageCopiesInstallerSwfUnderRecordOnesName) {
    Expansion run;
    writeFile(run.folder + "installer.swf", "preview");
    EXPECT_EQ(run.expand(dataFile({plain("main.swf", "ignored"), copyOf("again.swf")}, 3)), 0);
    EXPECT_EQ(readWholeFile(run.folder + "main.swf"), "preview");
    EXPECT_EQ(readWholeFile(run.folder + "again.swf"), "preview");

    Expansion missing;
    EXPECT_EQ(missing.expand(dataFile({plain("main.swf", "x")}, 3)), velumar::kCopyRecordFailed);
    EXPECT_EQ(missing.host.log.back(), "report -532 " + missing.folder + "installer.swf");
}

TEST(DataFileExpansion, NameLeavingTheFolderOrNamingADeviceFailsBeforeAnyRecordIsWritten) {
    for (const char* name : {"..\\evil.txt", "C:evil.txt", "\\evil.txt", "a\\...\\evil.txt", "NUL",
                             "con.txt", "*.txt", "evil.txt."}) {
        Expansion run;
        std::vector<uint8_t> bytes =
            dataFile({plain("first.txt", "first"), plain("aaaaaaaaaaaaaaaaaaa", "payload")});
        std::fill(bytes.begin() + recordAt(2) + 2, bytes.begin() + recordAt(2) + 258, 0);
        std::copy(name, name + strlen(name), bytes.begin() + recordAt(2) + 2);
        EXPECT_EQ(run.expand(bytes), velumar::kRecordNameUnsafe) << name;
        EXPECT_EQ(run.host.log.back(), "report -533 " + run.folder + name);
        EXPECT_FALSE(exists(run.scratch / "evil.txt"));
        EXPECT_FALSE(exists(run.folder + "first.txt")) << "nothing is written before the check";
    }
}

TEST(DataFileExpansion, DataFileNamingAnotherWallpaperIsRefusedBeforeAnyRecord) {
    for (const char* name : {"Other", "..\\..\\..\\X", "Beach "}) {
        Expansion run;
        std::vector<uint8_t> bytes;
        bytes = dataFile({plain("a.txt", "a")});
        std::fill_n(bytes.begin() + 248, 64, 0);
        std::copy(name, name + strlen(name), bytes.begin() + 248);
        EXPECT_EQ(run.expand(bytes), velumar::kDataFileOtherWallpaper) << name;
        EXPECT_EQ(run.host.log.back(), "error " + package::openingFailedMessage(run.path, -535));
        EXPECT_FALSE(exists(run.folder + "a.txt"));
    }
}

TEST(DataFileExpansion, RecordCountAbove109IsRefusedAndANegativeOneReadsNone) {
    for (const int32_t count : {110, 0x7FFFFFFF, -1}) {
        Expansion run;
        std::vector<uint8_t> bytes = dataFile({plain("a.txt", "a")});
        package::DataFileHeader header;
        std::copy_n(bytes.begin(), header.bytes.size(), header.bytes.begin());
        header.setRecordCount(count);
        std::copy(header.bytes.begin(), header.bytes.end(), bytes.begin());
        if (count < 0) {
            EXPECT_EQ(run.expand(bytes), 0);
            EXPECT_EQ(run.host.log,
                      (std::vector<std::string>{"status Expanding files...", "step"}));
        } else {
            EXPECT_EQ(run.expand(bytes), velumar::kRecordCountOutOfRange);
            EXPECT_EQ(run.host.log.back(),
                      "error " + package::openingFailedMessage(run.path, -534));
        }
        EXPECT_FALSE(exists(run.folder + "a.txt"));
        EXPECT_FALSE(run.expander.isOpen());
    }
}

TEST(DataFileExpansion, CopyRecordAfterAnEmptyFirstRecordFailsWith532) {
    Expansion run;
    std::vector<uint8_t> bytes = dataFile({plain("first.txt", "x"), copyOf("second.txt")});
    std::fill_n(bytes.begin() + recordAt(1) + 2, 256, 0);
    EXPECT_EQ(run.expand(bytes), velumar::kCopyRecordFailed);
    EXPECT_EQ(run.host.log.back(), "report -532 " + run.folder);
}

TEST(DataFileExpansion, ImplodeBombStopsAtTheRecordSizeAndLeavesNoFile) {
    Expansion run;
    DataRecordSource record;
    record.name = "bomb.bin";
    record.compressed = true;
    record.size = 5;  // the stream expands to 13 bytes
    record.stored = kAiaiImploded;
    EXPECT_EQ(run.expand(dataFile({record})), velumar::kExpandedLengthWrong);
    EXPECT_FALSE(exists(run.folder + "bomb.bin"));
}

TEST(DataFileExpansion, BlockRunningPastTheEndFailsAsShortReadWithoutAFile) {
    Expansion run;
    writeFile(run.folder + "a.txt", "old");
    std::vector<uint8_t> bytes = dataFile({plain("a.txt", "abc")});
    const size_t block = recordAt(2);  // the first block follows the one-record table
    bytes[block + 8] = 0xFF;
    bytes[block + 9] = 0xFF;
    bytes[block + 10] = 0xFF;
    bytes[block + 11] = 0x7F;
    EXPECT_EQ(run.expand(bytes), velumar::kShortBlockRead);
    EXPECT_EQ(run.host.log.back(),
              "error Corvana Error: Problem reading Velumar data file. Disk read error");
    EXPECT_EQ(readWholeFile(run.folder + "a.txt"), "old") << "checked before anything is written";
}

TEST(DataFileExpansion, WrongExpandedLengthIsMinus13AndTheFileGoes) {
    Expansion run;
    DataRecordSource record;
    record.name = "aiai.txt";
    record.compressed = true;
    record.size = 14;  // expands to 13 bytes
    record.stored = kAiaiImploded;
    EXPECT_EQ(run.expand(dataFile({record})), velumar::kExpandedLengthWrong);
    EXPECT_FALSE(exists(run.folder + "aiai.txt"));
    EXPECT_TRUE(run.expander.isOpen());

    // A second expansion in the same run works on what the first one read.
    EXPECT_EQ(run.expander.expandDataFile(run.host, run.path, run.folder),
              velumar::kExpandedLengthWrong);
    EXPECT_NE(std::find(run.host.log.begin(), run.host.log.end(),
                        "info Corvana Error: Velumar data file already in use."),
              run.host.log.end());
    EXPECT_EQ(run.expander.closeDataFile(run.host), 0);

    Expansion right;
    record.size = 13;
    EXPECT_EQ(right.expand(dataFile({record})), 0);
    EXPECT_EQ(readWholeFile(right.folder + "aiai.txt"), "AIAIAIAIAIAIA");
}

TEST(DataFileExpansion, RecordNumbersAndOpenState) {
    RecordingHost host;
    package::DataFileExpander expander{"Beach"};
    EXPECT_EQ(expander.extractDataRecord(host, "C:\\", 1), velumar::kRecordBeyondCount);
    EXPECT_EQ(expander.closeDataFile(host), 0);
}

// Registry keys of a test, under HKCU\Software\VelumarTest, standing in for the roots.
class RegistryRoots {
  public:
    RegistryRoots() {
        base_ = "Software\\VelumarTest" + std::to_string(::GetCurrentProcessId());
        ::RegCreateKeyExA(HKEY_CURRENT_USER, (base_ + "\\user").c_str(), 0, nullptr, 0,
                          KEY_ALL_ACCESS, nullptr, user_.put(), nullptr);
        ::RegCreateKeyExA(HKEY_CURRENT_USER, (base_ + "\\machine").c_str(), 0, nullptr, 0,
                          KEY_ALL_ACCESS, nullptr, machine_.put(), nullptr);
        overridden_ = ::RegOverridePredefKey(HKEY_CURRENT_USER, user_.get()) == ERROR_SUCCESS &&
                      ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_.get()) == ERROR_SUCCESS;
    }
    ~RegistryRoots() {
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        user_.reset();
        machine_.reset();
        ::SHDeleteKeyA(HKEY_CURRENT_USER, base_.c_str());
    }
    bool overridden() const { return overridden_; }
    HKEY user() const { return user_.get(); }
    HKEY machine() const { return machine_.get(); }

  private:
    std::string base_;
    RegistryKey user_;
    RegistryKey machine_;
    bool overridden_ = false;
};

std::string readString(HKEY root, const std::string& key, const std::string& value) {
    char text[512] = {};
    DWORD size = sizeof text;
    if (::SHGetValueA(root, key.c_str(), value.c_str(), nullptr, text, &size) != ERROR_SUCCESS)
        return "<missing>";
    return text;
}

DWORD readDword(HKEY root, const std::string& key, const std::string& value) {
    DWORD number = 0;
    DWORD size = sizeof number;
    ::SHGetValueA(root, key.c_str(), value.c_str(), nullptr, &number, &size);
    return number;
}

bool keyExists(HKEY root, const std::string& key) {
    RegistryKey opened;
    return ::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

void writeEntry(HKEY root, const std::string& name, const std::string& command) {
    RegistryKey key;
    ::RegCreateKeyExA(root, (kUninstall + name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      key.put(), nullptr);
    ::RegSetValueExA(key.get(), "UninstallString", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(command.c_str()), DWORD(command.size() + 1));
}

const std::string kBeachFolder = "C:\\WINDOWS\\Web\\Wallpaper\\Beach dir\\";

TEST(UninstallEntry, RegistersBothValuesQuotedAndRemovesOnlyOurPerUserKey) {
    RegistryRoots roots;
    ASSERT_TRUE(roots.overridden());
    writeEntry(roots.user(), "Beach", "C:\\WINDOWS\\WEB\\Wallpaper\\Beach dir\\uninstall.exe");
    writeEntry(roots.user(), "Other", "\"C:\\Program Files\\Other\\remove.exe\"");

    EXPECT_EQ(registerUninstallWith("Beach", kBeachFolder, false), 0);
    EXPECT_EQ(readString(roots.machine(), kUninstall + "Beach", "DisplayName"), "Beach Wallpaper");
    EXPECT_EQ(readString(roots.machine(), kUninstall + "Beach", "UninstallString"),
              "\"C:\\WINDOWS\\Web\\Wallpaper\\Beach dir\\uninstall.exe\"");
    EXPECT_FALSE(keyExists(roots.user(), kUninstall + "Beach"));
    EXPECT_EQ(registerUninstallWith("", kBeachFolder, false), ERROR_INVALID_NAME);

    const std::vector<std::string> own = ownUninstallers("Beach", kBeachFolder);
    removeUninstallEntry("Beach", own);
    EXPECT_FALSE(keyExists(roots.machine(), kUninstall + "Beach"));
    EXPECT_TRUE(keyExists(roots.machine(), kUninstall));  // only that one entry went
    EXPECT_TRUE(keyExists(roots.user(), kUninstall + "Other"));
}

TEST(UninstallEntry, ShortFormOnWindows9xWhenThePathHasOne) {
    RegistryRoots roots;
    ASSERT_TRUE(roots.overridden());
    ScratchFolder scratch;
    const std::string windows = scratch / "Long Windows Folder\\";
    ::CreateDirectoryA(windows.c_str(), nullptr);
    ::CreateDirectoryA((windows + "Web").c_str(), nullptr);
    ::CreateDirectoryA((windows + "Web\\Wallpaper").c_str(), nullptr);
    const std::string folder = windows + "Web\\Wallpaper\\Sea Side dir\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    writeFile(folder + "uninstall.exe");
    const std::string longForm = folder + "uninstall.exe";
    char expected[MAX_PATH] = {};
    ::GetShortPathNameA(longForm.c_str(), expected, MAX_PATH);
    ASSERT_EQ(std::string(expected).find(' '), std::string::npos);

    EXPECT_EQ(registerUninstallWith("Sea Side", folder, true), 0);
    EXPECT_EQ(readString(roots.machine(), kUninstall + "Sea Side", "UninstallString"), expected);
    EXPECT_EQ(registerUninstallWith("Sea Side", folder, false), 0);
    EXPECT_EQ(readString(roots.machine(), kUninstall + "Sea Side", "UninstallString"),
              '"' + longForm + '"');
}

// Another program's entry of the wallpaper's name is neither overwritten nor removed; ours, as
// it was before a run, comes back.
TEST(UninstallEntry, ForeignEntryStaysAndOursComesBackAsItWas) {
    RegistryRoots roots;
    ASSERT_TRUE(roots.overridden());
    writeEntry(roots.machine(), "Beach", "\"C:\\Program Files\\Beach Game\\uninst.exe\"");
    const std::vector<std::string> own = ownUninstallers("Beach", kBeachFolder);
    EXPECT_EQ(uninstallEntryOwner(roots.machine(), "Beach", own), EntryOwner::foreign);
    EXPECT_EQ(registerUninstallWith("Beach", kBeachFolder, false), -542);
    removeUninstallEntry("Beach", own);
    EXPECT_EQ(readString(roots.machine(), kUninstall + "Beach", "UninstallString"),
              "\"C:\\Program Files\\Beach Game\\uninst.exe\"");
    EXPECT_EQ(readString(roots.machine(), kUninstall + "Beach", "DisplayName"), "<missing>");

    // Ours, written before the command was quoted: replaced, then given back as it was.
    writeEntry(roots.machine(), "Beach", "C:\\WINDOWS\\WEB\\Wallpaper\\Beach dir\\uninstall.exe");
    const UninstallEntry earlier = readUninstallEntry(roots.machine(), "Beach");
    ASSERT_TRUE(earlier.exists);
    EXPECT_EQ(uninstallEntryOwner(roots.machine(), "Beach", own), EntryOwner::ours);
    EXPECT_EQ(registerUninstallWith("Beach", kBeachFolder, false), 0);
    restoreUninstallEntry("Beach", earlier, own);
    EXPECT_EQ(readString(roots.machine(), kUninstall + "Beach", "UninstallString"),
              "C:\\WINDOWS\\WEB\\Wallpaper\\Beach dir\\uninstall.exe");
    EXPECT_EQ(readString(roots.machine(), kUninstall + "Beach", "DisplayName"), "<missing>");

    // None before: ours is removed.
    ASSERT_EQ(registerUninstallWith("Sand", "C:\\WINDOWS\\Web\\Wallpaper\\Sand dir\\", false), 0);
    restoreUninstallEntry("Sand", UninstallEntry{},
                          ownUninstallers("Sand", "C:\\WINDOWS\\Web\\Wallpaper\\Sand dir\\"));
    EXPECT_FALSE(keyExists(roots.machine(), kUninstall + "Sand"));
}

// The calls made on the stand-in Active Desktop object, in order.
std::vector<std::string> gDesktopCalls;

void recordDesktopCall(const std::string& line) {
    gDesktopCalls.push_back(line);
}

// Registers the stand-in under CLSID_ActiveDesktop for this process only, so the shared
// prefix's own registration stays untouched.
class StandInDesktop {
  public:
    StandInDesktop() {
        gDesktopCalls.clear();
        ::CoRegisterClassObject(CLSID_ActiveDesktop, &factory_, CLSCTX_INPROC_SERVER,
                                REGCLS_MULTIPLEUSE, &cookie_);
    }
    ~StandInDesktop() { ::CoRevokeClassObject(cookie_); }
    bool registered() const { return cookie_ != 0; }

  private:
    ComInitGuard com_;
    velumar::testing::RecordingDesktopFactory factory_{recordDesktopCall};
    DWORD cookie_ = 0;
};

void makeUserKeys(HKEY user, DWORD flags) {
    for (const char* key :
         {"Software\\Microsoft\\Internet Explorer\\Desktop\\Components\\0",
          "Software\\Microsoft\\Internet Explorer\\Desktop\\General", "Control Panel\\Colors"}) {
        RegistryKey created;
        ::RegCreateKeyExA(user, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, created.put(),
                          nullptr);
        if (std::string(key).ends_with("\\0")) {
            ::RegSetValueExA(created.get(), "Flags", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&flags), sizeof flags);
        }
    }
}

TEST(ActiveDesktop, TwoPassesInOrderAndTheRegistryValues) {
    RegistryRoots roots;
    ASSERT_TRUE(roots.overridden());
    makeUserKeys(roots.user(), 0x2001);
    StandInDesktop standIn;
    ASSERT_TRUE(standIn.registered());

    const std::string page = "C:\\windows\\Web\\Wallpaper\\Beach.html";
    applyActiveDesktopWallpaper(page, 255, 128, 0);
    EXPECT_EQ(gDesktopCalls,
              (std::vector<std::string>{
                  "create", "SetDesktopItemOptions 12 -1 -1 0", "SetWallpaper  0",
                  "ApplyChanges 15", "release", "create", "SetDesktopItemOptions 12 -1 -1 0",
                  "SetWallpaper " + page + " 0", "ApplyChanges 15", "release"}));
    EXPECT_EQ(readDword(roots.user(),
                        "Software\\Microsoft\\Internet Explorer\\Desktop\\Components\\0", "Flags"),
              0x0001u);
    EXPECT_EQ(readString(roots.user(), "Software\\Microsoft\\Internet Explorer\\Desktop\\General",
                         "Wallpaper"),
              page);
    EXPECT_EQ(readString(roots.user(), "Control Panel\\Colors", "Background"), "255 128 0");
    EXPECT_EQ(currentActiveDesktopWallpaper(), page);

    gDesktopCalls.clear();
    disableActiveDesktop();
    EXPECT_EQ(gDesktopCalls,
              (std::vector<std::string>{"create", "SetDesktopItemOptions 12 0 0 0",
                                        "SetWallpaper  0", "ApplyChanges 15", "release"}));
    EXPECT_EQ(currentActiveDesktopWallpaper(), "");
}

// What disableActiveDesktop changes is recorded first and put back as it was: the object's
// options and wallpaper, and the registry value with its type, or its absence.
TEST(ActiveDesktop, RecordedStateComesBackAfterItWasSwitchedOff) {
    RegistryRoots roots;
    ASSERT_TRUE(roots.overridden());
    makeUserKeys(roots.user(), 0x2001);
    const char* general = "Software\\Microsoft\\Internet Explorer\\Desktop\\General";
    {
        RegistryKey key;
        ::RegOpenKeyExA(roots.user(), general, 0, KEY_WRITE, key.put());
        const char old[] = "%WINDIR%\\Web\\Wallpaper\\Old.html";
        ::RegSetValueExA(key.get(), "Wallpaper", 0, REG_EXPAND_SZ,
                         reinterpret_cast<const BYTE*>(old), sizeof old);
    }
    StandInDesktop standIn;
    velumar::testing::RecordingActiveDesktop::state = {-1, 0,
                                                       L"C:\\windows\\Web\\Wallpaper\\Old.html"};

    const ActiveDesktopState before = recordActiveDesktop();
    disableActiveDesktop();
    EXPECT_EQ(currentActiveDesktopWallpaper(), "");
    gDesktopCalls.clear();
    restoreActiveDesktop(before);
    EXPECT_EQ(gDesktopCalls,
              (std::vector<std::string>{"create", "SetDesktopItemOptions 12 -1 0 0",
                                        "SetWallpaper C:\\windows\\Web\\Wallpaper\\Old.html 0",
                                        "ApplyChanges 15", "release"}));
    DWORD type = 0;
    char text[MAX_PATH] = {};
    DWORD size = sizeof text;
    RegistryKey key;
    ::RegOpenKeyExA(roots.user(), general, 0, KEY_READ | KEY_WRITE, key.put());
    ASSERT_EQ(::RegQueryValueExA(key.get(), "Wallpaper", nullptr, &type,
                                 reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(std::string(text), "%WINDIR%\\Web\\Wallpaper\\Old.html");

    // A value that was not there is not left behind.
    ::RegDeleteValueA(key.get(), "Wallpaper");
    const ActiveDesktopState without = recordActiveDesktop();
    disableActiveDesktop();
    restoreActiveDesktop(without);
    EXPECT_NE(::RegQueryValueExA(key.get(), "Wallpaper", nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
}

TEST(ActiveDesktop, FlagsWithoutTheBitStayAndMissingKeysAreNotCreated) {
    RegistryRoots roots;
    ASSERT_TRUE(roots.overridden());
    makeUserKeys(roots.user(), 0x0001);
    ::SHDeleteKeyA(roots.user(), "Control Panel\\Colors");
    StandInDesktop standIn;
    applyActiveDesktopWallpaper("C:\\p.html", 1, 2, 3);
    EXPECT_EQ(readDword(roots.user(),
                        "Software\\Microsoft\\Internet Explorer\\Desktop\\Components\\0", "Flags"),
              0x0001u);
    EXPECT_FALSE(keyExists(roots.user(), "Control Panel\\Colors"));
    EXPECT_EQ(gDesktopCalls.size(), 10u);
}

TEST(ActiveDesktop, UninstallerStartedWithBOnlyWhenAsked) {
    RegistryRoots roots;
    ASSERT_TRUE(roots.overridden());
    StandInDesktop standIn;
    ScratchFolder scratch;
    const std::string windows = scratch.path();
    const std::string folder = windows + "Web\\Wallpaper\\Beach dir\\";
    forceFolder(folder);
    const std::string record = folder + "uninstaller-record.txt";
    ASSERT_TRUE(::CopyFileA((programFolder() + "uninstaller_standin.exe").c_str(),
                            (folder + "uninstall.exe").c_str(), FALSE));

    WallpaperSettings settings{windows, "Beach", 0, 0, 0, false};
    EXPECT_EQ(setupWallpaper(settings), 0);
    ::Sleep(500);
    EXPECT_FALSE(exists(record));

    settings.startUninstaller = true;
    EXPECT_EQ(setupWallpaper(settings), 0);
    for (int wait = 0; wait < 100 && readWholeFile(record).find('\n') == std::string::npos; ++wait)
        ::Sleep(100);
    EXPECT_EQ(readWholeFile(record), "/b\n" + folder.substr(0, folder.size() - 1) + "\n");
}

}  // namespace
}  // namespace velumar::desktop
