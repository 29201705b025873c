// implode_common.h -- what both compressors share: the wire form of lengths,
// exact bit prices under the fixed codes, and the LSB-first bit writer.
#ifndef VELUMAR_IMPLODE_IMPLODE_COMMON_H
#define VELUMAR_IMPLODE_IMPLODE_COMMON_H

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "implode/codec.h"
#include "implode/format.h"
#include "implode/stream_io.h"

namespace velumar::implode::detail {

using namespace format;

// A length as it goes on the wire: its code followed by its extra bits.
struct LengthWire {
    uint16_t bits;
    uint8_t count;
};

// Indexed by length; computed on first use (see built_once.h).
using LengthWireTable = std::array<LengthWire, kEndOfStreamLength + 1>;

inline void fillLengthWire(LengthWireTable& table) {
    for (unsigned length = kMinMatch; length <= kEndOfStreamLength; ++length) {
        const unsigned sym = lengthSymbol(length);
        const WireCode code = kLengthCodes[sym];
        const unsigned extra = length - kLengthBase[sym];
        table[length] = {static_cast<uint16_t>(code.bits | extra << code.length),
                         static_cast<uint8_t>(code.length + kLengthExtraBits[sym])};
    }
}

// The table, filled on first use (code_tables.cpp).
const LengthWireTable& lengthWireTable();

constexpr unsigned dictionaryBits(DictionarySize dict) {
    switch (dict) {
        case DictionarySize::Bytes1024:
            return 4;
        case DictionarySize::Bytes2048:
            return 5;
        case DictionarySize::Bytes4096:
            break;
    }
    return 6;
}

inline uint64_t load64(const uint8_t* p) {
    uint64_t value;
    std::memcpy(&value, p, sizeof value);
    if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap64(value);
    return value;
}

// Bytes equal at a and b, at most maxLen; reads up to 7 bytes past maxLen.
inline unsigned matchLength(const uint8_t* a, const uint8_t* b, unsigned maxLen) {
    unsigned len = 0;
    while (len < maxLen) {
        const uint64_t diff = load64(a + len) ^ load64(b + len);
        if (diff != 0) {
            len += static_cast<unsigned>(std::countr_zero(diff)) >> 3;
            return std::min(len, maxLen);
        }
        len += 8;
    }
    return maxLen;
}

// Exact bit costs under the fixed codes.
struct Pricing {
    bool ascii;
    unsigned dictionaryBits;
    const LengthWireTable* lengthWire = &lengthWireTable();
    const AsciiCodes* asciiCodes = &format::asciiCodes();

    unsigned literal(uint8_t byte) const { return ascii ? 1u + (*asciiCodes)[byte].length : 9u; }
    unsigned literals(const uint8_t* bytes, unsigned count) const {
        if (!ascii) return 9 * count;
        unsigned bits = count;
        for (unsigned i = 0; i < count; ++i) bits += (*asciiCodes)[bytes[i]].length;
        return bits;
    }
    unsigned match(unsigned length, unsigned distance) const {
        const unsigned lowBits = length == kMinMatch ? kShortMatchLowBits : dictionaryBits;
        return 1 + (*lengthWire)[length].count + kDistanceCodes[(distance - 1) >> lowBits].length +
               lowBits;
    }
};

// Packs codes LSB first into an output buffer and hands full buffers on.
// No code is wider than 16 bits, so the 64-bit accumulator never overflows.
class BitWriter {
  public:
    BitWriter(const StreamIo& io, uint8_t* out, size_t outSize)
        : io_(io), out_(out), outSize_(outSize) {}

    void put(uint32_t bits, unsigned count) {
        acc_ |= uint64_t{bits} << count_;
        count_ += count;
        if (count_ >= 32) {
            for (int i = 0; i < 4; ++i) out_[used_ + i] = static_cast<uint8_t>(acc_ >> (8 * i));
            used_ += 4;
            acc_ >>= 32;
            count_ -= 32;
            if (used_ + 4 > outSize_) drain();
        }
    }

    void putLiteral(uint8_t byte, bool ascii) {
        if (ascii)
            put(uint32_t{asciiCodes_[byte].bits} << 1, 1u + asciiCodes_[byte].length);
        else
            put(uint32_t{byte} << 1, 9);
    }

    void putLength(unsigned length) {
        put(1u | uint32_t{lengthWire_[length].bits} << 1, 1u + lengthWire_[length].count);
    }

    void putMatch(unsigned length, unsigned distance, unsigned dictionaryBits) {
        putLength(length);
        const unsigned lowBits = length == kMinMatch ? kShortMatchLowBits : dictionaryBits;
        const WireCode high = kDistanceCodes[(distance - 1) >> lowBits];
        const unsigned low = (distance - 1) & ((1u << lowBits) - 1);
        put(high.bits | low << high.length, high.length + lowBits);
    }

    // End-of-stream code, last partial byte padded with zero bits.
    bool finish() {
        putLength(kEndOfStreamLength);
        while (count_ > 0) {
            out_[used_++] = static_cast<uint8_t>(acc_);
            acc_ >>= 8;
            count_ = count_ > 8 ? count_ - 8 : 0;
        }
        drain();
        return !failed_;
    }

    bool failed() const { return failed_; }
    uint64_t bitsWritten() const { return (written_ + used_) * 8 + count_; }

  private:
    void drain() {
        if (used_ > 0 && !failed_ && !io_.write(io_.context, out_, used_)) failed_ = true;
        written_ += used_;
        used_ = 0;
    }

    const StreamIo& io_;
    const LengthWireTable& lengthWire_ = lengthWireTable();
    const AsciiCodes& asciiCodes_ = format::asciiCodes();
    uint8_t* out_;
    size_t outSize_;
    size_t used_ = 0;
    uint64_t written_ = 0;
    uint64_t acc_ = 0;
    unsigned count_ = 0;
    bool failed_ = false;
};

inline void putHeader(BitWriter& writer, LiteralMode mode, unsigned dictionaryBits) {
    writer.put(static_cast<uint32_t>(mode), 8);
    writer.put(dictionaryBits, 8);
}

inline size_t readClamped(const StreamIo& io, uint8_t* buf, size_t size) {
    const size_t got = io.read(io.context, buf, size);
    return std::min(got, size);
}

}  // namespace velumar::implode::detail

#endif
