// The demo's driver: runs a built installer under Wine's test display the way a user would
// (the ready window, Accept and Install, the progress, the success box answered, then the
// uninstaller from its Uninstall entry answered Yes), writes a PNG of each step and a contact
// sheet of them, and prints what the installation did. Exit code 0, or 1 after naming the step
// that failed.
//
//   velumar_demo <installer.exe> <output folder> <wallpaper name> [--silent]
//                [--preview FOLDER] [--desktop FOLDER]
//
// The pictures rendered by Ruffle come from examples/desktop_picture.mjs, which examples/demo
// runs on the host: --preview names the folder of the preview movie's frames, made before the
// tour; with --desktop the driver asks for the installed page's frames once the wallpaper is
// installed (it writes request.txt into FOLDER) and waits for the answer (result.txt: "ok",
// "failed: why" or "skipped: why", and frames.txt). A failed rendering fails the demo after the
// uninstall and the contact sheet.
#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/control_ids.h"
#include "e2e_support_win32.h"
#include "png_writer.h"
#include "util/files_win32.h"

namespace velumar::e2e {
namespace {

namespace app = velumar::app;

constexpr DWORD kWindowTimeout = 30000;
constexpr DWORD kInstallTimeout = 90000;
// Chromium's start and a few seconds of frames at two sizes, on a busy machine.
constexpr DWORD kRenderTimeout = 600000;

constexpr char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kWritingStatus[] = "Writing Velumar files...";
// The demo user's own desktop colour, which the uninstaller gives back.
constexpr char kOwnColour[] = "58 110 165";

// A step that did not go as a user would see it: its name and what was wrong.
struct StepFailure {
    std::string step;
    std::string why;
};

struct Options {
    std::string installer;
    std::string outputFolder;  // with a trailing backslash
    std::string wallpaperName;
    bool silent = false;
    std::string previewFolder;  // with a trailing backslash; empty when not asked for
    std::string desktopFolder;  // the same
};

struct Shot {
    std::string caption;
    Screenshot image;
};

// What the renderer made of a movie: its frames, grouped by size in the renderer's order, or
// why there are none.
struct Rendering {
    enum class Outcome { played, failed, skipped };
    Outcome outcome = Outcome::skipped;
    std::string reason;
    std::vector<std::pair<std::string, std::vector<Screenshot>>> sizes;  // "800 x 600", frames
};

// A 24-bit bottom-up BMP as the renderer writes it; nothing for anything else.
std::optional<Screenshot> readBmp(const std::string& path) {
    const std::string bytes = readFileText(path);
    const auto u32 = [&](size_t at) {
        uint32_t value = 0;
        std::memcpy(&value, bytes.data() + at, 4);
        return value;
    };
    if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) return std::nullopt;
    const uint32_t offset = u32(10);
    const auto width = int32_t(u32(18));
    const auto height = int32_t(u32(22));
    const uint16_t bits = uint16_t(uint8_t(bytes[28]) | uint8_t(bytes[29]) << 8);
    if (bits != 24 || width <= 0 || height <= 0 || width > 4096 || height > 4096)
        return std::nullopt;
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    if (offset > bytes.size() || bytes.size() - offset < stride * size_t(height))
        return std::nullopt;
    Screenshot image{unsigned(width), unsigned(height), {}};
    image.rgb.resize(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y) {
        const char* row = bytes.data() + offset + size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = &image.rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            pixel[0] = uint8_t(row[x * 3 + 2]);
            pixel[1] = uint8_t(row[x * 3 + 1]);
            pixel[2] = uint8_t(row[x * 3]);
        }
    }
    return image;
}

