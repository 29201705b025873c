#include "flash/movie_stream.h"

#include <algorithm>
#include <cstring>

#include "flash/flash_texts.h"

namespace velumar::flash {

void throwReadError() {
    throw MovieError(MovieFailureKind::readError, texts::kStreamReadError);
}

std::int64_t Stream::size() {
    const std::int64_t here = position();
    const std::int64_t end = seek(0, SeekOrigin::end);
    seek(here, SeekOrigin::beginning);
    return end;
}

void Stream::readBuffer(void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (count > 0) {
        const std::size_t got = read(out, count);
        if (got == 0) throwReadError();
        out += got;
        count -= got;
    }
}

void Stream::skip(std::uint64_t count) {
    if (count == 0) return;
    const std::int64_t here = position();
    const std::int64_t end = size();
    if (here > end || count > static_cast<std::uint64_t>(end - here)) throwReadError();
    seek(static_cast<std::int64_t>(count), SeekOrigin::current);
}

std::size_t MemoryStream::read(void* buffer, std::size_t count) {
    if (position_ >= bytes_.size()) return 0;
    const std::size_t n = std::min(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

std::size_t MemoryStream::write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    if (bytes_.size() < position_ + count) bytes_.resize(position_ + count);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

std::int64_t MemoryStream::seek(std::int64_t offset, SeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == SeekOrigin::current) base = static_cast<std::int64_t>(position_);
    if (origin == SeekOrigin::end) base = static_cast<std::int64_t>(bytes_.size());
    position_ = static_cast<std::size_t>(std::max<std::int64_t>(0, base + offset));
    return static_cast<std::int64_t>(position_);
}

}  // namespace velumar::flash
