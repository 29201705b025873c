#include "advice.h"

#include <cctype>
#include <cstdio>
#include <optional>
#include <set>

#include "app/jpeg_picture.h"
#include "app/layout.h"
#include "bitmap_check.h"
#include "code_page.h"
#include "flash/movie_reading.h"
#include "package/package_header.h"
#include "package/package_rules.h"
#include "util/ascii.h"

namespace velpack {

namespace {

namespace package = velumar::package;
namespace flash = velumar::flash;

constexpr int kPreviewWidth = velumar::app::designed::bmpPanel.width;
constexpr int kPreviewHeight = velumar::app::designed::bmpPanel.height;
// The oldest and newest movie versions the installer's preview panel reads.
constexpr int kOldestPanelVersion = 3;
constexpr int kNewestPanelVersion = 6;

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string lowered(std::string_view text) {
    return velumar::asciiLowered(text);
}

// ---- the page's links ----------------------------------------------------------------------

struct Tag {
    std::string name;                                             // lower case
    std::vector<std::pair<std::string, std::string>> attributes;  // lower-case names

    std::optional<std::string> attribute(std::string_view wanted) const {
        for (const auto& [key, value] : attributes)
            if (key == wanted) return value;
        return std::nullopt;
    }
};

std::string decodeEntities(std::string value) {
    for (size_t at = value.find("&amp;"); at != std::string::npos; at = value.find("&amp;", at + 1))
        value.replace(at, 5, "&");
    return value;
}

// The tags of an HTML page, comments skipped; enough of HTML for the links a page names.
std::vector<Tag> tagsOf(std::string_view page) {
    std::vector<Tag> tags;
    size_t at = 0;
    while ((at = page.find('<', at)) != std::string_view::npos) {
        if (page.substr(at, 4) == "<!--") {
            const size_t end = page.find("-->", at + 4);
            if (end == std::string_view::npos) break;
            at = end + 3;
            continue;
        }
        ++at;
        Tag tag;
        while (at < page.size() && (std::isalnum(static_cast<unsigned char>(page[at])) != 0))
            tag.name += velumar::asciiLower(page[at++]);
        while (at < page.size() && page[at] != '>') {
            if (std::isspace(static_cast<unsigned char>(page[at])) != 0 || page[at] == '/') {
                ++at;
                continue;
            }
            std::string key;
            while (at < page.size() && page[at] != '=' && page[at] != '>' &&
                   std::isspace(static_cast<unsigned char>(page[at])) == 0)
                key += velumar::asciiLower(page[at++]);
            while (at < page.size() && std::isspace(static_cast<unsigned char>(page[at])) != 0)
                ++at;
            std::string value;
            if (at < page.size() && page[at] == '=') {
                ++at;
                while (at < page.size() && std::isspace(static_cast<unsigned char>(page[at])) != 0)
                    ++at;
                if (at < page.size() && (page[at] == '"' || page[at] == '\'')) {
                    const char quote = page[at++];
                    const size_t end = page.find(quote, at);
                    const size_t stop = end == std::string_view::npos ? page.size() : end;
                    value = page.substr(at, stop - at);
                    at = stop == page.size() ? stop : stop + 1;
                } else {
                    while (at < page.size() && page[at] != '>' &&
                           std::isspace(static_cast<unsigned char>(page[at])) == 0)
                        value += page[at++];
                }
            }
            if (!key.empty()) tag.attributes.emplace_back(key, decodeEntities(value));
        }
        if (!tag.name.empty()) tags.push_back(std::move(tag));
    }
    return tags;
}

// "http:", "mailto:", "javascript:": a scheme of two letters or more. A single letter is a
// drive.
bool hasScheme(std::string_view link) {
    const size_t colon = link.find(':');
    if (colon == std::string_view::npos || colon < 2) return false;
    for (size_t i = 0; i < colon; ++i) {
        const char c = link[i];
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

std::string percentDecoded(std::string_view link) {
    std::string out;
    for (size_t i = 0; i < link.size(); ++i) {
        if (link[i] == '%' && i + 2 < link.size() &&
            std::isxdigit(static_cast<unsigned char>(link[i + 1])) != 0 &&
            std::isxdigit(static_cast<unsigned char>(link[i + 2])) != 0) {
            out += static_cast<char>(std::stoi(std::string(link.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += link[i];
        }
    }
    return out;
}

// A link as a path below the wallpaper root ("Web\Wallpaper\"), where the page lives; nothing
// for one that leaves it (an absolute path, a drive, too many "..").
std::optional<std::string> pathBelowWallpaperRoot(std::string_view link) {
    std::string path = percentDecoded(link.substr(0, link.find_first_of("?#")));
    for (char& c : path)
        if (c == '/') c = '\\';
    if (path.starts_with("\\") || (path.size() > 1 && path[1] == ':')) return std::nullopt;
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('\\', start), path.size());
        const std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (parts.empty()) return std::nullopt;
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string joined;
    for (const std::string& part : parts) joined += (joined.empty() ? "" : "\\") + part;
    return joined;
}

// ---- the checks ----------------------------------------------------------------------------

class Adviser {
  public:
    explicit Adviser(const Inspection& inspection)
        : inspection_(inspection), header_(*inspection.header) {}

    Advice run() {
        checkPreview();
        checkPage();
        checkLicence();
        return advice_;
    }

  private:
    std::string utf8(std::string_view name) const { return toUtf8(name, inspection_.codePage); }

    void warn(std::string text) { advice_.warnings.push_back(std::move(text)); }
    void fail(std::string text) { advice_.errors.push_back(std::move(text)); }

    const std::optional<Bytes>& slotBytes(int slot) const {
        return inspection_.slotContents[static_cast<size_t>(slot)];
    }

    std::string previewLabel() const {
        return quoted(
            utf8(package::previewName(header_.kind, header_.slot(package::slots::preview).name())));
    }

    void checkPreview() {
        if (!package::slotIsWritten(header_, package::slots::preview) ||
            header_.slot(package::slots::preview).empty())
            return;
        const std::optional<Bytes>& bytes = slotBytes(3);
        if (!bytes) return;
        if (package::isMovieKind(header_.kind)) checkPreviewMovie(*bytes);
        if (package::isPictureKind(header_.kind)) checkPreviewPicture(*bytes);
    }

    void checkPreviewMovie(const Bytes& bytes) {
        const std::string what = "preview movie " + previewLabel();
        const flash::MovieReading reading = flash::readMovie(bytes);
        if (reading.failure && reading.compressed) {
            fail(what + ": its compressed movie does not expand (" + reading.failure.message +
                 "): the installer cannot prepare it");
        } else if (reading.failure) {
            warn(what +
                 " ends before its background colour: the installer shows a white box "
                 "instead");
        } else if (reading.status == velumar::kMovieSignatureRejected) {
            warn(what +
                 " is not a Flash movie (it starts with neither \"FWS\" nor \"CWS\"): "
                 "the installer shows a white box instead");
        } else if (reading.status != 0) {
            warn(what + " is version " + std::to_string(reading.version) +
                 ": the installer's preview plays versions 3 to 6 only, so it shows a white "
                 "box instead; save the preview for version 6 or earlier, or use a picture");
        }
    }

    void checkPreviewPicture(const Bytes& bytes) {
        const std::string what = "preview picture " + previewLabel();
        const std::optional<std::pair<long, long>> size =
            header_.kind == static_cast<uint8_t>(package::InstallerKind::jpegPicture)
                ? jpegSize(bytes, what)
                : bitmapSize(bytes, what);
        if (!size) return;
        const auto [width, height] = *size;
        if (width == kPreviewWidth && height == kPreviewHeight) return;
        char scale[96];
        std::snprintf(scale, sizeof scale, "%.2f times across and %.2f times down",
                      double(kPreviewWidth) / double(width),
                      double(kPreviewHeight) / double(height));
        warn(what + " is " + std::to_string(width) + " x " + std::to_string(height) +
             ": the installer stretches it to fill the 350 x 150 preview area (" + scale +
             "); make it 350 x 150 to have it shown as it is");
    }

    std::optional<std::pair<long, long>> jpegSize(const Bytes& bytes, const std::string& what) {
        velumar::app::DecodedPicture picture;
        const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (!velumar::app::decodeJpeg(view, picture)) {
            fail(what +
                 " cannot be decoded by the installer (a colour JPEG is needed): the "
                 "preview area stays empty");
            return std::nullopt;
        }
        return std::pair<long, long>(picture.width, picture.height);
    }

    std::optional<std::pair<long, long>> bitmapSize(const Bytes& bytes, const std::string& what) {
        const BitmapCheck check = checkBitmap(bytes);
        if (check.refusal) {
            fail(what + " cannot be decoded by the installer (" + check.refusal +
                 "): the preview area stays empty");
            return std::nullopt;
        }
        return std::pair<long, long>(check.width, check.height);
    }

    // ---- the page

    // What the package installs, as paths below the wallpaper root, in lower case.
    std::set<std::string> installedPaths() const {
        std::set<std::string> paths;
        const std::string folder = package::wallpaperFolderName(header_.wallpaperName());
        for (int slot = 1; slot < package::kSlotCount; ++slot) {
            const package::PackageEntry& entry = header_.slot(slot);
            if (entry.empty() || !package::slotIsWritten(header_, slot)) continue;
            const std::string name = slot == package::slots::preview
                                         ? package::previewName(header_.kind, entry.name())
                                         : std::string(entry.name());
            if (entry.destination == 2) paths.insert(lowered(name));
            if (entry.destination == 1 || entry.destination == 4 || entry.destination == 5 ||
                entry.destination == 6 || entry.destination == 10)
                paths.insert(lowered(folder + name));
        }
        if (inspection_.dataFile) {
            for (const package::DataRecord& record : inspection_.dataFile->records)
                paths.insert(lowered(folder + record.name()));
        }
        return paths;
    }

    // The data record installed at a path below the wallpaper root, if any.
    std::optional<int> recordAt(const std::string& path) const {
        if (!inspection_.dataFile) return std::nullopt;
        const std::string folder = lowered(package::wallpaperFolderName(header_.wallpaperName()));
        for (int number = 1; number <= inspection_.dataFile->recordCount(); ++number) {
            if (lowered(path) == folder + lowered(inspection_.dataFile->record(number).name()))
                return number;
        }
        return std::nullopt;
    }

    void checkPage() {
        const std::optional<Bytes>& page = slotBytes(6);
        if (!page || header_.slot(package::slots::wallpaperPage).empty()) return;
        const std::string text(page->begin(), page->end());
        const std::set<std::string> installed = installedPaths();
        std::set<std::string> told;
        std::set<int> moviesChecked;
        for (const std::string& link : localFilesNamed(text)) {
            const std::optional<std::string> path = inCodePage(pathBelowWallpaperRoot(link));
            if (!path || !installed.contains(lowered(*path))) {
                if (told.insert(link).second) {
                    warn("the page names " + quoted(shownLink(link)) +
                         ", which the package does not install: the desktop will miss it");
                }
                continue;
            }
            if (const std::optional<int> record = recordAt(*path);
                record && moviesChecked.insert(*record).second) {
                checkDataMovie(*record);
            }
        }
    }

    // A page in UTF-8 names files by their UTF-8 names, which the browser hands to the file
    // system in the users' code page: the names the package holds.
    std::optional<std::string> inCodePage(std::optional<std::string> path) const {
        if (!path || isAscii(*path) || !isValidUtf8(*path)) return path;
        const Conversion converted = fromUtf8(*path, inspection_.codePage);
        if (!converted.ok()) return std::nullopt;
        return converted.text;
    }

    std::string shownLink(const std::string& link) const {
        return isValidUtf8(link) ? link : utf8(link);
    }

    void checkDataMovie(int number) {
        const size_t index = static_cast<size_t>(number - 1);
        if (index >= inspection_.recordContents.size()) return;
        const std::optional<Bytes>& bytes = inspection_.recordContents[index];
        if (!bytes || bytes->size() < 3) return;
        const std::string signature(bytes->begin(), bytes->begin() + 3);
        if (signature != flash::kUncompressedSignature && signature != flash::kCompressedSignature)
            return;
        const std::string what = "data file " +
                                 quoted(utf8(inspection_.dataFile->record(number).name())) +
                                 ", named by the page,";
        const flash::MovieReading reading = flash::readMovie(*bytes);
        if (reading.failure && reading.compressed) {
            fail(what + " is a compressed movie that does not expand (" + reading.failure.message +
                 ")");
        } else if (reading.version > kNewestPanelVersion) {
            warn(what + " is a version " + std::to_string(reading.version) +
                 " movie: the installer accepts a Flash player from version 6 on, which does "
                 "not play it, so those users see no wallpaper; save it for version 6 or "
                 "earlier");
        } else if (reading.version >= 0 && reading.version < kOldestPanelVersion) {
            warn(what + " is a version " + std::to_string(reading.version) +
                 " movie, older than any Flash player the installer installs reads well");
        }
    }

    // ---- the licence

    void checkLicence() {
        if (!header_.showLicense || header_.slot(package::slots::license).empty()) return;
        const std::optional<Bytes>& bytes = slotBytes(4);
        if (!bytes) return;
        const std::string text(bytes->begin(), bytes->end());
        std::string shown;
        size_t count = 0;
        size_t first = std::string::npos;
        std::set<unsigned char> seen;
        for (size_t i = 0; i < text.size(); ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            if (byte < 0x80) continue;
            ++count;
            if (first == std::string::npos) first = i;
            if (seen.insert(byte).second && seen.size() <= 8)
                shown += (shown.empty() ? "" : " ") +
                         toUtf8(std::string(1, text[i]), inspection_.codePage);
        }
        if (count == 0) return;
        warn("licence " + quoted(utf8(header_.slot(package::slots::license).name())) + " has " +
             std::to_string(count) + " byte" + (count == 1 ? "" : "s") +
             " outside ASCII (first on line " + std::to_string(lineAt(text, first)) +
             "): the installer shows them in the users' " + "code page, read here in " +
             inspection_.codePage.label() + " as: " + shown +
             "; users of another code page see other letters");
    }

    const Inspection& inspection_;
    const package::PackageHeader& header_;
    Advice advice_;
};

}  // namespace

std::vector<std::string> localFilesNamed(std::string_view page) {
    std::vector<std::string> links;
    const auto add = [&](const std::optional<std::string>& link) {
        if (!link) return;
        std::string trimmed = *link;
        while (!trimmed.empty() && std::isspace(static_cast<unsigned char>(trimmed.back())) != 0)
            trimmed.pop_back();
        while (!trimmed.empty() && std::isspace(static_cast<unsigned char>(trimmed.front())) != 0)
            trimmed.erase(trimmed.begin());
        if (trimmed.empty() || trimmed.front() == '#' || trimmed.starts_with("//") ||
            hasScheme(trimmed))
            return;
        links.push_back(trimmed);
    };
    for (const Tag& tag : tagsOf(page)) {
        if (tag.name == "param") {
            const std::string name = lowered(tag.attribute("name").value_or(""));
            if (name == "movie" || name == "src") add(tag.attribute("value"));
        } else if (tag.name == "embed" || tag.name == "img") {
            add(tag.attribute("src"));
        } else if (tag.name == "a") {
            add(tag.attribute("href"));
        }
    }
    return links;
}

Advice adviseOn(const Inspection& inspection) {
    if (!inspection.header) return {};
    return Adviser(inspection).run();
}

}  // namespace velpack
