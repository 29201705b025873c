// Implode compression for the package tool, over the project's codec.
#ifndef VELPACK_CODEC_H
#define VELPACK_CODEC_H

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "implode/codec.h"

namespace velpack {

struct CompressionSettings {
    velumar::implode::LiteralMode mode = velumar::implode::LiteralMode::Binary;
    velumar::implode::DictionarySize dictionary = velumar::implode::DictionarySize::Bytes4096;
};

std::vector<uint8_t> implodeBytes(std::span<const uint8_t> plain,
                                  const CompressionSettings& settings);

struct Expansion {
    std::vector<uint8_t> bytes;
    std::string problem;  // empty when the stream expanded to exactly the expected size

    bool ok() const noexcept { return problem.empty(); }
};

// Expands `stored`, which must give exactly `expectedSize` bytes; the output
// is bounded by that size, so a hostile stream cannot exhaust memory.
Expansion explodeExactly(std::span<const uint8_t> stored, int64_t expectedSize);

}  // namespace velpack

#endif
