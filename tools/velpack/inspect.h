// Reading an installer the way the installer itself would: locate the
// package, read its header, check every slot and the data file, and expand
// what is sound. `verify`, `list`, `extract` and the builder's final check
// share this one inspection.
#ifndef VELPACK_INSPECT_H
#define VELPACK_INSPECT_H

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "code_page.h"
#include "package/data_file.h"
#include "package/integrity.h"
#include "package/package_header.h"
#include "stub.h"

namespace velpack {

using Bytes = std::vector<uint8_t>;

struct Inspection {
    uint64_t fileSize = 0;
    // The code page the package's names are read in (the package does not record it).
    CodePage codePage;
    std::optional<PackageLocation> location;
    std::optional<velumar::package::PackageHeader> header;
    // The header's integrity record checked against the file; nothing without a header.
    std::optional<velumar::package::IntegrityCheck> integrity;
    // Expanded content of each slot whose name is safe, whose stored bytes lie
    // in the file and, when compressed, expand to exactly `size`.
    std::array<std::optional<Bytes>, velumar::package::kSlotCount> slotContents;
    std::optional<velumar::package::DataFile> dataFile;
    // Expanded content of each data record that has a sound block, or of a
    // copy record whose source is known; index = record number - 1.
    std::vector<std::optional<Bytes>> recordContents;
    // One line per problem; empty when the installer is sound.
    std::vector<std::string> problems;

    bool sound() const noexcept { return problems.empty(); }
};

// `offset` overrides how the package is located (see locatePackage). Names are read in
// `codePage`; a name holding a byte it leaves undefined is a problem. Names in problems are
// given in UTF-8.
Inspection inspectInstaller(std::span<const uint8_t> file, std::optional<uint64_t> offset,
                            const CodePage& codePage = CodePage());

}  // namespace velpack

#endif
