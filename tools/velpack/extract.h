// `velpack extract`: every slot into a folder (expanded), and the data file's
// records under its "data" sub-folder, keeping their sub-folders, with copy
// records resolved.
//
// Nothing is written outside the folder, whatever the names in the file say:
// only names that pass the safe-name rules are used, and every path is checked
// to stay below the folder once made absolute. Two slots with the same name
// (Windows compares without case), or a slot named "data", are written as
// "slot<N>-<name>" so that neither is lost.
//
// Names are read in the inspection's code page and written as host names in
// UTF-8 (a byte the code page leaves undefined becomes U+FFFD).
#ifndef VELPACK_EXTRACT_H
#define VELPACK_EXTRACT_H

#include <filesystem>
#include <string>
#include <vector>

#include "inspect.h"

namespace velpack {

namespace fs = std::filesystem;

struct ExtractResult {
    std::vector<fs::path> written;
    std::vector<std::string> errors;  // items that could not be written
};

ExtractResult extractInstaller(const Inspection& inspection, const fs::path& folder);

}  // namespace velpack

#endif
