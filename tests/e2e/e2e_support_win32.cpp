#include "e2e_support_win32.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "builder.h"
#include "manifest.h"
#include "package/integrity.h"
#include "png_writer.h"
#include "util/files_win32.h"

namespace velumar::e2e {

std::string hostPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string readFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool pathExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

Bytes buildInstaller(const PackageRecipe& recipe, const std::string& folder) {
    namespace fs = std::filesystem;
    const fs::path root(folder);
    fs::create_directories(root / "content");
    const auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(root / name, std::ios::binary) << text;
    };
    const std::string flashName =
        recipe.flashInstallerName.empty() ? "flashax.exe" : recipe.flashInstallerName;
    if (recipe.flashInstaller.empty())
        write(flashName, "stand-in Flash player installer");
    else
        fs::copy_file(recipe.flashInstaller, root / flashName,
                      fs::copy_options::overwrite_existing);
    write("uninstall.exe", "stand-in uninstaller");
    write("page.html", "<html><body>wallpaper</body></html>");
    write("license.txt", "Licence line one\nLicence line two\r\nLicence line three\n");
    write("content/readme.txt", "readme");
    fs::copy_file(recipe.previewSource, root / "preview.dat", fs::copy_options::overwrite_existing);

    std::string text = "[package]\nkind = " + std::to_string(recipe.kind) +
                       "\nwallpaperName = " + recipe.wallpaperName + "\n";
    text += "[slot2]\nfile = " + flashName + "\n";
    if (!recipe.flashInstallerName.empty()) text += "name = " + flashName + "\n";
    text += "[slot3]\nfile = preview.dat\nname = " + recipe.previewName + "\n";
    if (recipe.license) text += "[slot4]\nfile = license.txt\n";
    text += "[slot6]\nfile = page.html\n[slot9]\nfile = uninstall.exe\n";
    text += "[data]\nfolder = content\n";
    return buildFromManifest(text, root / "test.ini").installer;
}

BuiltInstaller buildFromManifest(const std::string& text,
                                 const std::filesystem::path& manifestPath) {
    std::ofstream(manifestPath, std::ios::binary) << text;
    const velpack::ManifestLoad load = velpack::parseManifest(text, manifestPath);
    if (!load.manifest)
        return {{}, load.errors.empty() ? "the manifest was refused" : load.errors.front()};
    velpack::BuildOptions options;
    options.stub = std::filesystem::path(hostPath(E2E_INSTALL_EXE));
    options.library = std::filesystem::path(hostPath(E2E_IMPBORL_DLL));
    velpack::BuildResult result = velpack::buildInstaller(*load.manifest, options);
    if (!result.ok())
        return {{}, result.errors.empty() ? "the build failed" : result.errors.front()};
    return {std::move(result.installer), ""};
}

uint32_t packageOffsetOf() {
    WIN32_FILE_ATTRIBUTE_DATA data;
    ::GetFileAttributesExA(hostPath(E2E_INSTALL_EXE).c_str(), GetFileExInfoStandard, &data);
    return data.nFileSizeLow;
}

package::PackageHeader headerOf(const Bytes& installer) {
    std::array<uint8_t, package::kPackageHeaderSize> bytes{};
    std::copy_n(installer.begin() + packageOffsetOf(), bytes.size(), bytes.begin());
    return package::decodePackageHeader(bytes);
}

void replaceHeader(Bytes& installer, const package::PackageHeader& header) {
    const auto bytes = package::encodePackageHeader(header);
    std::copy(bytes.begin(), bytes.end(), installer.begin() + packageOffsetOf());
    reseal(installer);
}

void reseal(Bytes& installer) {
    package::sealInstaller(installer, packageOffsetOf());
}

namespace {

void describeFiles(const std::string& folder, const std::string& relative, std::string& out) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA((folder + relative + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    std::vector<std::string> lines;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            describeFiles(folder, relative + name + "\\", out);
        } else {
            lines.push_back("file " + relative + name + " = " +
                            readFileText(folder + relative + name) + "\n");
        }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    for (const std::string& line : lines) out += line;
}

std::string shown(const std::optional<std::string>& value) {
    return value ? "\"" + *value + "\"" : "(none)";
}

}  // namespace

std::string packageCopyFolderIn(const std::string& temp) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA((temp + "VLMR*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::string folder;
    do {
        const std::string name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.size() == 12)
            folder = temp + name;
    } while (folder.empty() && ::FindNextFileA(search, &found));
    ::FindClose(search);
    return folder;
}

bool isEmptyFolder(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return true;
    bool empty = true;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") empty = false;
    } while (empty && ::FindNextFileA(search, &found));
    ::FindClose(search);
    return empty;
}

