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

bool recordCountAcceptable(int32_t recordCount) noexcept {
    return recordCount >= 0 && recordCount <= kMaxDataRecords;
}

namespace {

bool rangeInside(int64_t offset, int64_t length, uint64_t fileSize) noexcept {
    return offset >= 0 && length >= 0 && static_cast<uint64_t>(offset) <= fileSize &&
           static_cast<uint64_t>(length) <= fileSize - static_cast<uint64_t>(offset);
}

}  // namespace

bool blockHeaderFitsInFile(int64_t blockOffset, uint64_t fileSize) noexcept {
    return rangeInside(blockOffset, int64_t(kBlockHeaderSize), fileSize);
}

bool blockFitsInFile(int64_t blockOffset, const BlockHeader& block, uint64_t fileSize) noexcept {
    if (!blockHeaderFitsInFile(blockOffset, fileSize)) return false;
    if (block.size() < 0) return false;
    if (block.size() == 0) return true;
    return rangeInside(blockOffset + int64_t(kBlockHeaderSize), block.storedLength(), fileSize);
}

std::string folderPart(std::string_view path) {
    const size_t last = path.find_last_of("\\:");
    return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

}  // namespace velumar::package
