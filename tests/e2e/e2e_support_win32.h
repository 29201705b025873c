// The end-to-end driver's tools: building test installers around this build's install.exe,
// starting them as processes with a private TEMP, finding and reading their windows, pressing
// their buttons and taking screenshots.
#ifndef VELUMAR_TESTS_E2E_SUPPORT_WIN32_H
#define VELUMAR_TESTS_E2E_SUPPORT_WIN32_H

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "package/package_header.h"
#include "util/dialog_watch_win32.h"

#include "util/standin_registration_win32.h"

namespace velumar::e2e {

using Bytes = std::vector<uint8_t>;

// A path of the build host ("/work/...") as Wine's programs see it ("Z:\work\...").
std::string hostPath(const std::string& unixPath);

std::string readFileText(const std::string& path);
void writeFileBytes(const std::string& path, const Bytes& bytes);
bool pathExists(const std::string& path);

// What a test installer holds. Files are written into `folder` and the manifest built there.
struct PackageRecipe {
    int kind = 1;
    std::string wallpaperName = "Autumn";
    bool license = false;
    std::string previewSource;                  // file for slot 3
    std::string previewName = "installer.jpg";  // slot 3's name
    std::string flashInstaller;                 // file for slot 2; a text stand-in when empty
    std::string flashInstallerName;             // slot 2's name; the file's own when empty
};

Bytes buildInstaller(const PackageRecipe& recipe, const std::string& folder);

// An installer built by velpack, with the programs under test, from a manifest's text written
// at manifestPath (its files are found beside it): the bytes, or the first reason the manifest
// or the build was refused.
struct BuiltInstaller {
    Bytes installer;
    std::string failure;
    bool ok() const { return failure.empty(); }
};
BuiltInstaller buildFromManifest(const std::string& text,
                                 const std::filesystem::path& manifestPath);

// The package header inside an installer and its rewriting (the package starts right after
// the stub, whose size is that of install.exe). A rewritten installer gets the integrity
// record of its new bytes, as a package tool would write for such a package; so does one
// resealed after its bytes were changed in place.
uint32_t packageOffsetOf();
package::PackageHeader headerOf(const Bytes& installer);
void replaceHeader(Bytes& installer, const package::PackageHeader& header);
void reseal(Bytes& installer);

// One run of an installer with its own TEMP folder and any further "NAME=value" variables,
// in workingFolder when one is given (this process's current folder otherwise).
class InstallerProcess {
  public:
    InstallerProcess(const std::string& exe, const std::string& tempFolder,
                     const std::vector<std::string>& extraVariables = {},
                     const std::string& workingFolder = {});
    ~InstallerProcess();
    InstallerProcess(const InstallerProcess&) = delete;
    InstallerProcess& operator=(const InstallerProcess&) = delete;

    bool started() const noexcept { return process_ != nullptr; }
    DWORD id() const noexcept { return id_; }
    // The exit code, or nothing when it is still running after timeoutMs.
    std::optional<DWORD> waitForExit(DWORD timeoutMs);

  private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// A visible top-level window of the process with that class (any class when empty), waiting up
// to timeoutMs for it to appear. nullptr when none did.
HWND waitForWindow(DWORD processId, const std::string& className, DWORD timeoutMs);
// Any top-level window of the process with that class, visible or not.
HWND findWindowOf(DWORD processId, const std::string& className);
// The descendant control with that id.
HWND controlWithId(HWND parent, int id);

// Waits for the process's next message box, reads it and presses its button.
std::optional<testing::SeenDialog> answerDialog(DWORD processId, DWORD timeoutMs);

std::string textOf(HWND window);

// Waits for the process's next message box and presses the button with that caption.
std::optional<testing::SeenDialog> answerWith(DWORD processId, const std::string& caption,
                                              DWORD timeoutMs = 20000);

// Starts a program the way the shell starts an uninstall entry: no application name, the
// command line exactly as given. The process's handle, or nothing.
std::optional<PROCESS_INFORMATION> startRaw(std::string commandLine);

// The user's desktop values the installation sets and the uninstaller gives back.
inline constexpr char kGeneralKey[] = "Software\\Microsoft\\Internet Explorer\\Desktop\\General";
inline constexpr char kComponentsKey[] =
    "Software\\Microsoft\\Internet Explorer\\Desktop\\Components\\0";
inline constexpr char kColorsKey[] = "Control Panel\\Colors";

// Registry reads; nothing when the value is absent or of another type.
std::optional<std::string> readString(HKEY root, const char* path, const char* name);
std::optional<DWORD> readNumber(HKEY root, const char* path, const char* name);
bool keyExists(HKEY root, const char* path);
// Registry writes, the key made when missing; false when it cannot be.
bool writeString(HKEY root, const char* path, const char* name, const std::string& value);
bool writeNumber(HKEY root, const char* path, const char* name, DWORD value);

// The package copy's folder the running installer made in temp ("VLMR" and eight hex digits),
// without its final "\"; empty when there is none.
std::string packageCopyFolderIn(const std::string& temp);
// No file or folder in it (or no folder at all).
bool isEmptyFolder(const std::string& folder);

// An installation as a test compares it before and after, one line each: every file of its
// folder with its bytes, its page, its uninstall entry's values, the user's desktop values, and
// every name under Web\Wallpaper\ that begins with the wallpaper's name (a copy set aside and
// left behind shows there).
std::string describeInstallation(const std::string& windowsFolder, const std::string& name);

// The window that has the keyboard focus in the thread of window; nullptr when none.
HWND focusOf(HWND window);
// A key pressed on the focused window of that thread, as posted messages: the program's
// message loop must route it (Tab, Enter, Escape). Waits for the focus to settle afterwards.
void pressKey(HWND window, UINT key);
// Shift+Tab typed through the system's input queue, into the foreground window.
void typeShiftTab();
// The process's windows that the taskbar and Alt+Tab list: visible top-level windows that
// have no owner and are no tool windows, or that ask for a button (WS_EX_APPWINDOW).
std::vector<HWND> taskbarWindowsOf(DWORD processId);

// The Flash player as a test wants the installer to find it. Construction puts the stand-in
// control (examples/flashax) at the system folder's "Macromed\Flash\Flash.ocx" and registers
// it under the Flash class id in the user's and the machine's classes, so that the player is up
// to date and creatable; destruction removes the control files and restores the registration.
class FlashPlayerSetup {
  public:
    FlashPlayerSetup();
    ~FlashPlayerSetup();
    FlashPlayerSetup(const FlashPlayerSetup&) = delete;
    FlashPlayerSetup& operator=(const FlashPlayerSetup&) = delete;

    // system folder + "Macromed\Flash\"
    std::string folder() const;
    // Replaces both control files by the file source under the name (Flash.ocx or swflash.ocx);
    // an empty source leaves no control file at all.
    void placeControlFile(const std::string& name, const std::string& source);

  private:
    std::unique_ptr<testing::StandInServerRegistration> forUser_;
    std::unique_ptr<testing::StandInServerRegistration> forMachine_;
};

// A version-only control file of this build (tests/e2e), e.g. "6_0_46" for version 6.0.46.0.
std::string flashVersionFile(const std::string& version);
// The stand-in control and the stand-in player installer of this build.
std::string flashControlStandIn();
std::string flashInstallerStandIn();

// What a window shows on the screen: width x height pixels, three bytes (RGB) each, top row first.
struct Screenshot {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<uint8_t> rgb;
};
// Redraws the window, lets it settle and copies its rectangle from the screen.
Screenshot captureWindow(HWND window);
void saveScreenshot(HWND window, const std::string& path);

}  // namespace velumar::e2e

#endif
