#include "extract.h"
#include "util/ascii.h"

#include <algorithm>
#include <set>
#include <system_error>

#include "code_page.h"
#include "file_io.h"
#include "package/package_rules.h"

namespace velpack {

namespace {

namespace package = velumar::package;

constexpr std::string_view kDataFolder = "data";

std::string lowered(std::string_view text) {
    return velumar::asciiLowered(text);
}

// True when `path`, made absolute and normal, lies below `root`.
bool staysBelow(const fs::path& root, const fs::path& path) {
    const fs::path relative = path.lexically_normal().lexically_relative(root);
    if (relative.empty()) return false;
    const std::string first = relative.begin()->string();
    return first != ".." && first != "." && !relative.is_absolute();
}

class Extractor {
  public:
    Extractor(const Inspection& inspection, ExtractResult& result)
        : inspection_(inspection), result_(result) {}

    void run(const fs::path& folder) {
        std::error_code code;
        fs::create_directories(folder, code);
        root_ = fs::weakly_canonical(fs::absolute(folder, code), code);
        if (code || !fs::is_directory(root_, code)) {
            result_.errors.push_back("cannot create the folder " + folder.string());
            return;
        }
        if (inspection_.header) extractSlots(*inspection_.header);
        if (inspection_.dataFile) extractRecords(*inspection_.dataFile);
    }

  private:
    void extractSlots(const package::PackageHeader& header) {
        std::set<std::string> taken = {std::string(kDataFolder)};
        for (int slot = 0; slot < package::kSlotCount; ++slot) {
            const package::PackageEntry& entry = header.slot(slot);
            const std::optional<Bytes>& content =
                inspection_.slotContents[static_cast<size_t>(slot)];
            if (entry.empty()) continue;
            const std::string label = "slot " + std::to_string(slot);
            std::string name = shown(entry.name());
            if (!content || !package::isValidFileName(entry.name())) {
                result_.errors.push_back(label + " " + name + ": not extracted");
                continue;
            }
            if (!taken.insert(lowered(name)).second)
                name = "slot" + std::to_string(slot) + "-" + name;
            write(root_ / pathFromUtf8(name), *content, label);
        }
    }

    void extractRecords(const package::DataFile& data) {
        const fs::path dataRoot = root_ / std::string(kDataFolder);
        for (int number = 1; number <= data.recordCount(); ++number) {
            const std::string name = data.record(number).name();
            if (name.empty()) continue;
            const std::string hostName = shown(name);
            const std::string label = "data record " + std::to_string(number);
            const std::optional<Bytes>& content =
                inspection_.recordContents[static_cast<size_t>(number - 1)];
            if (!content || !package::isValidRelativePath(name)) {
                const package::BlockHeader* block = data.block(number);
                if (block != nullptr && block->size() == 0) continue;  // the installer writes none
                result_.errors.push_back(label + " " + hostName + ": not extracted");
                continue;
            }
            std::string relative = hostName;
            std::replace(relative.begin(), relative.end(), '\\', '/');
            write(dataRoot / pathFromUtf8(relative), *content, label);
        }
    }

    std::string shown(std::string_view name) const { return toUtf8(name, inspection_.codePage); }

    void write(const fs::path& path, const Bytes& content, const std::string& label) {
        if (!staysBelow(root_, path)) {
            result_.errors.push_back(label + ": " + utf8Of(path) + " lies outside " +
                                     utf8Of(root_));
            return;
        }
        std::error_code code;
        fs::create_directories(path.parent_path(), code);
        // The parent, with any links resolved, must still lie below the folder.
        const fs::path parent = fs::weakly_canonical(path.parent_path(), code);
        if (code || !(parent == root_ || staysBelow(root_, parent))) {
            result_.errors.push_back(label + ": cannot create a folder for " + utf8Of(path));
            return;
        }
        if (const std::string failure = writeWholeFile(path, content); !failure.empty()) {
            result_.errors.push_back(label + ": " + failure);
            return;
        }
        result_.written.push_back(path);
    }

    const Inspection& inspection_;
    ExtractResult& result_;
    fs::path root_;
};

}  // namespace

ExtractResult extractInstaller(const Inspection& inspection, const fs::path& folder) {
    ExtractResult result;
    Extractor(inspection, result).run(folder);
    return result;
}

}  // namespace velpack
