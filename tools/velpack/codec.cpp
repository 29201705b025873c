#include "codec.h"

namespace velpack {

namespace implode = velumar::implode;

std::vector<uint8_t> implodeBytes(std::span<const uint8_t> plain,
                                  const CompressionSettings& settings) {
    return implode::implodeBuffer(plain, settings.mode, settings.dictionary);
}

Expansion explodeExactly(std::span<const uint8_t> stored, int64_t expectedSize) {
    if (expectedSize < 0) return {{}, "the expected size is negative"};
    // No implode token yields more than 518 bytes for its 13 or more bits, so
    // a size beyond 1024 bytes per stored byte cannot be right: refuse it
    // before expanding anything.
    if (uint64_t(expectedSize) > uint64_t(stored.size()) * 1024 + 1024) {
        return {{},
                "the size " + std::to_string(expectedSize) + " is beyond what " +
                    std::to_string(stored.size()) + " compressed bytes can hold"};
    }
    // One byte of room beyond the expected size tells "longer" from "exact".
    const auto limit = static_cast<size_t>(expectedSize) + 1;
    implode::ExplodeResult result = implode::explodeBuffer(stored, limit);
    Expansion expansion{std::move(result.data), {}};
    switch (result.result) {
        case implode::Result::Ok:
            break;
        case implode::Result::BadDictionarySize:
            expansion.problem = "the compressed stream has a bad dictionary size";
            return expansion;
        case implode::Result::BadLiteralMode:
            expansion.problem = "the compressed stream has a bad literal mode";
            return expansion;
        case implode::Result::BadData:
            if (expansion.bytes.size() >= limit) {
                expansion.problem = "the compressed stream expands to more than " +
                                    std::to_string(expectedSize) + " bytes";
            } else {
                expansion.problem = "the compressed stream is damaged";
            }
            return expansion;
        case implode::Result::Aborted:
            expansion.problem = "the compressed stream ends early (after " +
                                std::to_string(expansion.bytes.size()) + " bytes)";
            return expansion;
    }
    if (expansion.bytes.size() != static_cast<size_t>(expectedSize)) {
        expansion.problem = "the compressed stream expands to " +
                            std::to_string(expansion.bytes.size()) + " bytes, not " +
                            std::to_string(expectedSize);
    }
    return expansion;
}

}  // namespace velpack
