// explode.cpp -- the decompression engine.
//
// Speed comes from three things: every token is decoded from one 64-bit bit
// buffer that is refilled with a single unaligned load while the input buffer
// holds at least 8 bytes; the three code tables are decoded through
// compile-time lookup tables indexed by the next bits (one lookup per code);
// and copies move 8 bytes at a time whenever the distance allows it.
//
// Safety comes from decoding a token fully before acting on it: the bits it
// used are compared with the bits that really arrived (the bit buffer is zero
// beyond them at the end of the input), and the distance with the output so
// far. Nothing is written until both checks pass, and the window has slack for
// the longest copy plus the 8-byte over-copy.
#include "implode/explode.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>

#include "implode/built_once.h"
#include "implode/format.h"

namespace velumar::implode::detail {
namespace {

using namespace format;

// Decode table entry for the length code: base length, code bits, extra bits.
struct LengthEntry {
    uint16_t base;
    uint8_t codeBits;
    uint8_t extraBits;
};

constexpr std::array<LengthEntry, 1u << kMaxLengthCodeBits> buildLengthDecode() {
    std::array<LengthEntry, 1u << kMaxLengthCodeBits> table{};
    for (unsigned sym = 0; sym < kLengthCodes.size(); ++sym) {
        const WireCode code = kLengthCodes[sym];
        for (unsigned idx = code.bits; idx < table.size(); idx += 1u << code.length)
            table[idx] = {kLengthBase[sym], code.length, kLengthExtraBits[sym]};
    }
    return table;
}

// Symbol in the low byte, code length in the high byte.
template <size_t N, size_t Symbols>
constexpr void fillSymbolDecode(std::array<uint16_t, N>& table,
                                const std::array<WireCode, Symbols>& codes) {
    for (unsigned sym = 0; sym < Symbols; ++sym) {
        const WireCode code = codes[sym];
        for (size_t idx = code.bits; idx < N; idx += size_t{1} << code.length)
            table[idx] = static_cast<uint16_t>(sym | code.length << 8);
    }
}

template <size_t N, size_t Symbols>
constexpr std::array<uint16_t, N> buildSymbolDecode(const std::array<WireCode, Symbols>& codes) {
    std::array<uint16_t, N> table{};
    fillSymbolDecode(table, codes);
    return table;
}

// The length and distance tables are small and stay compile-time constants: the decoding loop
// is measurably faster with them than with tables in writable memory.
constexpr auto kLengthDecode = buildLengthDecode();
constexpr auto kDistanceDecode = buildSymbolDecode<1u << kMaxDistanceCodeBits>(kDistanceCodes);

// The ASCII literal table is 16 KB: computed on first use (see built_once.h).
using AsciiDecode = std::array<uint16_t, 1u << kMaxAsciiCodeBits>;
void fillAsciiDecode(AsciiDecode& table) {
    fillSymbolDecode(table, asciiCodes());
}

BuiltOnce<AsciiDecode, fillAsciiDecode> g_asciiDecode;

// The most bits one token can take: flag, length code and extra bits,
// distance code and low bits.
constexpr unsigned kMaxTokenBits = 1 + 7 + 8 + 8 + 6;

constexpr size_t kInputSize = 2048;
constexpr size_t kHistory = kMaxDictionaryBytes;
// Output collects in the window behind the history; once it reaches
// kFlushAt it is written and the last kHistory bytes move to the front.
constexpr size_t kFlushAt = 2 * kHistory;
constexpr size_t kCopySlack = 8;
constexpr size_t kWindowSize = kFlushAt + kMaxMatch + kCopySlack;

struct ExplodeState {
    StreamIo io;
    uint64_t bitBuffer;
    unsigned bitCount;
    bool inputEnded;
    bool sinkRefused;
    bool ascii;
    unsigned dictionaryBits;
    size_t inPos;
    size_t inEnd;
    size_t outPos;      // next free byte in window
    size_t outWritten;  // window bytes before this were written already
    uint8_t input[kInputSize + 8];
    uint8_t window[kWindowSize];
};
static_assert(sizeof(ExplodeState) + alignof(ExplodeState) <= kExplodeWorkSize,
              "the decoder must fit the classic explode work buffer");

uint64_t load64(const uint8_t* p) {
    uint64_t value;
    std::memcpy(&value, p, sizeof value);
    if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap64(value);
    return value;
}

class Decoder {
  public:
    explicit Decoder(ExplodeState& s) : s_(s) {}

