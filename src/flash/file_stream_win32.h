// TFileStream: a Stream over a Win32 file (Win32 build only). Opening, creating, reading and
// writing failures raise MovieError of the file kind with the system's code.
#ifndef VELUMAR_FLASH_FILE_STREAM_WIN32_H
#define VELUMAR_FLASH_FILE_STREAM_WIN32_H

#include <string>

#include "flash/movie_stream.h"
#include "util/handles_win32.h"

namespace velumar::flash {

class TFileStream final : public Stream {
  public:
    enum class Mode {
        readShared,  // read; others may read but not write while it is open
        create,      // created or truncated; read and write
    };

    TFileStream(const std::string& path, Mode mode);

    std::size_t read(void* buffer, std::size_t count) override;
    std::size_t write(const void* buffer, std::size_t count) override;
    std::int64_t seek(std::int64_t offset, SeekOrigin origin) override;

  private:
    FileHandle file_;
};

}  // namespace velumar::flash

#endif
