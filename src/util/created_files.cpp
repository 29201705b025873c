#include "util/created_files.h"

namespace velumar {

std::string randomFolderName(const std::string& base, unsigned long value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name = base;
    for (int shift = 28; shift >= 0; shift -= 4) name += kDigits[(value >> shift) & 0xF];
    return name;
}

// Each part folded in with a multiply and rotate, then the result run through a finaliser
// that spreads every input bit over the output (MurmurHash3's fmix32).
unsigned long mixedValue(const unsigned long* parts, int count) noexcept {
    unsigned long hash = 0x9E3779B9ul;
    for (int i = 0; i < count; ++i) {
        unsigned long part = (parts[i] & 0xFFFFFFFFul) * 0xCC9E2D51ul & 0xFFFFFFFFul;
        part = ((part << 15) | (part >> 17)) & 0xFFFFFFFFul;
        hash ^= part * 0x1B873593ul & 0xFFFFFFFFul;
        hash = (((hash << 13) | (hash >> 19)) * 5 + 0xE6546B64ul) & 0xFFFFFFFFul;
    }
    hash ^= hash >> 16;
    hash = hash * 0x85EBCA6Bul & 0xFFFFFFFFul;
    hash ^= hash >> 13;
    hash = hash * 0xC2B2AE35ul & 0xFFFFFFFFul;
    hash ^= hash >> 16;
    return hash;
}

}  // namespace velumar
