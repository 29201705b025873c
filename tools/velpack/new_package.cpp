#include "new_package.h"

#include <cstdio>
#include <optional>
#include <span>
#include <string_view>

#include "code_page.h"
#include "file_io.h"
#include "flash/movie_reading.h"
#include "package/package_header.h"
#include "package/package_rules.h"

namespace velpack {

namespace {

namespace package = velumar::package;
namespace flash = velumar::flash;
using Bytes = std::vector<uint8_t>;
using Kind = package::InstallerKind;

constexpr const char* kContentFolder = "content";
constexpr const char* kPageFile = "page.html";
constexpr const char* kLicenceFile = "license.txt";

// What a new project of each kind starts with; the kinds' names are the header's.
struct KindChoice {
    package::InstallerKind kind;
    const char* previewFile;  // "" when the kind has no preview of its own
    const char* description;
};

constexpr KindChoice kKindChoices[] = {
    {Kind::movie, "preview.swf", "the movie plays in the installer window"},
    {Kind::picture, "preview.bmp", "a .bmp picture in the installer window"},
    {Kind::jpegPicture, "preview.jpg", "a .jpg picture in the installer window"},
    {Kind::silent, "", "no window: the installer installs at once"},
};

const KindChoice* kindChoice(std::string_view name) {
    const std::optional<Kind> kind = package::kindNamed(name);
    for (const KindChoice& choice : kKindChoices) {
        if (kind && choice.kind == *kind) return &choice;
    }
    return nullptr;
}

// What is written, gathered before anything touches the disk.
struct PlannedFile {
    fs::path path;
    Bytes bytes;
};

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

bool startsWith(const Bytes& bytes, std::initializer_list<uint8_t> prefix) {
    if (bytes.size() < prefix.size()) return false;
    size_t i = 0;
    for (uint8_t byte : prefix)
        if (bytes[i++] != byte) return false;
    return true;
}

std::string hexColour(const flash::MovieColour& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
}

// A file name (code-page bytes) as a relative URL: bytes that would end or change the link are
// escaped, letters of the code page are kept (the page declares its character set).
std::string urlOf(std::string_view name) {
    std::string url;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = byte >= 0x80 || (byte >= 'a' && byte <= 'z') ||
                           (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
                           std::string_view("-._~()/").find(c) != std::string_view::npos;
        if (plain) {
            url += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            url += escaped;
        }
    }
    return url;
}

std::string htmlText(std::string_view text) {
    std::string html;
    for (const char c : text) {
        switch (c) {
            case '&':
                html += "&amp;";
                break;
            case '<':
                html += "&lt;";
                break;
            case '>':
                html += "&gt;";
                break;
            default:
                html += c;
        }
    }
    return html;
}

// A manifest value: quoted when its blanks at the ends must be kept.
std::string iniValue(const std::string& value) {
    if (!value.empty() && (value.front() == ' ' || value.back() == ' ')) return '"' + value + '"';
    return value;
}

class PackageWriter {
  public:
    explicit PackageWriter(const NewPackageRequest& request) : request_(request) {}

    NewPackageResult run() {
        kind_ = kindChoice(request_.kind);
        if (kind_ == nullptr) {
            error("--kind must be movie, picture, jpeg or silent, not \"" + request_.kind + "\"");
            return result_;
        }
        checkName();
        readMainMovie();
        readPreview();
        readLicence();
        if (!result_.ok()) return result_;
        planFiles();
        if (!request_.force) refuseExistingFiles();
        if (result_.ok()) writeFiles();
        return result_;
    }

  private:
    void error(const std::string& message) { result_.errors.push_back(message); }

    bool isMovieKind() const { return kind_->kind == Kind::movie; }
    bool isSilent() const { return kind_->kind == Kind::silent; }

    void checkName() {
        const Conversion converted = fromUtf8(request_.name, codePage_);
        if (!converted.ok()) {
            error("the wallpaper name \"" + request_.name + "\": " + converted.describe(codePage_));
            return;
        }
        nameInCodePage_ = converted.text;
        if (!package::isValidWallpaperName(nameInCodePage_)) {
            error("\"" + request_.name +
                  "\" cannot be a wallpaper name: the installer names the folder \"NAME dir\" "
                  "and the page \"NAME.html\" after it, so it must be 1 to 64 characters and a "
                  "valid folder name (no \\ / : * ? \" < > | or control characters, no trailing "
                  "dot or blank, not a device name)");
        }
    }

    std::optional<Bytes> readInput(const fs::path& path, const char* what) {
        std::string reason;
        std::optional<Bytes> bytes = readWholeFile(path, reason);
        if (!bytes) error(path.string() + ": cannot read the " + what + ": " + reason);
        return bytes;
    }

