#include "bitmap_check.h"

#include "package/byte_io.h"

namespace velpack {

namespace {

BitmapCheck refused(const char* why) noexcept {
    BitmapCheck check;
    check.refusal = why;
    return check;
}

}  // namespace

BitmapCheck checkBitmap(std::span<const uint8_t> bytes) noexcept {
    // File header: "BM", file size, reserved, pixel offset (at 10); info header from 14.
    if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') return refused("not a bitmap");
    velumar::package::ByteReader file(bytes);
    file.skip(10);
    const uint32_t pixelOffset = file.u32();
    const uint32_t infoSize = file.u32();
    if (infoSize == 12) {
        BitmapCheck core;
        core.width = file.u16();
        core.height = file.u16();
        return core;
    }
    if (infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 && infoSize != 124)
        return refused("an unknown bitmap header");
    if (bytes.size() < 14 + 40) return refused("the bitmap is cut short");
    const int32_t width = file.i32();
    const int32_t height = file.i32();
    const uint32_t planes = file.u16();
    const uint32_t bits = file.u16();
    const uint32_t compression = file.u32();
    if (width <= 0 || height == 0 || planes != 1) return refused("no picture size");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return refused("an unknown number of bits per pixel");
    if (compression > 3) return refused("a compression the system does not draw");
    const long absoluteHeight = height < 0 ? -long(height) : long(height);
    if (compression == 0) {
        const uint64_t stride = ((uint64_t(width) * bits + 31) / 32) * 4;
        if (pixelOffset + stride * uint64_t(absoluteHeight) > bytes.size())
            return refused("the bitmap is cut short");
    }
    BitmapCheck check;
    check.width = width;
    check.height = absoluteHeight;
    return check;
}

}  // namespace velpack