// The renderer's answer in folder (result.txt, and frames.txt when the movie played).
Rendering readRendering(const std::string& folder) {
    Rendering rendering;
    std::ifstream result(folder + "result.txt");
    std::string line;
    std::getline(result, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto reasonAfter = [&](const char* prefix) { return line.substr(std::strlen(prefix)); };
    if (line == "ok") {
        rendering.outcome = Rendering::Outcome::played;
    } else if (line.starts_with("skipped: ")) {
        rendering.reason = reasonAfter("skipped: ");
        return rendering;
    } else {
        rendering.outcome = Rendering::Outcome::failed;
        rendering.reason = line.starts_with("failed: ") ? reasonAfter("failed: ")
                           : line.empty()               ? "the renderer gave no answer"
                                                        : line;
        return rendering;
    }
    std::ifstream frames(folder + "frames.txt");
    unsigned width = 0;
    unsigned height = 0;
    std::string file;
    while (frames >> width >> height >> file) {
        const std::string size = std::to_string(width) + " x " + std::to_string(height);
        std::optional<Screenshot> image = readBmp(folder + file);
        if (!image) {
            rendering.outcome = Rendering::Outcome::failed;
            rendering.reason = "cannot read the frame " + folder + file;
            rendering.sizes.clear();
            return rendering;
        }
        if (rendering.sizes.empty() || rendering.sizes.back().first != size)
            rendering.sizes.emplace_back(size, std::vector<Screenshot>{});
        rendering.sizes.back().second.push_back(std::move(*image));
    }
    if (rendering.sizes.empty()) {
        rendering.outcome = Rendering::Outcome::failed;
        rendering.reason = "the renderer listed no frames in " + folder + "frames.txt";
    }
    return rendering;
}

std::string framesSummary(const Rendering& rendering) {
    std::string text;
    for (const auto& [size, frames] : rendering.sizes)
        text += (text.empty() ? "" : ", ") + std::to_string(frames.size()) + " frames at " + size;
    return text;
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// A window's class, title and the texts of its children, for a failure's message.
std::string describe(HWND window) {
    std::string text = "[" + testing::className(window) + "]";
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (!textOf(child).empty()) text += " \"" + textOf(child) + "\"";
    return text;
}

class Demo {
  public:
    explicit Demo(Options options)
        : options_(std::move(options)),
          folder_(windowsFolder() + "Web\\Wallpaper\\" + options_.wallpaperName + " dir\\"),
          page_(windowsFolder() + "Web\\Wallpaper\\" + options_.wallpaperName + ".html"),
          uninstallKey_(kUninstallRoot + options_.wallpaperName) {}
    ~Demo() {
        if (!temp_.empty()) deleteFolderTree(temp_);
    }
    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    void run() {
        // The Flash player as an up-to-date machine has it: the sample's stand-in control, so
        // that the installer goes straight to its window and plays the movie there.
        const FlashPlayerSetup flashPlayer;
        prepare();
        if (!options_.previewFolder.empty()) readPreviewRendering();
        if (options_.silent)
            installSilently();
        else
            installThroughTheWindow();
        reportInstallation();
        if (!options_.desktopFolder.empty()) renderDesktop();
        uninstall();
        writeContactSheet();
        if (failure_) throw *failure_;
    }

  private:
    // What a Windows desktop has before any wallpaper is installed: the Web\Wallpaper folder
    // (a fresh Wine prefix has none), the keys the installer opens but never creates, a
    // wallpaper and colour of the user's own (which the uninstaller gives back), and no
    // installation of this wallpaper left from an earlier run.
    void prepare() {
        forceFolder(windowsFolder() + "Web\\Wallpaper\\");
        removeInstallation();
        const std::string ownWallpaper = windowsFolder() + "Velumar demo desktop.bmp";
        if (!::CopyFileA(hostPath(std::string(E2E_EXAMPLES_DIR) + "/sample/preview.bmp").c_str(),
                         ownWallpaper.c_str(), FALSE)) {
            throw StepFailure{"prepare", "cannot write " + ownWallpaper};
        }
        if (!writeString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper", ownWallpaper) ||
            !writeString(HKEY_CURRENT_USER, kColorsKey, "Background", kOwnColour) ||
            !writeNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags", 0x2001)) {
            throw StepFailure{"prepare", "cannot set the demo user's own desktop"};
        }
        desktopBefore_ = desktopNow();
        say("==> the desktop before installing:");
        sayDesktop(desktopBefore_);
        temp_ = makeTempFolder("velumar-demo");
        if (temp_.empty()) throw StepFailure{"prepare", "no temporary folder"};
    }

    // The wallpaper, the colour and the Active Desktop flags, as the summary prints them.
    struct DesktopState {
        std::optional<std::string> wallpaper;
        std::optional<std::string> colour;
        std::optional<DWORD> flags;
        bool operator==(const DesktopState&) const = default;
    };

    static DesktopState desktopNow() {
        return {readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"),
                readString(HKEY_CURRENT_USER, kColorsKey, "Background"),
                readNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags")};
    }

    static void sayDesktop(const DesktopState& state) {
        const auto quoted = [](const std::optional<std::string>& value) {
            return value ? "\"" + *value + "\"" : std::string("(none)");
        };
        char hex[16] = "(none)";
        if (state.flags)
            std::snprintf(hex, sizeof hex, "0x%04lx", static_cast<unsigned long>(*state.flags));
        say("    HKCU\\...\\Desktop\\General Wallpaper = " + quoted(state.wallpaper));
        say("    HKCU\\Control Panel\\Colors Background = " + quoted(state.colour));
        say(std::string("    HKCU\\...\\Desktop\\Components\\0 Flags = ") + hex);
    }

    void removeInstallation() {
        deleteFolderTree(folder_);
        deleteFileQuiet(page_);
        ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, uninstallKey_.c_str());
    }

    void installThroughTheWindow() {
        InstallerProcess process(options_.installer, temp_);
        if (!process.started()) throw StepFailure{"start", "the installer did not start"};
        const HWND form = waitForWindow(process.id(), app::kInstallerFormClass, kWindowTimeout);
        if (!form) {
            const HWND other = waitForWindow(process.id(), "", 0);
            const auto exited = process.waitForExit(0);
            throw StepFailure{
                "ready window",
                "no installer window appeared" +
                    (other ? "; a window \"" + textOf(other) + "\" showed: " + describe(other)
                           : "") +
                    (exited ? "; the installer ended with code " + std::to_string(*exited) : "")};
        }
        ::Sleep(1000);  // the preview's first frames
        const HWND install = controlWithId(form, app::installBtn);
        if (!install) throw StepFailure{"ready window", "no Install button"};
        const std::string caption = textOf(install);
        shoot("1. Ready window", form);
        say("==> ready window \"" + textOf(form) + "\"; pressing \"" + caption + "\"");

        const DWORD pressed = ::GetTickCount();
        ::PostMessageA(install, BM_CLICK, 0, 0);
        const HWND status = controlWithId(form, app::labCopying);
        const HWND bar = controlWithId(form, app::progressBar);
        bool writing = false;
        for (int waited = 0; waited < 600 && !writing; ++waited) {
            writing =
                textOf(status) == kWritingStatus && ::SendMessageA(bar, PBM_GETPOS, 0, 0) >= 2;
            if (!writing) ::Sleep(50);
        }
        if (!writing) throw StepFailure{"progress", "status reads \"" + textOf(status) + "\""};
        shoot("2. " + caption + ": writing", form);
        say("==> progress: \"" + textOf(status) + "\"");

        // The success box, or the end of the run when the package offers no Display
        // Properties and so asks nothing.
        HWND box = nullptr;
        bool ended = false;
        for (DWORD waited = 0; waited < kInstallTimeout && !box && !ended; waited += 250) {
            box = waitForWindow(process.id(), "#32770", 200);
            ended = !box && process.waitForExit(50).has_value();
        }
        say("==> installation took " + std::to_string(::GetTickCount() - pressed) +
            " ms from the button to the " + (ended ? "installer's end" : "success box"));
        if (ended) {
            say("==> the installer ended: this package offers no Display Properties, so no "
                "success box");
            return;
        }
        if (!box) throw StepFailure{"success box", "no box; status \"" + textOf(status) + "\""};
        ::Sleep(300);
        // The box shows over the window: one picture holds both.
        shoot("3. Complete: the success box", form);
        const auto answered = answerWith(process.id(), "&No");
        if (!answered || answered->title != "Installation Successful.")
            throw StepFailure{"success box",
                              "the box was \"" + textOf(box) + "\": " + describe(box)};
        say("==> success box \"" + answered->title + "\" answered No (no Display Properties)");
        if (!process.waitForExit(kWindowTimeout))
            throw StepFailure{"success box", "the installer did not end"};
    }

    void installSilently() {
        const DWORD started = ::GetTickCount();
        InstallerProcess process(options_.installer, temp_);
        if (!process.started()) throw StepFailure{"start", "the installer did not start"};
        say("==> silent installer started: no window");
        if (!process.waitForExit(kInstallTimeout))
            throw StepFailure{"silent installation", "the installer did not end"};
        say("==> installation took " + std::to_string(::GetTickCount() - started) +
            " ms from the start to the installer's end");
    }

    // The preview movie as the Flash player would show it in the preview area: rendered before
    // the tour, shown beside the ready window (the window itself shows the stand-in control).
    void readPreviewRendering() {
        preview_ = readRendering(options_.previewFolder);
        sayRendering("the preview movie", *preview_);
        if (preview_->outcome == Rendering::Outcome::failed)
            failure_ = StepFailure{"the preview movie", preview_->reason};
    }

    // The installed page and folder, as they are now under Web\Wallpaper, played by Ruffle on
    // the host: the request names the page, the answer comes back in the same folder.
    void renderDesktop() {
        const std::string& folder = options_.desktopFolder;
        deleteFileQuiet(folder + "result.txt");
        {
            std::ofstream request(folder + "request.txt", std::ios::trunc);
            request << page_ << "\n";
            if (!request)
                throw StepFailure{"the wallpaper on the desktop",
                                  "cannot write " + folder + "request.txt"};
        }
        say("==> the wallpaper on the desktop: asking for the installed page's frames");
        const DWORD asked = ::GetTickCount();
        while (!pathExists(folder + "result.txt") && ::GetTickCount() - asked < kRenderTimeout)
            ::Sleep(200);
        if (!pathExists(folder + "result.txt")) {
            desktop_ = Rendering{Rendering::Outcome::failed,
                                 "no answer from the renderer within " +
                                     std::to_string(kRenderTimeout / 1000) + " s",
                                 {}};
        } else {
            desktop_ = readRendering(folder);
        }
        sayRendering("the wallpaper on the desktop", *desktop_);
        if (desktop_->outcome == Rendering::Outcome::failed && !failure_)
            failure_ = StepFailure{"the wallpaper on the desktop", desktop_->reason};
    }

    static void sayRendering(const std::string& what, const Rendering& rendering) {
        switch (rendering.outcome) {
            case Rendering::Outcome::played:
                say("==> " + what + ", rendered by Ruffle: " + framesSummary(rendering));
                break;
            case Rendering::Outcome::skipped:
                say("==> " + what + ": skipped: " + rendering.reason);
                break;
            case Rendering::Outcome::failed:
                say("==> " + what + ": FAILED: " + rendering.reason);
                break;
        }
    }

    void reportInstallation() {
        if (!pathExists(page_) || !pathExists(folder_))
            throw StepFailure{"installation", "no wallpaper page or folder under Web\\Wallpaper"};
        say("==> installed under " + windowsFolder() + "Web\\Wallpaper\\:");
        say("    " + options_.wallpaperName + ".html");
        namespace fs = std::filesystem;
        const fs::path root(folder_);
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file()) continue;
            say("    " + options_.wallpaperName + " dir\\" +
                fs::relative(entry.path(), root).string() + " (" +
                std::to_string(entry.file_size()) + " bytes)");
        }
        say("==> registry values set:");
        const auto show = [](const std::string& where, const std::optional<std::string>& value) {
            say("    " + where + " = " + (value ? "\"" + *value + "\"" : "(none)"));
        };
        show("HKCU\\...\\Desktop\\General Wallpaper",
             readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"));
        show("HKCU\\Control Panel\\Colors Background",
             readString(HKEY_CURRENT_USER, kColorsKey, "Background"));
        const auto flags = readNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags");
        char hex[16] = "(none)";
        if (flags) std::snprintf(hex, sizeof hex, "0x%04lx", static_cast<unsigned long>(*flags));
        say(std::string("    HKCU\\...\\Desktop\\Components\\0 Flags = ") + hex);
        const auto name = readString(HKEY_LOCAL_MACHINE, uninstallKey_.c_str(), "DisplayName");
        command_ =
            readString(HKEY_LOCAL_MACHINE, uninstallKey_.c_str(), "UninstallString").value_or("");
        show("HKLM\\...\\Uninstall\\" + options_.wallpaperName + " DisplayName", name);
        show("HKLM\\...\\Uninstall\\" + options_.wallpaperName + " UninstallString", command_);
        if (readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper") != page_)
            throw StepFailure{"installation", "the page is not the wallpaper"};
        if (command_.empty()) throw StepFailure{"installation", "no Uninstall entry"};
    }

    void uninstall() {
        say("==> uninstalling: " + command_);
        const auto uninstaller = startRaw(command_);
        if (!uninstaller) throw StepFailure{"uninstaller", "it did not start"};
        const std::unique_ptr<void, decltype(&::CloseHandle)> handle(uninstaller->hProcess,
                                                                     &::CloseHandle);
        const HWND box = waitForWindow(uninstaller->dwProcessId, "#32770", kWindowTimeout);
        if (!box) throw StepFailure{"uninstaller", "no question box"};
        shoot(std::to_string(shots_.size() + 1) + ". Uninstaller from its entry", box);
        const auto question = answerWith(uninstaller->dwProcessId, "&Yes");
        if (!question || question->texts.empty())
            throw StepFailure{"uninstaller", "the question could not be answered"};
        say("==> \"" + question->texts.front() + "\" answered Yes");
        ::WaitForSingleObject(uninstaller->hProcess, kWindowTimeout);
        // A copy of the uninstaller finishes the removal once the original has ended.
        bool folderGone = false;
        bool pageGone = false;
        bool entryGone = false;
        for (int waited = 0; waited < 400; ++waited) {
            folderGone = !pathExists(folder_);
            pageGone = !pathExists(page_);
            entryGone = !keyExists(HKEY_LOCAL_MACHINE, uninstallKey_.c_str());
            if (folderGone && pageGone && entryGone) break;
            ::Sleep(50);
        }
        const DesktopState desktop = desktopNow();
        const auto state = [](bool gone) { return gone ? "removed" : "STILL THERE"; };
        say("==> after the uninstaller:");
        say(std::string("    ") + options_.wallpaperName + " dir: " + state(folderGone));
        say(std::string("    ") + options_.wallpaperName + ".html: " + state(pageGone));
        say(std::string("    Uninstall entry: ") + state(entryGone));
        say(desktop == desktopBefore_ ? "==> the desktop is back as it was before installing:"
                                      : "==> the desktop is NOT as it was before installing:");
        sayDesktop(desktop);
        if (!folderGone || !pageGone || !entryGone)
            throw StepFailure{"uninstaller", "the installation was not removed"};
        if (desktop != desktopBefore_)
            throw StepFailure{"uninstaller", "the desktop from before was not given back"};
    }

    void shoot(const std::string& caption, HWND window) {
        Shot shot{caption, captureWindow(window)};
        const std::string path =
            options_.outputFolder + "step" + std::to_string(shots_.size() + 1) + ".png";
        if (!writePng(path, shot.image.width, shot.image.height, shot.image.rgb))
            throw StepFailure{"screenshot", "cannot write " + path};
        say("    screenshot " + path);
        shots_.push_back(std::move(shot));
    }

    void writeContactSheet();

    Options options_;
    std::string folder_;
    std::string page_;
    std::string uninstallKey_;
    std::string temp_;
    std::string command_;
    DesktopState desktopBefore_;
    std::vector<Shot> shots_;
    std::optional<Rendering> preview_;
    std::optional<Rendering> desktop_;
    std::optional<StepFailure> failure_;
};

// A top-down 32-bit drawing surface whose pixels can be read back.
class Canvas {
  public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO format = {};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = width;
        format.bmiHeader.biHeight = -height;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        const HDC screen = ::GetDC(nullptr);
        dc_ = ::CreateCompatibleDC(screen);
        bitmap_ = ::CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits_, nullptr, 0);
        ::ReleaseDC(nullptr, screen);
        previous_ = ::SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        ::SelectObject(dc_, previous_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }

    void fill(COLORREF colour) {
        const RECT all = {0, 0, width_, height_};
        const HBRUSH brush = ::CreateSolidBrush(colour);
        ::FillRect(dc_, &all, brush);
        ::DeleteObject(brush);
    }

    // Draws the image with its top-left corner at (x, y).
    void draw(const Screenshot& image, int x, int y) {
        const std::vector<uint8_t> bgra = bgraOf(image);
        BITMAPINFO format = formatOf(image);
        ::SetDIBitsToDevice(dc_, x, y, image.width, image.height, 0, 0, 0, image.height,
                            bgra.data(), &format, DIB_RGB_COLORS);
    }

    // Draws the image shrunk or stretched to width x height, averaging its pixels.
    void drawScaled(const Screenshot& image, int x, int y, int width, int height) {
        const std::vector<uint8_t> bgra = bgraOf(image);
        BITMAPINFO format = formatOf(image);
        ::SetStretchBltMode(dc_, HALFTONE);
        ::SetBrushOrgEx(dc_, 0, 0, nullptr);
        ::StretchDIBits(dc_, x, y, width, height, 0, 0, int(image.width), int(image.height),
                        bgra.data(), &format, DIB_RGB_COLORS, SRCCOPY);
    }

    Screenshot pixels() const {
        ::GdiFlush();
        Screenshot image{unsigned(width_), unsigned(height_), {}};
        image.rgb.resize(size_t(width_) * height_ * 3);
        const auto* source = static_cast<const uint8_t*>(bits_);
        for (size_t i = 0; i < size_t(width_) * height_; ++i) {
            image.rgb[i * 3 + 0] = source[i * 4 + 2];
            image.rgb[i * 3 + 1] = source[i * 4 + 1];
            image.rgb[i * 3 + 2] = source[i * 4 + 0];
        }
        return image;
    }

  private:
    static std::vector<uint8_t> bgraOf(const Screenshot& image) {
        std::vector<uint8_t> bgra(size_t(image.width) * image.height * 4);
        for (size_t i = 0; i < size_t(image.width) * image.height; ++i) {
            bgra[i * 4 + 0] = image.rgb[i * 3 + 2];
            bgra[i * 4 + 1] = image.rgb[i * 3 + 1];
            bgra[i * 4 + 2] = image.rgb[i * 3 + 0];
        }
        return bgra;
    }

    static BITMAPINFO formatOf(const Screenshot& image) {
        BITMAPINFO format = {};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = LONG(image.width);
        format.bmiHeader.biHeight = -LONG(image.height);
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        return format;
    }

    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
};

constexpr COLORREF kSheetColour = RGB(0xF4, 0xF4, 0xF0);
constexpr COLORREF kTextColour = RGB(0x20, 0x20, 0x20);
constexpr int kMargin = 12;
constexpr int kCaption = 22;
constexpr int kGap = 6;

// A line or two of text on the sheet's colour, where a rendering has no frames to show.
Screenshot note(const std::string& text) {
    constexpr int kWidth = 360;
    constexpr int kHeight = 64;
    Canvas canvas(kWidth, kHeight);
    canvas.fill(kSheetColour);
    const HGDIOBJ font = ::SelectObject(canvas.dc(), ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(canvas.dc(), TRANSPARENT);
    ::SetTextColor(canvas.dc(), kTextColour);
    RECT box = {0, 0, kWidth, kHeight};
    ::DrawTextA(canvas.dc(), text.c_str(), -1, &box, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(canvas.dc(), font);
    return canvas.pixels();
}

Screenshot noteOf(const Rendering& rendering) {
    return note((rendering.outcome == Rendering::Outcome::skipped ? "Skipped: " : "FAILED: ") +
                rendering.reason);
}

// The preview movie's frames at their size, two to a row, in the order they were taken.
Screenshot previewStrip(const Rendering& rendering) {
    if (rendering.outcome != Rendering::Outcome::played) return noteOf(rendering);
    constexpr size_t kPerRow = 2;
    const std::vector<Screenshot>& frames = rendering.sizes.front().second;
    const int frameWidth = int(frames.front().width);
    const int frameHeight = int(frames.front().height);
    const int columns = int(std::min(kPerRow, frames.size()));
    const int rows = int((frames.size() + kPerRow - 1) / kPerRow);
    Canvas canvas(columns * (frameWidth + kGap) - kGap, rows * (frameHeight + kGap) - kGap);
    canvas.fill(kSheetColour);
    for (size_t i = 0; i < frames.size(); ++i) {
        canvas.draw(frames[i], int(i % kPerRow) * (frameWidth + kGap),
                    int(i / kPerRow) * (frameHeight + kGap));
    }
    return canvas.pixels();
}

// The desktop's frames: a row for each size, under the size's label, at half their size.
Screenshot desktopFrames(const Rendering& rendering) {
    if (rendering.outcome != Rendering::Outcome::played) return noteOf(rendering);
    constexpr int kLabel = 18;
    int width = 0;
    int height = -kGap;
    for (const auto& [size, frames] : rendering.sizes) {
        int row = -kGap;
        int tallest = 0;
        for (const Screenshot& frame : frames) {
            row += int(frame.width) / 2 + kGap;
            tallest = std::max(tallest, int(frame.height) / 2);
        }
        width = std::max(width, row);
        height += kLabel + tallest + kGap;
    }
    Canvas canvas(width, height);
    canvas.fill(kSheetColour);
    const HGDIOBJ font = ::SelectObject(canvas.dc(), ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(canvas.dc(), TRANSPARENT);
    ::SetTextColor(canvas.dc(), kTextColour);
    int y = 0;
    for (const auto& [size, frames] : rendering.sizes) {
        const std::string label = size + ": the installed page played by Ruffle in Chromium, " +
                                  std::to_string(frames.size()) + " frames (half size)";
        RECT box = {0, y, width, y + kLabel};
        ::DrawTextA(canvas.dc(), label.c_str(), -1, &box,
                    DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        int x = 0;
        int tallest = 0;
        for (const Screenshot& frame : frames) {
            canvas.drawScaled(frame, x, y + kLabel, int(frame.width) / 2, int(frame.height) / 2);
            x += int(frame.width) / 2 + kGap;
            tallest = std::max(tallest, int(frame.height) / 2);
        }
        y += kLabel + tallest + kGap;
    }
    ::SelectObject(canvas.dc(), font);
    return canvas.pixels();
}

// Panels side by side, each under its caption, from (x, y); returns the row's height.
int drawRow(Canvas& sheet, const std::vector<Shot>& row, int y) {
    int x = kMargin;
    int tallest = 0;
    for (const Shot& shot : row) {
        RECT label = {x, y, x + int(shot.image.width), y + kCaption};
        ::DrawTextA(sheet.dc(), shot.caption.c_str(), -1, &label,
                    DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        sheet.draw(shot.image, x, y + kCaption);
        x += int(shot.image.width) + kMargin;
        tallest = std::max(tallest, int(shot.image.height));
    }
    return kCaption + tallest;
}

int rowWidth(const std::vector<Shot>& row) {
    int width = kMargin;
    for (const Shot& shot : row) width += int(shot.image.width) + kMargin;
    return width;
}

int rowHeight(const std::vector<Shot>& row) {
    int tallest = 0;
    for (const Shot& shot : row) tallest = std::max(tallest, int(shot.image.height));
    return kCaption + tallest;
}

// The steps side by side, each under its caption, on a light background; the preview movie as
// Ruffle plays it beside the ready window, and the wallpaper on the desktop in a row below.
void Demo::writeContactSheet() {
    std::vector<Shot> steps = shots_;
    if (preview_) {
        const size_t at = steps.empty() || options_.silent ? 0 : 1;
        steps.insert(steps.begin() + std::ptrdiff_t(at),
                     Shot{"The preview movie as the Flash player shows it, rendered by Ruffle",
                          previewStrip(*preview_)});
    }
    std::vector<Shot> desktop;
    if (desktop_) {
        desktop.push_back(Shot{std::to_string(shots_.size() + 1) + ". The wallpaper on the desktop",
                               desktopFrames(*desktop_)});
    }
    const int width = std::max(rowWidth(steps), desktop.empty() ? 0 : rowWidth(desktop));
    const int height =
        kMargin + rowHeight(steps) + kMargin + (desktop.empty() ? 0 : rowHeight(desktop) + kMargin);
    Canvas sheet(width, height);
    sheet.fill(kSheetColour);
    const HGDIOBJ font = ::SelectObject(sheet.dc(), ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(sheet.dc(), TRANSPARENT);
    ::SetTextColor(sheet.dc(), kTextColour);
    const int below = kMargin + drawRow(sheet, steps, kMargin) + kMargin;
    if (!desktop.empty()) drawRow(sheet, desktop, below);
    ::SelectObject(sheet.dc(), font);
    const Screenshot full = sheet.pixels();
    const std::string path = options_.outputFolder + "contact-sheet.png";
    if (!writePng(path, full.width, full.height, full.rgb))
        throw StepFailure{"contact sheet", "cannot write " + path};
    say("==> contact sheet " + path);
}

std::optional<Options> parse(int argc, char** argv) {
    if (argc < 4) return std::nullopt;
    const auto folder = [](std::string path) {
        if (path.empty() || path.back() != '\\') path += '\\';
        return path;
    };
    Options options;
    options.installer = argv[1];
    options.outputFolder = folder(argv[2]);
    options.wallpaperName = argv[3];
    for (int i = 4; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--silent") {
            options.silent = true;
        } else if ((arg == "--preview" || arg == "--desktop") && i + 1 < argc && *argv[i + 1]) {
            (arg == "--preview" ? options.previewFolder : options.desktopFolder) =
                folder(argv[++i]);
        } else {
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace
}  // namespace velumar::e2e

int main(int argc, char** argv) {
    using namespace velumar::e2e;
    const auto options = parse(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: velumar_demo <installer.exe> <output folder> <wallpaper name> "
                     "[--silent] [--preview FOLDER] [--desktop FOLDER]\n");
        return 2;
    }
    try {
        velumar::initSystemFolders();
        velumar::forceFolder(options->outputFolder);
        Demo demo(*options);
        demo.run();
    } catch (const StepFailure& failure) {
        std::fprintf(stderr, "demo: step \"%s\" failed: %s\n", failure.step.c_str(),
                     failure.why.c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "demo: failed: %s\n", error.what());
        return 1;
    }
    return 0;
}
