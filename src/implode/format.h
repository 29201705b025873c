// format.h -- the implode stream format, shared by the compressor and the
// decompressor. Everything here is compile-time data.
//
// Stream layout
//
//   byte 0   literal mode: 0 binary, 1 ASCII
//   byte 1   dictionary code: 4, 5, 6 (1024, 2048, 4096 bytes); also the
//            number of low distance bits sent verbatim
//   bits     tokens, packed from the least significant bit of each byte
//
//   token    0 + literal             binary: the byte's 8 bits, LSB first
//                                    ASCII:  the byte's code from the ASCII table
//            1 + length + distance   a copy of `length` bytes from `distance` back
//
//   length   code from the length table (16 symbols), then its extra bits:
//            symbol  0..7 : 2..9, no extra bits      symbol 12: 40..71,   5 bits
//            symbol  8    : 10..11, 1 bit            symbol 13: 72..135,  6 bits
//            symbol  9    : 12..15, 2 bits           symbol 14: 136..263, 7 bits
//            symbol 10    : 16..23, 3 bits           symbol 15: 264..519, 8 bits
//            symbol 11    : 24..39, 4 bits
//            Length 519 is the end-of-stream code; copies are 2..518 bytes.
//   distance distance - 1 = high << low_bits | low, where high (0..63) comes
//            from the distance table and low is sent verbatim in low_bits
//            bits: 2 for a length-2 copy (so at most 256 back), otherwise the
//            dictionary code (so at most the dictionary size back).
//
// The three code tables are fixed. Each is given by its code lengths: codes
// are assigned canonically (shorter codes first, then by symbol) and every bit
// inverted, and they are sent first bit first. So the length table's symbol 1
// is "11", symbol 0 "101" and symbol 15 "0000000", in the order they arrive.
#ifndef VELUMAR_IMPLODE_FORMAT_H
#define VELUMAR_IMPLODE_FORMAT_H

#include <array>
#include <cstddef>
#include <cstdint>

namespace velumar::implode::format {

inline constexpr unsigned kHeaderBytes = 2;
inline constexpr unsigned kMinDictionaryCode = 4;
inline constexpr unsigned kMaxDictionaryCode = 6;
inline constexpr unsigned kMaxDictionaryBytes = 4096;
inline constexpr unsigned kMinMatch = 2;
inline constexpr unsigned kMaxMatch = 518;
inline constexpr unsigned kEndOfStreamLength = 519;
inline constexpr unsigned kShortMatchMaxDistance = 256;  // length-2 copies
inline constexpr unsigned kShortMatchLowBits = 2;

inline constexpr std::array<uint8_t, 16> kLengthCodeLengths = {3, 2, 3, 3, 4, 4, 4, 5,
                                                               5, 5, 5, 6, 6, 6, 7, 7};
inline constexpr std::array<uint8_t, 16> kLengthExtraBits = {0, 0, 0, 0, 0, 0, 0, 0,
                                                             1, 2, 3, 4, 5, 6, 7, 8};
inline constexpr std::array<uint16_t, 16> kLengthBase = {2,  3,  4,  5,  6,  7,  8,   9,
                                                         10, 12, 16, 24, 40, 72, 136, 264};

inline constexpr std::array<uint8_t, 64> kDistanceCodeLengths = {
    2, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8};

// ASCII-mode literal code lengths, by byte value.
inline constexpr std::array<uint8_t, 256> kAsciiCodeLengths = {
    11, 12, 12, 12, 12, 12, 12, 12, 12, 8,  7,  12, 12, 7,  12, 12,  // 0x00
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 13, 12, 12, 12, 12, 12,  // 0x10
    4,  10, 8,  12, 10, 12, 10, 8,  7,  7,  8,  9,  7,  6,  7,  8,   // 0x20
    7,  6,  7,  7,  7,  7,  8,  7,  7,  8,  8,  12, 11, 7,  9,  11,  // 0x30
    12, 6,  7,  6,  6,  5,  7,  8,  8,  6,  11, 9,  6,  7,  6,  6,   // 0x40
    7,  11, 6,  6,  6,  7,  9,  8,  9,  9,  11, 8,  11, 9,  12, 8,   // 0x50
    12, 5,  6,  6,  6,  5,  6,  6,  6,  5,  11, 7,  5,  6,  5,  5,   // 0x60
    6,  10, 5,  5,  5,  5,  8,  7,  8,  8,  10, 11, 11, 12, 12, 12,  // 0x70
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,  // 0x80
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,  // 0x90
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,  // 0xa0
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,  // 0xb0
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,  // 0xc0
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,  // 0xd0
    13, 12, 13, 13, 13, 12, 13, 13, 13, 12, 13, 13, 13, 13, 12, 13,  // 0xe0
    13, 13, 12, 12, 12, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,  // 0xf0
};

inline constexpr unsigned kMaxLengthCodeBits = 7;
inline constexpr unsigned kMaxDistanceCodeBits = 8;
inline constexpr unsigned kMaxAsciiCodeBits = 13;

// A code as it goes on the wire: `bits` holds the code's first bit in bit 0.
struct WireCode {
    uint16_t bits;
    uint8_t length;
};

// Codes for a table of code lengths: canonical, inverted, first bit in bit 0.
template <size_t N>
constexpr void fillWireCodes(std::array<WireCode, N>& codes,
                             const std::array<uint8_t, N>& lengths) {
    unsigned code = 0;
    for (unsigned len = 1; len <= 16; ++len) {
        for (size_t sym = 0; sym < N; ++sym) {
            if (lengths[sym] != len) continue;
            unsigned inverted = ~code & ((1u << len) - 1);
            unsigned reversed = 0;
            for (unsigned b = 0; b < len; ++b) reversed |= ((inverted >> (len - 1 - b)) & 1u) << b;
            codes[sym] = {static_cast<uint16_t>(reversed), static_cast<uint8_t>(len)};
            ++code;
        }
        code <<= 1;
    }
}

template <size_t N>
constexpr std::array<WireCode, N> wireCodes(const std::array<uint8_t, N>& lengths) {
    std::array<WireCode, N> codes{};
    fillWireCodes(codes, lengths);
    return codes;
}

inline constexpr auto kLengthCodes = wireCodes(kLengthCodeLengths);
inline constexpr auto kDistanceCodes = wireCodes(kDistanceCodeLengths);

// The 256 ASCII literal codes, computed from their lengths on first use (code_tables.cpp):
// stored, they would be a kilobyte of every copy of the library.
using AsciiCodes = std::array<WireCode, 256>;
const AsciiCodes& asciiCodes();

// A complete code: its lengths fill the code space exactly. The decoders rely
// on every lookup index hitting a symbol.
template <size_t N>
constexpr bool isCompleteCode(const std::array<uint8_t, N>& lengths, unsigned maxBits) {
    unsigned long long space = 0;
    for (uint8_t len : lengths) space += 1ull << (maxBits - len);
    return space == (1ull << maxBits);
}
static_assert(isCompleteCode(kLengthCodeLengths, kMaxLengthCodeBits));
static_assert(isCompleteCode(kDistanceCodeLengths, kMaxDistanceCodeBits));
static_assert(isCompleteCode(kAsciiCodeLengths, kMaxAsciiCodeBits));

constexpr unsigned lengthSymbol(unsigned length) {
    unsigned sym = 0;
    while (sym + 1 < kLengthBase.size() && kLengthBase[sym + 1] <= length) ++sym;
    return sym;
}

}  // namespace velumar::implode::format

#endif
