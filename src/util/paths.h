// Path text helpers shared by the folder operations. Paths are 8-bit Windows ANSI text with
// "\" as separator; these helpers only look at the text, never at the disk.
#ifndef VELUMAR_UTIL_PATHS_H
#define VELUMAR_UTIL_PATHS_H

#include <string>
#include <string_view>

namespace velumar {

// path with "\" appended when it does not end in one. An empty path stays empty: "\" alone
// would name the root of the current drive, which no caller means.
std::string withTrailingBackslash(std::string_view path);

// path without one final "\" (if it has one).
std::string_view withoutTrailingBackslash(std::string_view path);

// The folder that holds path: one final "\" is dropped, then everything up to and including
// the last "\" or ":" is kept. "C:\a\b\" gives "C:\a\", "C:\a" gives "C:\", "C:" gives "C:",
// a bare name gives "".
std::string parentFolder(std::string_view path);

// A command line that starts program (a path) with arguments: the path in double quotes, so
// that a path with blanks is never read as a shorter program followed by arguments, then one
// blank and the arguments when there are any.
std::string quotedCommandLine(std::string_view program, std::string_view arguments);

}  // namespace velumar

#endif
