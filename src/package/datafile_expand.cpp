#include "package/datafile_expand.h"

namespace velumar::package {

namespace t = texts;

std::string alreadyInUseMessage() {
    return std::string(t::kCorvanaError).append(t::kAlreadyInUse);
}

std::string openingFailedMessage(std::string_view path, ErrorCode code) {
    return std::string(t::kProblemOpening)
        .append(t::kParagraphBreak)
        .append(t::kFileLabel)
        .append(path)
        .append(t::kParagraphBreak)
        .append(std::to_string(code));
}

std::string readingFailedMessage(std::string_view systemText) {
    return std::string(t::kCorvanaError).append(t::kProblemReading).append(systemText);
}

std::string closingFailedMessage(std::string_view systemText) {
    return std::string(t::kProblemClosing)
        .append(t::kParagraphBreak)
        .append(t::kFileLabel)
        .append(t::kLineBreak)
        .append(systemText);
}

std::string_view readingErrorText(ErrorCode code, std::string_view systemText) noexcept {
    if (code == kShortBlockRead) return t::kDiskReadError;
    if (code == kShortBlockWrite) return t::kDiskWriteError;
    return systemText;
}

DataFileFailure dataFileFailure(const DataFileCheck& check) noexcept {
    using P = DataFileProblem;
    switch (check.problem) {
        case P::none:
            return {kOk, DataFileMessage::opening};
        case P::readFailed:
            return {check.systemCode,
                    check.record > 0 ? DataFileMessage::reading : DataFileMessage::opening};
        case P::headerTruncated:
        case P::tableTruncated:
            return {kShortBlockRead, DataFileMessage::opening};
        case P::tooManyRecords:
            return {kRecordCountOutOfRange, DataFileMessage::opening};
        case P::unsafeRecordName:
            return {kRecordNameUnsafe, DataFileMessage::recordName};
        case P::blockOutsideFile:
        case P::negativeBlockSize:
        case P::storedBytesOutsideFile:
            return {kShortBlockRead, DataFileMessage::reading};
        case P::noMemory:
            return {kNoMemory, DataFileMessage::none};
        case P::badWallpaperName:
        case P::otherWallpaperName:
            return {kDataFileOtherWallpaper, DataFileMessage::opening};
    }
    return {kShortBlockRead, DataFileMessage::opening};
}

std::string folderPart(std::string_view path) {
    const size_t last = path.find_last_of("\\:");
    return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

}  // namespace velumar::package
