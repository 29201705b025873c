// A minimal PNG writer for the end-to-end screenshots: 8-bit RGB, one IDAT compressed by zlib.
#ifndef VELUMAR_TESTS_E2E_PNG_WRITER_H
#define VELUMAR_TESTS_E2E_PNG_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

namespace velumar::e2e {

// rgb holds height rows of width pixels, three bytes each, top row first.
bool writePng(const std::string& path, unsigned width, unsigned height,
              const std::vector<uint8_t>& rgb);

}  // namespace velumar::e2e

#endif
