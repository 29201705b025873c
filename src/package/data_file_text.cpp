// The data file reader's findings in words, for the package tool and the tests. Kept apart
// from the reader so the installer, which shows its own texts, does not carry them.
#include <string>

#include "package/data_file.h"

namespace velumar::package {

std::string DataFileCheck::describe() const {
    const std::string where = record > 0 ? "record " + std::to_string(record) + ": " : "";
    switch (problem) {
        case DataFileProblem::none:
            return "sound";
        case DataFileProblem::readFailed:
            return where + "read failed with system error " + std::to_string(systemCode);
        case DataFileProblem::headerTruncated:
            return "the data file is shorter than its 1240-byte header";
        case DataFileProblem::tooManyRecords:
            return "the record count is over 109";
        case DataFileProblem::tableTruncated:
            return "the record table runs past the end of the data file";
        case DataFileProblem::unsafeRecordName:
            return where + "the name is not a file name inside the wallpaper folder";
        case DataFileProblem::blockOutsideFile:
            return where + "the block header lies outside the data file";
        case DataFileProblem::negativeBlockSize:
            return where + "the block has a negative size";
        case DataFileProblem::storedBytesOutsideFile:
            return where + "the stored bytes run past the end of the data file";
        case DataFileProblem::badWallpaperName:
            return "its wallpaper name is not a valid folder name of 1 to 64 characters";
        case DataFileProblem::otherWallpaperName:
            return "its wallpaper name differs from the package's";
        case DataFileProblem::noMemory:
            return where + "not enough memory for the stored bytes";
    }
    return where + "unknown problem";
}

}  // namespace velumar::package
