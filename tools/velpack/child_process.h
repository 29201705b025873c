// Running another program and waiting for it: the package tool signs through osslsigncode.
// (Not "process.h": this folder is on the include path, and the C run-time has a header of that
// name, which winpthreads includes.)
#ifndef VELPACK_CHILD_PROCESS_H
#define VELPACK_CHILD_PROCESS_H

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velpack {

namespace fs = std::filesystem;

struct ProcessRun {
    std::optional<int> exitCode;  // nothing when the program could not be started
    std::string failure;          // why it could not be started, or how it ended abnormally
};

// Runs arguments[0], found on the PATH, with the rest as its arguments, standard input empty
// and standard output and error written to `output`; waits for it to end.
ProcessRun runProgram(const std::vector<std::string>& arguments, const fs::path& output);

// A new empty folder of the system's temporary folder, named after `stem`; empty when none
// could be made.
fs::path makeTemporaryFolder(const std::string& stem);

}  // namespace velpack

#endif
