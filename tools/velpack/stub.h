// The installer stub: the executable image that precedes the package.
//
// The tool writes the package offset into the stub's offset record (see
// package/package_offset.h): it finds the record by its marker, which only
// the tool ever looks for, and sets the value to the stub's size. Reading an
// installer, it takes the offset from that record when it can, and otherwise
// from the end of the PE image (the end of its last section's raw data).
#ifndef VELPACK_STUB_H
#define VELPACK_STUB_H

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velpack {

// File offset just past the PE image: the furthest of the headers' end, the
// sections' raw data, the COFF symbol and string tables and the certificate
// table. Nothing when `file` is not a PE file.
std::optional<uint64_t> peImageEnd(std::span<const uint8_t> file);

// Offsets of every package offset record (marker start) in `bytes`.
std::vector<size_t> findOffsetRecords(std::span<const uint8_t> bytes);

// Sets the stub's one offset record to the stub's size. Empty on success,
// otherwise what is wrong with the stub.
std::string patchStub(std::vector<uint8_t>& stub);

enum class OffsetSource { option, stubRecord, peImageEnd };

struct PackageLocation {
    uint64_t offset = 0;
    OffsetSource source = OffsetSource::option;
    // Set when the stub's offset record holds a value the installer cannot
    // use (0, or past the end of the file); the offset then comes from the
    // end of the PE image, so that the package can still be listed.
    std::string recordProblem;
};

// Where the package header of an installer starts: `given` when set, else the
// value of the first offset record inside the PE image, else the end of the
// PE image. Nothing when none of them is there.
std::optional<PackageLocation> locatePackage(std::span<const uint8_t> file,
                                             std::optional<uint64_t> given);

const char* describe(OffsetSource source) noexcept;

}  // namespace velpack

#endif
