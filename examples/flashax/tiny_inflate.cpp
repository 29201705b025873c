#include "tiny_inflate.h"

namespace velumar::flashax {
namespace {

constexpr int kMaxBits = 15;

struct Huffman {
    short counts[kMaxBits + 1];
    short symbols[288];
};

struct State {
    const unsigned char* in;
    unsigned long inSize;
    unsigned long inAt;
    unsigned char* out;
    unsigned long outSize;
    unsigned long outAt;
    unsigned long bitBuffer;
    int bitCount;
    bool failed;
};

int bits(State& s, int need) {
    long value = static_cast<long>(s.bitBuffer);
    while (s.bitCount < need) {
        if (s.inAt >= s.inSize) {
            s.failed = true;
            return 0;
        }
        value |= static_cast<long>(s.in[s.inAt++]) << s.bitCount;
        s.bitCount += 8;
    }
    s.bitBuffer = static_cast<unsigned long>(value >> need);
    s.bitCount -= need;
    return static_cast<int>(value & ((1L << need) - 1));
}

// Canonical codes from code lengths; false for an over-subscribed set.
bool build(Huffman& h, const short* lengths, int count) {
    for (short& c : h.counts) c = 0;
    for (int i = 0; i < count; ++i) h.counts[lengths[i]]++;
    if (h.counts[0] == count) return true;
    int left = 1;
    for (int length = 1; length <= kMaxBits; ++length) {
        left = (left << 1) - h.counts[length];
        if (left < 0) return false;
    }
    short offsets[kMaxBits + 1];
    offsets[1] = 0;
    for (int length = 1; length < kMaxBits; ++length)
        offsets[length + 1] = static_cast<short>(offsets[length] + h.counts[length]);
    for (int i = 0; i < count; ++i)
        if (lengths[i] != 0) h.symbols[offsets[lengths[i]]++] = static_cast<short>(i);
    return true;
}

int decode(State& s, const Huffman& h) {
    int code = 0, first = 0, index = 0;
    for (int length = 1; length <= kMaxBits; ++length) {
        code |= bits(s, 1);
        if (s.failed) return -1;
        const int count = h.counts[length];
        if (code - count < first) return h.symbols[index + (code - first)];
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    s.failed = true;
    return -1;
}

constexpr short kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                   31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr short kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr short kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                     33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                     1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr short kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void put(State& s, unsigned char byte) {
    if (s.outAt >= s.outSize) {
        s.failed = true;
        return;
    }
    s.out[s.outAt++] = byte;
}

void codes(State& s, const Huffman& lengths, const Huffman& distances) {
    for (;;) {
        int symbol = decode(s, lengths);
        if (s.failed || symbol == 256) return;
        if (symbol < 256) {
            put(s, static_cast<unsigned char>(symbol));
            if (s.failed) return;
            continue;
        }
        symbol -= 257;
        if (symbol >= 29) {
            s.failed = true;
            return;
        }
        const int length = kLengthBase[symbol] + bits(s, kLengthExtra[symbol]);
        const int distanceSymbol = decode(s, distances);
        if (s.failed || distanceSymbol < 0 || distanceSymbol >= 30) {
            s.failed = true;
            return;
        }
        const unsigned long distance = static_cast<unsigned long>(
            kDistanceBase[distanceSymbol] + bits(s, kDistanceExtra[distanceSymbol]));
        if (s.failed || distance > s.outAt) {
            s.failed = true;
            return;
        }
        for (int i = 0; i < length && !s.failed; ++i) put(s, s.out[s.outAt - distance]);
        if (s.failed) return;
    }
}

void stored(State& s) {
    s.bitBuffer = 0;
    s.bitCount = 0;
    if (s.inAt + 4 > s.inSize) {
        s.failed = true;
        return;
    }
    const unsigned length = s.in[s.inAt] | (s.in[s.inAt + 1] << 8);
    s.inAt += 4;
    for (unsigned i = 0; i < length && !s.failed; ++i) {
        if (s.inAt >= s.inSize) {
            s.failed = true;
            return;
        }
        put(s, s.in[s.inAt++]);
    }
}

void fixed(State& s) {
    Huffman lengths, distances;
    short table[288];
    int i = 0;
    for (; i < 144; ++i) table[i] = 8;
    for (; i < 256; ++i) table[i] = 9;
    for (; i < 280; ++i) table[i] = 7;
    for (; i < 288; ++i) table[i] = 8;
    build(lengths, table, 288);
    for (i = 0; i < 30; ++i) table[i] = 5;
    build(distances, table, 30);
    codes(s, lengths, distances);
}

void dynamic(State& s) {
    static constexpr short kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                         11, 4,  12, 3, 13, 2, 14, 1, 15};
    const int literalCount = bits(s, 5) + 257;
    const int distanceCount = bits(s, 5) + 1;
    const int codeCount = bits(s, 4) + 4;
    if (s.failed || literalCount > 286 || distanceCount > 30) {
        s.failed = true;
        return;
    }
    short table[320] = {};
    for (int i = 0; i < codeCount; ++i) table[kOrder[i]] = static_cast<short>(bits(s, 3));
    Huffman lengths, distances;
    if (s.failed || !build(lengths, table, 19)) {
        s.failed = true;
        return;
    }
    int at = 0;
    while (at < literalCount + distanceCount && !s.failed) {
        const int symbol = decode(s, lengths);
        if (symbol < 0) break;
        if (symbol < 16) {
            table[at++] = static_cast<short>(symbol);
            continue;
        }
        short value = 0;
        int repeat;
        if (symbol == 16) {
            if (at == 0) {
                s.failed = true;
                return;
            }
            value = table[at - 1];
            repeat = 3 + bits(s, 2);
        } else if (symbol == 17) {
            repeat = 3 + bits(s, 3);
        } else {
            repeat = 11 + bits(s, 7);
        }
        if (at + repeat > literalCount + distanceCount) {
            s.failed = true;
            return;
        }
        while (repeat-- > 0) table[at++] = value;
    }
    if (s.failed || !build(lengths, table, literalCount) ||
        !build(distances, table + literalCount, distanceCount)) {
        s.failed = true;
        return;
    }
    codes(s, lengths, distances);
}

}  // namespace

unsigned long tinyInflate(const unsigned char* in, unsigned long inSize, unsigned char* out,
                          unsigned long outSize) {
    if (inSize < 2) return 0;
    State s{in, inSize, 2, out, outSize, 0, 0, 0, false};
    int last = 0;
    while (!last && !s.failed) {
        last = bits(s, 1);
        const int type = bits(s, 2);
        if (s.failed) break;
        if (type == 0)
            stored(s);
        else if (type == 1)
            fixed(s);
        else if (type == 2)
            dynamic(s);
        else
            break;
    }
    return s.outAt;
}

}  // namespace velumar::flashax
