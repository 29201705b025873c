// The check that a preview bitmap is one the installer's picture loader (the system's) draws.
#ifndef VELPACK_BITMAP_CHECK_H
#define VELPACK_BITMAP_CHECK_H

#include <cstdint>
#include <span>

namespace velpack {

// The picture's width and height (always positive), or, when `refusal` is set, why the
// system's loader would refuse it.
struct BitmapCheck {
    long width = 0;
    long height = 0;
    const char* refusal = nullptr;
};

// "BM", an info header the system knows, a size, one plane, a bit count and compression it
// draws, and pixels inside the file.
BitmapCheck checkBitmap(std::span<const uint8_t> bytes) noexcept;

}  // namespace velpack

#endif
