// crc32.cpp -- the library's CRC-32: reflected polynomial 0xEDB88320, eight
// bytes per step through eight tables, computed on first use.
#include <array>
#include <cstdint>

#include "implode/built_once.h"
#include "implode/codec.h"

namespace velumar::implode {
namespace {

using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

void fillTables(CrcTables& tables) {
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n)
        for (size_t t = 1; t < 8; ++t)
            tables[t][n] = (tables[t - 1][n] >> 8) ^ tables[0][tables[t - 1][n] & 0xff];
}

detail::BuiltOnce<CrcTables, fillTables> g_tables;

}  // namespace

uint32_t crc32Update(uint32_t crc, std::span<const uint8_t> bytes) {
    const CrcTables& kTables = g_tables.get();
    const uint8_t* p = bytes.data();
    size_t n = bytes.size();
    for (; n >= 8; n -= 8, p += 8) {
        const uint32_t lo = crc ^ (p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24);
        crc = kTables[7][lo & 0xff] ^ kTables[6][(lo >> 8) & 0xff] ^ kTables[5][(lo >> 16) & 0xff] ^
              kTables[4][lo >> 24] ^ kTables[3][p[4]] ^ kTables[2][p[5]] ^ kTables[1][p[6]] ^
              kTables[0][p[7]];
    }
    for (; n > 0; --n, ++p) crc = kTables[0][(crc ^ *p) & 0xff] ^ (crc >> 8);
    return crc;
}

}  // namespace velumar::implode
