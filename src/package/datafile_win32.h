// Expansion of the data file (slot 8) into the wallpaper folder (Win32 build only).
//
// The install step writes the data file into the wallpaper folder, then expandDataFile opens it,
// reads its 1240-byte header and its record table into this object, and writes every record's
// file into the wallpaper folder in record order: stored bytes as they are, imploded ones through
// TCompressor, copy records with CopyFileA. The object keeps the open file, the header and the
// table for the whole run, so a second expansion after a failed one takes the "already in use"
// path and works on what the first one read.
//
//   code   situation                                         shown
//   OS     opening or reading header and table               "Problem opening Velumar data
//                                                            file." with the path and the code
//   -534   record count above 109 or negative                the same opening message
//   OS,100 reading a block, creating or writing a file;      "Corvana Error: Problem reading
//   101    100 also for a block outside the file             Velumar data file. " + system text
//   -533   a record name that would leave the folder         reportInstallError with the path
//   -532   a copy record failed                              reportInstallError with the source
//   -7, -13, -16, -35                                        nothing: the driver reports them
//   -12, -15  record beyond the count, file not open         nothing
//
// A record that fails leaves no file of its own behind; files of earlier records stay (the
// install step's clean-up removes the folder).
#ifndef VELUMAR_PACKAGE_DATAFILE_WIN32_H
#define VELUMAR_PACKAGE_DATAFILE_WIN32_H

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "package/data_file.h"
#include "package/datafile_host.h"
#include "package/error_codes.h"
#include "util/handles_win32.h"

namespace velumar::package {

// Slot 0 of the table stays empty; records are numbered from 1.
inline constexpr int kRecordTableSlots = kMaxDataRecords + 1;

class DataFileExpander {
  public:
    // Imploded records are expanded with impborl.dll from the system's Windows folder, or from
    // compressionFolder when one is given.
    explicit DataFileExpander(std::string compressionFolder = {});

    DataFileExpander(const DataFileExpander&) = delete;
    DataFileExpander& operator=(const DataFileExpander&) = delete;

    // Opens the data file, writes every record into wallpaperFolder (with its final "\"),
    // closes the file when every record succeeded and makes one progress step.
    ErrorCode expandDataFile(DataFileHost& host, const std::string& dataFilePath,
                             const std::string& wallpaperFolder);

    ErrorCode openDataFile(DataFileHost& host, const std::string& path);
    ErrorCode extractDataRecord(DataFileHost& host, const std::string& folder, int number);
    ErrorCode closeDataFile(DataFileHost& host);

    bool isOpen() const noexcept { return open_; }
    const DataFileHeader& header() const noexcept { return header_; }

  private:
    struct RecordWork;

    ErrorCode copyRecord(DataFileHost& host, const std::string& folder, int number,
                         const std::string& firstName);
    ErrorCode writeRecordFile(RecordWork& work);
    ErrorCode expandCompressed(RecordWork& work);
    ErrorCode writeStored(RecordWork& work);
    void markFirstFileArchived(const std::string& folder, const std::string& firstName);

    std::string compressionFolder_;
    FileHandle file_;
    bool open_ = false;
    DataFileHeader header_;
    std::array<DataRecord, kRecordTableSlots> table_{};
};

}  // namespace velumar::package

#endif