    // A movie the installer's panel reads; its reading, or nothing after an error.
    std::optional<flash::MovieReading> readableMovie(const fs::path& path, const Bytes& bytes) {
        const flash::MovieReading reading = flash::readMovie(bytes);
        if (reading.failure) {
            error(path.string() + ": not a movie the installer can read (" +
                  reading.failure.message + ")");
            return std::nullopt;
        }
        if (reading.status == velumar::kMovieSignatureRejected) {
            error(path.string() +
                  ": not a Flash movie (it does not start with \"FWS\" or \"CWS\")");
            return std::nullopt;
        }
        if (reading.status != 0) {
            error(path.string() + ": a version " + std::to_string(reading.version) +
                  " movie; the installer reads movies of version 3 to 6");
            return std::nullopt;
        }
        return reading;
    }

    void readMainMovie() {
        const std::optional<Bytes> bytes = readInput(request_.movie, "movie");
        if (!bytes) return;
        const std::optional<flash::MovieReading> reading = readableMovie(request_.movie, *bytes);
        if (!reading) return;
        colour_ = reading->colour;
        movie_ = *bytes;
        const std::string fileName = utf8Of(request_.movie.filename());
        const Conversion converted = fromUtf8(fileName, codePage_);
        if (!converted.ok() || !package::isValidFileName(converted.text)) {
            error(request_.movie.string() +
                  ": its file name cannot be installed (it must be a plain file name in " +
                  codePage_.label() + "); rename it");
            return;
        }
        movieName_ = fileName;
        movieNameInCodePage_ = converted.text;
    }

    void readPreview() {
        const std::string kind(package::kindName(static_cast<uint8_t>(kind_->kind)));
        if (!request_.preview) {
            if (kind_->kind == Kind::picture || kind_->kind == Kind::jpegPicture) {
                error("--kind " + kind + " needs --preview IMAGE (" +
                      (kind_->kind == Kind::picture ? "a .bmp picture" : "a .jpg picture") +
                      ", shown in the installer's 350 x 150 preview area)");
            }
            return;
        }
        if (isSilent()) {
            error("--kind silent shows no window, so it takes no --preview");
            return;
        }
        const std::optional<Bytes> bytes = readInput(*request_.preview, "preview");
        if (!bytes) return;
        if (kind_->kind == Kind::picture && !startsWith(*bytes, {'B', 'M'})) {
            error(request_.preview->string() + ": --kind picture needs a .bmp picture");
            return;
        }
        if (kind_->kind == Kind::jpegPicture && !startsWith(*bytes, {0xFF, 0xD8, 0xFF})) {
            error(request_.preview->string() + ": --kind jpeg needs a JPEG picture");
            return;
        }
        if (kind_->kind == Kind::movie && !readableMovie(*request_.preview, *bytes)) return;
        preview_ = *bytes;
    }

    void readLicence() {
        if (!request_.licence) return;
        if (isSilent()) {
            error("--kind silent shows no window, so it shows no --licence");
            return;
        }
        licence_ = readInput(*request_.licence, "licence");
    }

    fs::path manifestPath() const { return request_.folder / pathFromUtf8(request_.name + ".ini"); }

    void planFiles() {
        result_.manifest = manifestPath();
        planned_.push_back({result_.manifest, bytesOf(manifestText())});
        planned_.push_back({request_.folder / kPageFile, pageBytes()});
        planned_.push_back({request_.folder / kContentFolder / pathFromUtf8(movieName_), movie_});
        if (preview_) planned_.push_back({request_.folder / kind_->previewFile, *preview_});
        if (licence_) planned_.push_back({request_.folder / kLicenceFile, *licence_});
    }

    void refuseExistingFiles() {
        for (const PlannedFile& file : planned_) {
            std::error_code ignored;
            if (fs::exists(file.path, ignored)) {
                error(file.path.string() + " exists; --force replaces it");
            }
        }
    }

    void writeFiles() {
        for (const PlannedFile& file : planned_) {
            std::error_code failure;
            fs::create_directories(file.path.parent_path(), failure);
            if (failure) {
                error(file.path.parent_path().string() +
                      ": cannot create the folder: " + failure.message());
                return;
            }
            if (const std::string why = writeWholeFile(file.path, file.bytes); !why.empty()) {
                error(file.path.string() + ": " + why);
                return;
            }
            result_.written.push_back(file.path);
        }
    }

