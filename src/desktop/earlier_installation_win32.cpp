#include "desktop/earlier_installation_win32.h"

#include <windows.h>

#include <utility>

#include "desktop/desktop_texts.h"
#include "package/package_header.h"
#include "util/error_text_win32.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"

namespace velumar::desktop {

namespace {

namespace t = texts;

bool pathExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A new record with CREATE_NEW, so that nothing already there is taken over; an existing one
// of ours is rewritten.
bool writeRecord(const std::string& path, const EarlierInstallation& record, bool fresh) {
    const std::string text = formatEarlierInstallation(record);
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                  fresh ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file) return false;
    if (writeWhole(file.get(), text.data(), text.size()) != 0) {
        file.reset();
        ::DeleteFileA(path.c_str());
        return false;
    }
    return true;
}

// Each item that is aside back in its place, where what stands there now (a run's) is removed
// first when `replace` is set. True when nothing is left aside; the record is deleted then.
bool moveBack(const std::string& root, const EarlierInstallation& record, bool replace) {
    const std::string& name = record.wallpaperName;
    const std::string folder = root + name + std::string(package::kFolderSuffix);
    const std::string page = root + name + std::string(package::kPageSuffix);
    const std::string folderAside = asideFolderPath(root, name, record.number);
    const std::string pageAside = asidePagePath(root, name, record.number);
    if (record.folder && pathExists(folderAside)) {
        if (replace) deleteFolderTree(folder);
        if (!pathExists(folder)) ::MoveFileA(folderAside.c_str(), folder.c_str());
    }
    if (record.page && pathExists(pageAside)) {
        if (replace) deleteFileQuiet(page);
        if (!pathExists(page)) ::MoveFileA(pageAside.c_str(), page.c_str());
    }
    if (pathExists(folderAside) || pathExists(pageAside)) return false;
    ::DeleteFileA(asideRecordPath(root, name, record.number).c_str());
    return true;
}

}  // namespace

EarlierInstallationAside::EarlierInstallationAside(std::string wallpaperRoot,
                                                   std::string wallpaperName)
    : root_(std::move(wallpaperRoot)), name_(std::move(wallpaperName)) {}

std::string EarlierInstallationAside::folderPath() const {
    return root_ + name_ + std::string(package::kFolderSuffix);
}

std::string EarlierInstallationAside::pagePath() const {
    return root_ + name_ + std::string(package::kPageSuffix);
}

std::string EarlierInstallationAside::earlierFolder() const {
    if (!record_ || !record_->folder) return {};
    return asideFolderPath(root_, name_, record_->number) + '\\';
}

velumar::ErrorCode EarlierInstallationAside::setAside() {
    EarlierInstallation record{name_, 0, folderExists(folderPath()), fileExists(pagePath()), false};
    if (!record.folder && !record.page) return velumar::kOk;
    for (int number = 1; number <= kAsideNumbers && record.number == 0; ++number) {
        if (!pathExists(asideFolderPath(root_, name_, number)) &&
            !pathExists(asidePagePath(root_, name_, number)) &&
            writeRecord(asideRecordPath(root_, name_, number),
                        {name_, number, record.folder, record.page, false}, true))
            record.number = number;
    }
    if (record.number == 0) return ERROR_ALREADY_EXISTS;
    const std::string recordPath = asideRecordPath(root_, name_, record.number);
    const std::string folderAside = asideFolderPath(root_, name_, record.number);
    if (record.folder && !::MoveFileA(folderPath().c_str(), folderAside.c_str())) {
        const velumar::ErrorCode code = lastErrorCode();
        ::DeleteFileA(recordPath.c_str());
        return code;
    }
    if (record.page &&
        !::MoveFileA(pagePath().c_str(), asidePagePath(root_, name_, record.number).c_str())) {
        const velumar::ErrorCode code = lastErrorCode();
        if (record.folder) ::MoveFileA(folderAside.c_str(), folderPath().c_str());
        ::DeleteFileA(recordPath.c_str());
        return code;
    }
    record_ = record;
    return velumar::kOk;
}

bool EarlierInstallationAside::putBack() {
    if (!record_) return true;
    const bool back = moveBack(root_, *record_, false);
    record_.reset();
    return back;
}

void EarlierInstallationAside::discard() {
    if (!record_) return;
    record_->installed = true;
    writeRecord(asideRecordPath(root_, name_, record_->number), *record_, false);
    deleteAsideCopies(root_, *record_);
    record_.reset();
}

void recoverEarlierInstallations(const std::string& wallpaperRoot, const std::string& name) {
    for (int number = 1; number <= kAsideNumbers; ++number) {
        const std::optional<EarlierInstallation> record =
            readEarlierRecord(wallpaperRoot, name, number);
        if (!record) continue;
        if (record->installed) {
            deleteAsideCopies(wallpaperRoot, *record);
        } else {
            moveBack(wallpaperRoot, *record, true);
        }
    }
}

}  // namespace velumar::desktop
