// The package offset: where the package header starts in the installer's file.
//
// The package is appended directly after the installer's executable image, so
// the offset equals the size of that image. The installer holds it as a 32-bit
// constant in its initialised data and seeks straight to it; it never
// searches. The constant sits in a 20-byte record that begins with a 16-byte
// marker:
//
//   offset width  field
//        0    16  marker   kPackageOffsetMarker
//       16     4  value    package offset, little-endian; 0 in an unbuilt installer
//
// Only the package tool looks for the marker: when it writes an installer it
// finds the one record in the stub, sets `value` to the stub's size and writes
// the stub followed by the package. The installer reads `value` through a
// volatile access (packageOffset()), so the compiler cannot fold the 0 it was
// built with into the code.
#ifndef VELUMAR_PACKAGE_PACKAGE_OFFSET_H
#define VELUMAR_PACKAGE_PACKAGE_OFFSET_H

#include <array>
#include <cstddef>
#include <cstdint>

namespace velumar::package {

inline constexpr size_t kPackageOffsetMarkerSize = 16;

// Chosen to occur nowhere else in an installer image: mixed text, a control
// character and two high bytes.
inline constexpr std::array<uint8_t, kPackageOffsetMarkerSize> kPackageOffsetMarker = {
    'V', 'L', 'M', 'R', '.', 'p', 'k', 'g', '@', 'o', 'f', 's', 0x1A, 0xC3, 0x5E, 0xA7};

struct PackageOffsetRecord {
    std::array<uint8_t, kPackageOffsetMarkerSize> marker;
    uint32_t value;
};

inline constexpr size_t kPackageOffsetRecordSize = 20;
inline constexpr size_t kPackageOffsetValueOffset = 16;

static_assert(sizeof(PackageOffsetRecord) == kPackageOffsetRecordSize);
static_assert(offsetof(PackageOffsetRecord, value) == kPackageOffsetValueOffset);

// Installer side: the package offset the package tool wrote into this program
// (0 when the program was never made into an installer). Only programs that
// call it carry the record.
uint32_t packageOffset() noexcept;

}  // namespace velumar::package

#endif