std::string describeInstallation(const std::string& windowsFolder, const std::string& name) {
    const std::string root = windowsFolder + "Web\\Wallpaper\\";
    std::string out;
    describeFiles(root + name + " dir\\", "", out);
    const std::string page = root + name + ".html";
    out += "page = " + (pathExists(page) ? readFileText(page) : std::string("(none)")) + "\n";
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name;
    out +=
        "DisplayName = " + shown(readString(HKEY_LOCAL_MACHINE, key.c_str(), "DisplayName")) + "\n";
    out += "UninstallString = " +
           shown(readString(HKEY_LOCAL_MACHINE, key.c_str(), "UninstallString")) + "\n";
    out += "Wallpaper = " + shown(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper")) + "\n";
    out += "Background = " + shown(readString(HKEY_CURRENT_USER, kColorsKey, "Background")) + "\n";
    const std::optional<DWORD> flags = readNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags");
    out += "Flags = " + (flags ? std::to_string(*flags) : std::string("(none)")) + "\n";
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA((root + name + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        std::vector<std::string> names;
        do names.push_back(found.cFileName);
        while (::FindNextFileA(search, &found));
        ::FindClose(search);
        std::sort(names.begin(), names.end());
        for (const std::string& entry : names) out += "name " + entry + "\n";
    }
    return out;
}

namespace {

// This process's environment with TEMP and TMP pointing at tempFolder.
std::string environmentWithTemp(const std::string& tempFolder) {
    std::string block;
    char* strings = ::GetEnvironmentStringsA();
    for (const char* entry = strings; *entry; entry += std::strlen(entry) + 1) {
        const std::string variable(entry);
        if (_strnicmp(entry, "TEMP=", 5) == 0 || _strnicmp(entry, "TMP=", 4) == 0) continue;
        block += variable;
        block += '\0';
    }
    ::FreeEnvironmentStringsA(strings);
    for (const char* name : {"TEMP=", "TMP="}) {
        block += name + tempFolder;
        block += '\0';
    }
    block += '\0';
    return block;
}

struct WindowSearch {
    DWORD processId;
    std::string className;
    bool visibleOnly;
    HWND found = nullptr;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId) return TRUE;
    if (search.visibleOnly && !::IsWindowVisible(window)) return TRUE;
    if (!search.className.empty() && testing::className(window) != search.className) return TRUE;
    search.found = window;
    return FALSE;
}

struct ControlSearch {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK matchControl(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<ControlSearch*>(param);
    if (::GetDlgCtrlID(window) != search.id) return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

InstallerProcess::InstallerProcess(const std::string& exe, const std::string& tempFolder,
                                   const std::vector<std::string>& extraVariables,
                                   const std::string& workingFolder) {
    std::string environment = environmentWithTemp(tempFolder);
    // The block ends with an empty string: the variables go before that last terminator.
    environment.pop_back();
    for (const std::string& variable : extraVariables) {
        environment += variable;
        environment += '\0';
    }
    environment += '\0';
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (::CreateProcessA(
            exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, environment.data(),
            workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
    }
}

InstallerProcess::~InstallerProcess() {
    if (!process_) return;
    if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_, 99);
        ::WaitForSingleObject(process_, 5000);
    }
    ::CloseHandle(process_);
}

std::optional<DWORD> InstallerProcess::waitForExit(DWORD timeoutMs) {
    if (!process_ || ::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return {};
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    return code;
}

HWND waitForWindow(DWORD processId, const std::string& className, DWORD timeoutMs) {
    for (DWORD waited = 0; waited <= timeoutMs; waited += 50) {
        WindowSearch search{processId, className, true};
        ::EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        ::Sleep(50);
    }
    return nullptr;
}

HWND findWindowOf(DWORD processId, const std::string& className) {
    WindowSearch search{processId, className, false};
    ::EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND controlWithId(HWND parent, int id) {
    ControlSearch search{id};
    ::EnumChildWindows(parent, matchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::optional<testing::SeenDialog> answerDialog(DWORD processId, DWORD timeoutMs) {
    const HWND dialog = waitForWindow(processId, "#32770", timeoutMs);
    if (!dialog) return {};
    ::Sleep(150);  // let the box finish its activation
    testing::SeenDialog seen = testing::inspectDialog(dialog);
    testing::closeDialog(dialog, seen, testing::CloseBy::Button);
    for (int waited = 0; waited < 100 && ::IsWindow(dialog); ++waited) ::Sleep(50);
    return seen;
}

std::string textOf(HWND window) {
    return testing::windowText(window);
}

std::optional<testing::SeenDialog> answerWith(DWORD processId, const std::string& caption,
                                              DWORD timeoutMs) {
    const HWND dialog = waitForWindow(processId, "#32770", timeoutMs);
    if (!dialog) return std::nullopt;
    ::Sleep(150);  // let the box finish its activation
    testing::SeenDialog seen = testing::inspectDialog(dialog);
    for (size_t i = 0; i < seen.buttons.size(); ++i) {
        if (seen.buttons[i] == caption) ::PostMessageA(seen.buttonWindows[i], BM_CLICK, 0, 0);
    }
    for (int waited = 0; waited < 100 && ::IsWindow(dialog); ++waited) ::Sleep(50);
    return seen;
}

std::optional<PROCESS_INFORMATION> startRaw(std::string commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info)) {
        return std::nullopt;
    }
    ::CloseHandle(info.hThread);
    return info;
}

std::optional<std::string> readString(HKEY root, const char* path, const char* name) {
    char text[1024] = {};
    DWORD size = sizeof text - 1;
    if (::RegGetValueA(root, path, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(text);
}

std::optional<DWORD> readNumber(HKEY root, const char* path, const char* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegGetValueA(root, path, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

namespace {

bool writeValue(HKEY root, const char* path, const char* name, DWORD type, const void* data,
                DWORD size) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool written =
        ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return written;
}

}  // namespace

bool writeString(HKEY root, const char* path, const char* name, const std::string& value) {
    return writeValue(root, path, name, REG_SZ, value.c_str(),
                      static_cast<DWORD>(value.size() + 1));
}

bool writeNumber(HKEY root, const char* path, const char* name, DWORD value) {
    return writeValue(root, path, name, REG_DWORD, &value, sizeof value);
}

bool keyExists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

HWND focusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void pressKey(HWND window, UINT key) {
    const HWND target = focusOf(window);
    const UINT scan = ::MapVirtualKeyA(key, 0);
    ::PostMessageA(target, WM_KEYDOWN, key, 1 | (LPARAM(scan) << 16));
    ::PostMessageA(target, WM_KEYUP, key, 1 | (LPARAM(scan) << 16) | (LPARAM(3) << 30));
    ::Sleep(300);
}

void typeShiftTab() {
    INPUT keys[4] = {};
    const WORD order[4][2] = {
        {VK_SHIFT, 0}, {VK_TAB, 0}, {VK_TAB, KEYEVENTF_KEYUP}, {VK_SHIFT, KEYEVENTF_KEYUP}};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = order[i][0];
        keys[i].ki.dwFlags = order[i][1];
    }
    ::SendInput(4, keys, sizeof(INPUT));
    ::Sleep(300);
}

namespace {

struct TaskbarSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK matchTaskbarWindow(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<TaskbarSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !::IsWindowVisible(window)) return TRUE;
    const LONG_PTR exStyle = ::GetWindowLongPtrA(window, GWL_EXSTYLE);
    const bool listed = (exStyle & WS_EX_APPWINDOW) ||
                        (!::GetWindow(window, GW_OWNER) && !(exStyle & WS_EX_TOOLWINDOW));
    if (listed) search.found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> taskbarWindowsOf(DWORD processId) {
    TaskbarSearch search{processId, {}};
    ::EnumWindows(matchTaskbarWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Screenshot captureWindow(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, nullptr);
    ::Sleep(500);
    RECT box;
    ::GetWindowRect(window, &box);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
    ::GdiFlush();
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    const auto* pixels = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < size_t(width) * height; ++i) {
        rgb[i * 3 + 0] = pixels[i * 4 + 2];
        rgb[i * 3 + 1] = pixels[i * 4 + 1];
        rgb[i * 3 + 2] = pixels[i * 4 + 0];
    }
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return {unsigned(width), unsigned(height), std::move(rgb)};
}

void saveScreenshot(HWND window, const std::string& path) {
    const Screenshot shot = captureWindow(window);
    writePng(path, shot.width, shot.height, shot.rgb);
}

namespace {
constexpr char kFlashClassId[] = "{D27CDB6E-AE6D-11CF-96B8-444553540000}";
}  // namespace

std::string flashVersionFile(const std::string& version) {
    return hostPath(std::string(E2E_FLASH_VERSION_DIR) + "/flash_ocx_" + version + ".dll");
}

std::string flashControlStandIn() {
    return hostPath(E2E_FLASH_CONTROL);
}

std::string flashInstallerStandIn() {
    return hostPath(E2E_FLASHAX_EXE);
}

FlashPlayerSetup::FlashPlayerSetup()
    : forUser_(std::make_unique<testing::StandInServerRegistration>(
          HKEY_CURRENT_USER, kFlashClassId, flashControlStandIn())),
      forMachine_(std::make_unique<testing::StandInServerRegistration>(
          HKEY_LOCAL_MACHINE, kFlashClassId, flashControlStandIn())) {
    placeControlFile("Flash.ocx", flashControlStandIn());
}

FlashPlayerSetup::~FlashPlayerSetup() {
    placeControlFile("Flash.ocx", "");
}

std::string FlashPlayerSetup::folder() const {
    initSystemFolders();
    return systemFolder() + "Macromed\\Flash\\";
}

void FlashPlayerSetup::placeControlFile(const std::string& name, const std::string& source) {
    forceFolder(folder());
    for (const char* file : {"Flash.ocx", "swflash.ocx", "Flash.ocx.old", "swflash.ocx.old"})
        deleteFileQuiet(folder() + file);
    if (!source.empty()) ::CopyFileA(source.c_str(), (folder() + name).c_str(), FALSE);
}

}  // namespace velumar::e2e
