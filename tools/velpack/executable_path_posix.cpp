#include <system_error>

#include "runtime.h"

namespace velpack {

fs::path executablePath() {
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : self;
}

}  // namespace velpack
