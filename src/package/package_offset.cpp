#include "package/package_offset.h"

namespace velumar::package {

// Not const and with external linkage: kept whole in initialised data, where
// the package tool patches it. The value is x86 little-endian in memory, as the
// tool writes it.
extern PackageOffsetRecord packageOffsetRecord;
PackageOffsetRecord packageOffsetRecord = {kPackageOffsetMarker, 0};

uint32_t packageOffset() noexcept {
    const volatile uint32_t* value = &packageOffsetRecord.value;
    return *value;
}

}  // namespace velumar::package
