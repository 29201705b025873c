// The velpack command line. runCli is the whole program; main() only hands it
// the arguments and the standard streams. No exception leaves it.
#ifndef VELPACK_CLI_H
#define VELPACK_CLI_H

#include <ostream>
#include <string>
#include <vector>

namespace velpack {

inline constexpr int kExitOk = 0;
inline constexpr int kExitProblems = 1;
inline constexpr int kExitUsage = 2;

// `args` excludes the program name.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velpack

#endif
