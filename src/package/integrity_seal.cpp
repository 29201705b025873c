// The package tool's side of the integrity record: computing it and writing it into a built
// installer. Apart from integrity.cpp so that the installer, which only checks, does not carry
// it.
#include <cstdint>

#include "package/byte_io.h"
#include "package/integrity.h"
#include "package/package_header.h"

namespace velumar::package {

void setIntegrityRecord(PackageHeader& header, const IntegrityRecord& record) noexcept {
    ByteWriter out(header.reserved8);
    out.u32(record.installerLength);
    out.u32(record.installerCrc);
}

IntegrityRecord integrityRecordFor(std::span<const uint8_t> installer, uint32_t packageOffset) {
    FileCrc crc(rangesReadAsZero(installer, packageOffset));
    crc.add(installer);
    return {static_cast<uint32_t>(installer.size()), crc.value()};
}

bool sealInstaller(std::span<uint8_t> installer, uint32_t packageOffset) {
    const uint64_t record = uint64_t(packageOffset) + kIntegrityRecordOffset;
    if (uint64_t(packageOffset) + kPackageHeaderSize > installer.size() ||
        installer.size() > UINT32_MAX)
        return false;
    const IntegrityRecord sealed = integrityRecordFor(installer, packageOffset);
    ByteWriter out(installer.subspan(static_cast<size_t>(record), kIntegrityRecordSize));
    out.u32(sealed.installerLength);
    out.u32(sealed.installerCrc);
    return true;
}

}  // namespace velumar::package
