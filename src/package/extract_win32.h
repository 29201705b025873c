// Entry extraction (Win32 build only): every file the installer puts on disk from its package
// is written by extractEntry, which clears the destination (deleteFileWithRetry, or quietly for
// a ".dll"), reads the entry's whole stored range in one piece and writes it as it is or expands
// it through the implode binding. Failures reach the user through reportInstallError, shown
// once, by the operation that meets them.
//
// extractEntry's results:
//   0      written, or the destination was busy (-32) and stays as it was
//   >0     operating-system code of a failed read, create or write (reported at once); a
//          write cut short, also inside an expansion, is the code of the write that failed,
//          ERROR_DISK_FULL on a full disk
//   -7     no memory for the stored bytes
//   -13    the expanded file's length differs from the entry's size (the file stays)
//   -16    no file at the destination after the expansion
//   -30    the stored range is reversed or not inside the package copy, or a short read
//   -35    the entry is compressed and the implode library is not available
//   -38    busy ".scr" destination (already reported by deleteFileWithRetry)
//   -531   the slot is empty (reported with an empty path)
// A slot whose name fails the name rule (package_rules.h), makes too long a path, or whose
// destination value names no folder is malformed: it fails with ERROR_INVALID_NAME, reported
// with the slot's name.
#ifndef VELUMAR_PACKAGE_EXTRACT_WIN32_H
#define VELUMAR_PACKAGE_EXTRACT_WIN32_H

#include <string>

#include "package/byte_source.h"
#include "package/datafile_host.h"
#include "package/package_header.h"
#include "util/error_codes.h"
#include "util/handles_win32.h"

namespace velumar::package {

// Where the slots go: a view of the installer's state (the header record and the two folders,
// each ending in "\\") and, when extracting with progress, the window's status line and
// progress step.
struct ExtractionTarget {
    const PackageHeader& header;
    const std::string& windowsFolder;
    const std::string& wallpaperFolder;
    DataFileHost* progress = nullptr;
};

// Writes one slot (0 to 10) from the package copy. With showProgress the status line says
// "Writing Velumar files..." and the progress bar takes a step.
ErrorCode extractEntry(const ExtractionTarget& target, ByteSource& packageCopy, int slot,
                       bool showProgress);

// A file the run goes on to load or start, as extractCheckedEntry left it: its path, and the
// file held open, others may read it but nobody may write, delete or rename it.
struct CheckedFile {
    std::string path;
    FileHandle file;
};

// Writes one slot as extractEntry does (without progress) for a file the run will load or
// start: the package's bytes (expanded in memory when the slot is compressed) are written, the
// file is opened again and held in `checked`, and it must hold exactly those bytes. A
// destination that cannot be replaced stays only when it already holds exactly those bytes,
// silently, and is held and used as written; any other, or a written file that no longer holds
// them, is -32 with the busy message (-38 for a ".scr") and is never loaded or run: `checked`
// then holds nothing. The other results are extractEntry's.
ErrorCode extractCheckedEntry(const ExtractionTarget& target, ByteSource& packageCopy, int slot,
                              CheckedFile& checked);

// Number of deletion attempts every caller passes.
inline constexpr int kDeleteAttempts = 5000;

// Deletes the file at path, clearing read-only, hidden and system attributes when the first
// attempt fails; attempts follow each other without a pause. 0 when no file is left (or there
// was none); -38 for a busy ".scr", -32 for any other busy file; -1 when attempts is 0 or less.
// With report set, a failure is shown through reportInstallError.
ErrorCode deleteFileWithRetry(const std::string& path, bool report, int attempts);

// The installer's error dialog for code and text (see installErrorMessage); returns when the
// user has closed it.
void reportInstallError(ErrorCode code, const std::string& text);

}  // namespace velumar::package

#endif
