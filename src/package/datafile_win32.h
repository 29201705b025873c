// Expansion of the data file (slot 8) into the wallpaper folder (Win32 build only).
//
// The install step writes the data file into the wallpaper folder, then expandDataFile opens
// it, reads and checks it whole with the one data file reader (data_file.h) and writes every
// record's file into the wallpaper folder in record order: stored bytes as they are, imploded
// ones through TCompressor, copy records with CopyFileA. Nothing is written unless the whole
// table, every block header and the data file's wallpaper name passed the reader's checks. The
// object keeps the open file and what the reader returned for the whole run, so a second
// expansion after a failed one takes the "already in use" path and works on what the first
// one read.
//
//   code   situation                                         shown
//   OS     opening or reading header and table               "Problem opening Velumar data
//   100    header or table cut short                         file." with the path and the code
//   -534   record count above 109                            the same opening message
//   -535   wallpaper name invalid or not the package's       the same opening message
//   -533   a record name that fails the name rule            reportInstallError with the path
//   OS,100 reading a block, creating or writing a file       "Corvana Error: Problem reading
//          (a write cut short, also inside an expansion,     Velumar data file. " + the text
//          is the code of the write that failed); 100        ("Disk read error" for 100)
//          also for a block outside the file
//   -532   a copy record failed                              reportInstallError with the source
//   -7, -13, -16, -35                                        nothing: the driver reports them
//   -12, -15  record beyond the count, file not open         nothing
//
// A record that fails leaves no file of its own behind (only a file this expansion created is
// deleted); files of earlier records stay (the install step's clean-up removes the folder).
#ifndef VELUMAR_PACKAGE_DATAFILE_WIN32_H
#define VELUMAR_PACKAGE_DATAFILE_WIN32_H

#include <string>
#include <string_view>

#include "package/data_file.h"
#include "package/datafile_host.h"
#include "util/error_codes.h"
#include "util/handles_win32.h"

namespace velumar::package {

// Opens the data file at path and reads it with the data file reader, checking its wallpaper
// name against the package's. Failures are shown as in the table above and their code
// returned; on success the open file and what was read.
ErrorCode openCheckedDataFile(DataFileHost& host, const std::string& path,
                              std::string_view wallpaperName, FileHandle& file, DataFile& data);

class DataFileExpander {
  public:
    // wallpaperName is the package header's. Imploded records are expanded with impborl.dll
    // from the system's Windows folder, or from compressionFolder when one is given.
    explicit DataFileExpander(std::string wallpaperName, std::string compressionFolder = {});

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
    const DataFileHeader& header() const noexcept { return data_.header; }

  private:
    struct RecordWork;

    ErrorCode copyRecord(DataFileHost& host, const std::string& folder, int number,
                         const std::string& firstName);
    ErrorCode writeRecordFile(RecordWork& work);
    ErrorCode expandCompressed(RecordWork& work, const std::vector<uint8_t>& stored);
    ErrorCode writeStored(RecordWork& work, const std::vector<uint8_t>& stored);
    void markFirstFileArchived(const std::string& folder, const std::string& firstName);

    std::string wallpaperName_;
    std::string compressionFolder_;
    FileHandle file_;
    bool open_ = false;
    DataFile data_;
};

}  // namespace velumar::package

#endif
