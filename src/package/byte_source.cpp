#include "package/byte_source.h"

#include <cstring>

namespace velumar::package {

ReadOutcome readExactly(ByteSource& source, uint64_t offset, std::span<uint8_t> out) noexcept {
    size_t filled = 0;
    while (filled < out.size()) {
        size_t got = 0;
        const int32_t code = source.readAt(offset + filled, out.subspan(filled), got);
        if (code != 0) return {code, false};
        if (got == 0) return {0, false};
        filled += got;
    }
    return {0, true};
}

int32_t MemorySource::readAt(uint64_t offset, std::span<uint8_t> out, size_t& got) noexcept {
    got = 0;
    if (offset >= bytes_.size()) return 0;
    const uint64_t available = bytes_.size() - offset;
    got = static_cast<size_t>(available < out.size() ? available : out.size());
    std::memcpy(out.data(), bytes_.data() + offset, got);
    return 0;
}

int32_t MemorySource::size(uint64_t& bytes) noexcept {
    bytes = bytes_.size();
    return 0;
}

}  // namespace velumar::package