    Result run();

  private:
    bool fetchInput();
    bool refillSlowly();
    bool flushWindow();
    Result readHeader();
    template <bool Ascii>
    Result decodeTokens();

    ExplodeState& s_;
};

bool Decoder::fetchInput() {
    if (s_.inputEnded) return false;
    size_t got = s_.io.read(s_.io.context, s_.input, kInputSize);
    if (got > kInputSize) got = kInputSize;  // a callback that overstates is held to its buffer
    if (got == 0) {
        s_.inputEnded = true;
        return false;
    }
    s_.inPos = 0;
    s_.inEnd = got;
    return true;
}

// Byte by byte, calling for more input as needed; at the end of the input
// the bit buffer simply stays short.
bool Decoder::refillSlowly() {
    while (s_.bitCount <= 56) {
        if (s_.inPos == s_.inEnd && !fetchInput()) return false;
        s_.bitBuffer |= uint64_t{s_.input[s_.inPos++]} << s_.bitCount;
        s_.bitCount += 8;
    }
    return true;
}

bool Decoder::flushWindow() {
    if (s_.outPos > s_.outWritten &&
        !s_.io.write(s_.io.context, s_.window + s_.outWritten, s_.outPos - s_.outWritten)) {
        s_.sinkRefused = true;
        return false;
    }
    if (s_.outPos > kHistory) {
        std::memmove(s_.window, s_.window + s_.outPos - kHistory, kHistory);
        s_.outPos = kHistory;
    }
    s_.outWritten = s_.outPos;
    return true;
}

Result Decoder::readHeader() {
    uint8_t header[kHeaderBytes];
    for (uint8_t& byte : header) {
        if (s_.inPos == s_.inEnd && !fetchInput()) return Result::Aborted;
        byte = s_.input[s_.inPos++];
    }
    if (header[0] > 1) return Result::BadLiteralMode;
    if (header[1] < kMinDictionaryCode || header[1] > kMaxDictionaryCode)
        return Result::BadDictionarySize;
    s_.ascii = header[0] == 1;
    s_.dictionaryBits = header[1];
    return Result::Ok;
}

// Copies `length` bytes from `distance` back; over-copies up to 7 bytes into
// the window's slack, which later output overwrites.
inline void copyMatch(uint8_t* dst, size_t length, size_t distance) {
    const uint8_t* src = dst - distance;
    if (distance >= 8) {
        for (size_t done = 0; done < length; done += 8) std::memcpy(dst + done, src + done, 8);
    } else if (distance == 1) {
        std::memset(dst, *src, length);
    } else {
        for (size_t i = 0; i < length; ++i) dst[i] = src[i];
    }
}

// The state one token touches, kept in locals (registers) while decoding:
// window stores could alias the work area's fields and would otherwise force
// reloads after every byte.
struct HotState {
    uint64_t bitBuffer;
    unsigned bitCount;
    size_t inPos;
    size_t inEnd;
    size_t outPos;
};

enum class Step { Next, End, Short, Bad };

// Decodes and carries out one token. Unchecked steps run only when the bit
// buffer was just refilled to at least 56 bits, more than any token needs.
template <bool Ascii, bool Checked>
[[gnu::always_inline]] inline Step decodeToken(HotState& h, uint8_t* window,
                                               unsigned dictionaryBits) {
    const uint64_t bits = h.bitBuffer;
    unsigned used;
    if ((bits & 1) == 0) {
        unsigned literal;
        if constexpr (Ascii) {
            const unsigned entry =
                g_asciiDecode.filled()[(bits >> 1) & ((1u << kMaxAsciiCodeBits) - 1)];
            literal = entry & 0xff;
            used = 1 + (entry >> 8);
        } else {
            literal = (bits >> 1) & 0xff;
            used = 9;
        }
        if (Checked && used > h.bitCount) return Step::Short;
        window[h.outPos++] = static_cast<uint8_t>(literal);
    } else {
        const LengthEntry len = kLengthDecode[(bits >> 1) & ((1u << kMaxLengthCodeBits) - 1)];
        used = 1 + len.codeBits;
        const size_t length = len.base + ((bits >> used) & ((uint64_t{1} << len.extraBits) - 1));
        used += len.extraBits;
        if (length == kEndOfStreamLength) {
            if (Checked && used > h.bitCount) return Step::Short;
            h.bitBuffer >>= used;
            h.bitCount -= used;
            return Step::End;
        }
        const unsigned entry = kDistanceDecode[(bits >> used) & 0xff];
        used += entry >> 8;
        const unsigned lowBits = length == 2 ? kShortMatchLowBits : dictionaryBits;
        const size_t distance =
            ((size_t{entry & 0xff} << lowBits) | ((bits >> used) & ((1u << lowBits) - 1))) + 1;
        used += lowBits;
        if (Checked && used > h.bitCount) return Step::Short;
        if (distance > h.outPos) return Step::Bad;
        copyMatch(window + h.outPos, length, distance);
        h.outPos += length;
    }
    h.bitBuffer >>= used;
    h.bitCount -= used;
    return Step::Next;
}

template <bool Ascii>
Result Decoder::decodeTokens() {
    const uint8_t* const input = s_.input;
    uint8_t* const window = s_.window;
    const unsigned dictionaryBits = s_.dictionaryBits;
    HotState h{s_.bitBuffer, s_.bitCount, s_.inPos, s_.inEnd, s_.outPos};
    const auto save = [&] {
        s_.bitBuffer = h.bitBuffer;
        s_.bitCount = h.bitCount;
        s_.inPos = h.inPos;
        s_.outPos = h.outPos;
    };
    const auto reload = [&] { h = {s_.bitBuffer, s_.bitCount, s_.inPos, s_.inEnd, s_.outPos}; };
    for (;;) {
        Step step;
        if (h.inEnd - h.inPos >= 8) {
            h.bitBuffer |= load64(input + h.inPos) << h.bitCount;
            h.inPos += (63 - h.bitCount) >> 3;
            h.bitCount |= 56;
            step = decodeToken<Ascii, false>(h, window, dictionaryBits);
        } else {
            if (h.bitCount < kMaxTokenBits) {
                save();
                refillSlowly();
                reload();
            }
            step = decodeToken<Ascii, true>(h, window, dictionaryBits);
        }
        if (step != Step::Next) {
            save();
            if (step == Step::Bad) return Result::BadData;
            if (step == Step::Short) return Result::Aborted;
            return flushWindow() ? Result::Ok : Result::Aborted;
        }
        if (h.outPos >= kFlushAt) {
            save();
            if (!flushWindow()) return Result::Aborted;
            reload();
        }
    }
}

Result Decoder::run() {
    if (Result header = readHeader(); header != Result::Ok) return header;
    return s_.ascii ? decodeTokens<true>() : decodeTokens<false>();
}

}  // namespace

Result explodeWithWork(const StreamIo& io, void* work, size_t workSize) {
    ExplodeState* state = placeInWork<ExplodeState>(work, workSize);
    if (state == nullptr) return Result::Aborted;
    state = new (state) ExplodeState{};
    state->io = io;
    g_asciiDecode.get();  // filled by the first call in the process
    Result result = Decoder(*state).run();
    if (result != Result::Ok && !state->sinkRefused) {
        // What was expanded before the failure still reaches the sink.
        if (state->outPos > state->outWritten)
            io.write(io.context, state->window + state->outWritten,
                     state->outPos - state->outWritten);
    }
    return result;
}

}  // namespace velumar::implode::detail
