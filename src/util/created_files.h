// What a run made in a folder of its own (a temporary folder), so that its end removes exactly
// that: the files it recorded, then the folders, last made first. A folder is removed only when
// it is empty by then, so whatever else was put there stays; a recorded folder that has become
// a folder link (a junction) is left as it is, and nothing behind one is touched.
#ifndef VELUMAR_UTIL_CREATED_FILES_H
#define VELUMAR_UTIL_CREATED_FILES_H

#include <string>
#include <vector>

namespace velumar {

class CreatedFiles {
  public:
    void file(std::string path) { files_.push_back(std::move(path)); }
    // With or without its final "\".
    void folder(std::string path) { folders_.push_back(std::move(path)); }

    // Removes what was recorded and forgets it (Win32 build only).
    void removeAll();

    const std::vector<std::string>& files() const noexcept { return files_; }
    const std::vector<std::string>& folders() const noexcept { return folders_; }

  private:
    std::vector<std::string> files_;
    std::vector<std::string> folders_;
};

// The name of a temporary folder: base followed by the value in eight lowercase hex digits.
std::string randomFolderName(const std::string& base, unsigned long value);

// One 32-bit value from several that are hard to guess together (timers, identifiers,
// addresses, the system's random bytes), each bit depending on all of theirs.
unsigned long mixedValue(const unsigned long* parts, int count) noexcept;

}  // namespace velumar

#endif