    // The page declares the code page it is written in; the names in it are in that code page,
    // as the installer writes them.
    Bytes pageBytes() const {
        const std::string colour = hexColour(colour_);
        const std::string movieUrl = urlOf(nameInCodePage_ + " dir/" + movieNameInCodePage_);
        std::string page;
        page += "<html>\n<head>\n<title>" + htmlText(nameInCodePage_) + "</title>\n";
        page += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-" +
                std::to_string(codePage_.number()) + "\">\n</head>\n";
        page +=
            "<!-- The Active Desktop wallpaper page. It is installed in Web\\Wallpaper\\ "
            "beside\n     the wallpaper folder \"" +
            htmlText(nameInCodePage_) + " dir\", which holds the movie. -->\n";
        page += "<body bgcolor=\"" + colour +
                "\" leftmargin=\"0\" topmargin=\"0\" marginwidth=\"0\" marginheight=\"0\" "
                "scroll=\"no\">\n";
        page +=
            "<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" width=\"100%\" "
            "height=\"100%\">\n";
        page += "  <param name=\"movie\" value=\"" + movieUrl + "\">\n";
        page += "  <param name=\"quality\" value=\"high\">\n";
        page += "  <param name=\"loop\" value=\"true\">\n";
        page += "  <param name=\"bgcolor\" value=\"" + colour + "\">\n";
        page += "  <embed src=\"" + movieUrl + "\" quality=\"high\" loop=\"true\" bgcolor=\"" +
                colour +
                "\"\n         width=\"100%\" height=\"100%\" "
                "type=\"application/x-shockwave-flash\">\n";
        page += "</object>\n</body>\n</html>\n";
        return bytesOf(page);
    }

    std::string manifestText() const {
        const std::string name = request_.name;
        const std::string kind(package::kindName(static_cast<uint8_t>(kind_->kind)));
        std::string text;
        text += "; " + name + ": a desktop-movie wallpaper installer, written by velpack new.\n";
        text += "; Build it:  velpack build \"" + utf8Of(manifestPath().filename()) +
                "\"   (velpack build --help describes every setting)\n";
        text += "; Paths are relative to this file.\n\n[package]\n";
        text += "; The kind: movie, picture, jpeg or silent. This one: " +
                std::string(kind_->description) + ".\n";
        text += "kind = " + kind + "\n";
        text += "; The wallpaper's name: the page is installed as Web\\Wallpaper\\" + name +
                ".html, its files in \"" + name + " dir\".\n";
        text += "wallpaperName = " + iniValue(name) + "\n";
        text +=
            "; The desktop colour behind the page (red, green, blue): the movie's background.\n";
        text += "background = " + std::to_string(colour_.red) + ", " +
                std::to_string(colour_.green) + ", " + std::to_string(colour_.blue) + "\n";
        text +=
            "; The code page of your users' Windows, in which the installer shows names and\n"
            "; the licence: 1252 is Western; 874 or 1250 to 1258 for other languages.\n";
        text += "codePage = " + std::to_string(codePage_.number()) + "\n";
        if (licence_) {
            text += "; Show the licence (slot 4) before installing: the user must accept it.\n";
            text += "showLicense = yes\n";
        }
        text += "\n[slot2]\n";
        text +=
            "; The Flash player installer, started with /Q when the user's Flash player is\n"
            "; missing or too old. project:flashax.exe is the project's stand-in, for trying\n"
            "; the installer under Wine; before you ship, put the Flash player installer\n"
            "; your users need beside this file and name it here: file = flashplayer.exe\n";
        text += "file = project:flashax.exe\n";
        if (!isSilent()) {
            text += "\n[slot3]\n";
            if (isMovieKind()) {
                const std::string file = preview_ ? std::string(kind_->previewFile)
                                                  : std::string(kContentFolder) + "/" + movieName_;
                text +=
                    "; The preview: a movie (version 3 to 6) played in the installer's window.\n";
                text += "file = " + file + "\n";
                text += "; The name it is unpacked under.\n";
                text += "name = installer.swf\n";
            } else {
                text +=
                    "; The preview picture, stretched to the installer's 350 x 150 preview area.\n";
                text += "file = " + std::string(kind_->previewFile) + "\n";
            }
        }
        if (licence_) {
            text += "\n[slot4]\n";
            text +=
                "; The licence text shown before installing (UTF-8 is converted to the code "
                "page).\n";
            text += "file = " + std::string(kLicenceFile) + "\n";
            text += "; Packed small.\ncompressed = yes\n";
        }
        text += "\n[slot6]\n";
        text += "; The wallpaper page, installed as Web\\Wallpaper\\" + name + ".html.\n";
        text += "file = " + std::string(kPageFile) + "\n";
        text += "; Packed small.\ncompressed = yes\n";
        text += "\n[slot9]\n";
        text += "; The uninstaller, installed in the wallpaper folder: the project's own.\n";
        text += "file = project:uninstall.exe\n";
        text += "\n[data]\n";
        text += "; Every file below this folder is installed in \"" + name +
                " dir\", keeping sub-folders.\n";
        text += "folder = " + std::string(kContentFolder) + "\n";
        text += "; Packed small.\ncompressed = yes\n";
        return text;
    }

    const NewPackageRequest& request_;
    NewPackageResult result_;
    const KindChoice* kind_ = nullptr;
    CodePage codePage_;
    std::string nameInCodePage_;
    flash::MovieColour colour_;
    Bytes movie_;
    std::string movieName_;
    std::string movieNameInCodePage_;
    std::optional<Bytes> preview_;
    std::optional<Bytes> licence_;
    std::vector<PlannedFile> planned_;
};

}  // namespace

NewPackageResult createPackage(const NewPackageRequest& request) {
    return PackageWriter(request).run();
}

}  // namespace velpack
