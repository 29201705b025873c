// implode.cpp -- the compression engines.
//
// The codes are fixed, so the exact bit cost of every literal and every copy
// is known in advance. Both engines choose by those costs rather than by
// length alone: a copy is only sent when it is cheaper than its literals (in
// ASCII mode a short copy often is not), and the lazy step of the default
// engine compares "copy here" with "literal, then copy at the next byte" by
// the bits each saves. The best engine runs a shortest-path search over each
// block, which with fixed codes gives the smallest stream for the copies the
// match finder sees.
#include "implode/implode.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "implode/format.h"

namespace velumar::implode::detail {
namespace {

using namespace format;

// A length as it goes on the wire: its code followed by its extra bits.
struct LengthWire {
    uint16_t bits;
    uint8_t count;
};

constexpr std::array<LengthWire, kEndOfStreamLength + 1> buildLengthWire() {
    std::array<LengthWire, kEndOfStreamLength + 1> table{};
    for (unsigned length = kMinMatch; length <= kEndOfStreamLength; ++length) {
        const unsigned sym = lengthSymbol(length);
        const WireCode code = kLengthCodes[sym];
        const unsigned extra = length - kLengthBase[sym];
        table[length] = {static_cast<uint16_t>(code.bits | extra << code.length),
                         static_cast<uint8_t>(code.length + kLengthExtraBits[sym])};
    }
    return table;
}

constexpr auto kLengthWire = buildLengthWire();

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

uint64_t load64(const uint8_t* p) {
    uint64_t value;
    std::memcpy(&value, p, sizeof value);
    if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap64(value);
    return value;
}

// Bytes equal at a and b, at most maxLen; reads up to 7 bytes past maxLen.
unsigned matchLength(const uint8_t* a, const uint8_t* b, unsigned maxLen) {
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

    unsigned literal(uint8_t byte) const { return ascii ? 1u + kAsciiCodes[byte].length : 9u; }
    unsigned literals(const uint8_t* bytes, unsigned count) const {
        if (!ascii) return 9 * count;
        unsigned bits = count;
        for (unsigned i = 0; i < count; ++i) bits += kAsciiCodes[bytes[i]].length;
        return bits;
    }
    unsigned match(unsigned length, unsigned distance) const {
        const unsigned lowBits = length == kMinMatch ? kShortMatchLowBits : dictionaryBits;
        return 1 + kLengthWire[length].count + kDistanceCodes[(distance - 1) >> lowBits].length +
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
            put(uint32_t{kAsciiCodes[byte].bits} << 1, 1u + kAsciiCodes[byte].length);
        else
            put(uint32_t{byte} << 1, 9);
    }

    void putLength(unsigned length) {
        put(1u | uint32_t{kLengthWire[length].bits} << 1, 1u + kLengthWire[length].count);
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
    uint8_t* out_;
    size_t outSize_;
    size_t used_ = 0;
    uint64_t written_ = 0;
    uint64_t acc_ = 0;
    unsigned count_ = 0;
    bool failed_ = false;
};

void putHeader(BitWriter& writer, LiteralMode mode, unsigned dictionaryBits) {
    writer.put(static_cast<uint32_t>(mode), 8);
    writer.put(dictionaryBits, 8);
}

size_t readClamped(const StreamIo& io, uint8_t* buf, size_t size) {
    const size_t got = io.read(io.context, buf, size);
    return std::min(got, size);
}

// ---------------------------------------------------------------------------
// Default level: lives in the caller's work area.

constexpr size_t kHistory = kMaxDictionaryBytes;
constexpr size_t kMinLookahead = kMaxMatch + 1;
// Room for 4096 bytes of history, 4096 to work through and a read's worth.
constexpr size_t kWindowSize = 2 * kHistory + 1024;
constexpr unsigned kHashBits = 12;
constexpr size_t kOutSize = 1024;
// Search effort: chain steps per position, a length that ends the search,
// and a length past which the lazy step is skipped.
constexpr unsigned kMaxChain = 128;
constexpr unsigned kNiceLength = 128;
constexpr unsigned kLazyLimit = 40;
// The lazy step charges bytes that only one choice covers at the average
// output bits per byte so far, times kRestScale / 16, refreshed this often.
constexpr uint64_t kRestSample = 4096;
constexpr uint64_t kRestScale = 24;

struct Match {
    unsigned length = 0;
    unsigned distance = 0;
};

struct ImplodeState {
    StreamIo io;
    Pricing pricing;
    unsigned maxDistance;
    size_t pos;
    size_t lookahead;
    bool inputEnded;
    uint64_t consumed;  // input bytes tokenised so far
    unsigned restCost;  // average output bits per input byte so far, in 1/16 bits
    // Positions are stored plus one, so 0 means none.
    uint16_t head3[1u << kHashBits];
    uint16_t head2[1u << kHashBits];
    uint16_t prev[kHistory];
    uint8_t window[kWindowSize + 8];
    uint8_t out[kOutSize];
};
static_assert(sizeof(ImplodeState) + alignof(ImplodeState) <= kImplodeWorkSize,
              "the default compressor must fit the classic implode work buffer");

unsigned hash3(const uint8_t* p) {
    const uint32_t v = p[0] | p[1] << 8 | p[2] << 16;
    return (v * 2654435761u) >> (32 - kHashBits);
}

unsigned hash2(const uint8_t* p) {
    const uint32_t v = p[0] | p[1] << 8;
    return (v * 2654435761u) >> (32 - kHashBits);
}

class LazyImploder {
  public:
    LazyImploder(ImplodeState& s, BitWriter& writer) : s_(s), writer_(writer) {}

    void run();

  private:
    void fill();
    void slide();
    Match insertAndFind(bool search);
    void insert(size_t p);
    bool prefers(const Match& later, const Match& now) const;
    bool worthSending(const Match& m, size_t at) const;
    void updateRestCost();

    ImplodeState& s_;
    BitWriter& writer_;
};

void LazyImploder::slide() {
    std::memmove(s_.window, s_.window + kHistory, s_.pos + s_.lookahead - kHistory);
    s_.pos -= kHistory;
    auto rebase = [](uint16_t& v) { v = v > kHistory ? static_cast<uint16_t>(v - kHistory) : 0; };
    std::for_each(std::begin(s_.head3), std::end(s_.head3), rebase);
    std::for_each(std::begin(s_.head2), std::end(s_.head2), rebase);
    std::for_each(std::begin(s_.prev), std::end(s_.prev), rebase);
}

void LazyImploder::fill() {
    while (s_.lookahead < kMinLookahead && !s_.inputEnded) {
        if (s_.pos >= 2 * kHistory) slide();
        const size_t end = s_.pos + s_.lookahead;
        const size_t got = readClamped(s_.io, s_.window + end, kWindowSize - end);
        if (got == 0)
            s_.inputEnded = true;
        else
            s_.lookahead += got;
    }
}

void LazyImploder::insert(size_t p) {
    const size_t end = s_.pos + s_.lookahead;
    if (p + 2 < end) {
        const unsigned h = hash3(s_.window + p);
        s_.prev[p & (kHistory - 1)] = s_.head3[h];
        s_.head3[h] = static_cast<uint16_t>(p + 1);
    }
    if (p + 1 < end) s_.head2[hash2(s_.window + p)] = static_cast<uint16_t>(p + 1);
}

// Inserts the current position and, when asked, finds its best copy.
Match LazyImploder::insertAndFind(bool search) {
    const size_t p = s_.pos;
    const uint8_t* here = s_.window + p;
    const unsigned maxLen = static_cast<unsigned>(std::min<size_t>(s_.lookahead, kMaxMatch));
    Match best;
    if (maxLen < kMinMatch) return best;
    unsigned candidate2 = s_.head2[hash2(here)];
    unsigned candidate = 0;
    if (maxLen >= 3) {
        const unsigned h = hash3(here);
        candidate = s_.head3[h];
        s_.prev[p & (kHistory - 1)] = static_cast<uint16_t>(candidate);
        s_.head3[h] = static_cast<uint16_t>(p + 1);
    }
    s_.head2[hash2(here)] = static_cast<uint16_t>(p + 1);
    if (!search) return best;

    for (unsigned chain = kMaxChain; candidate != 0 && chain > 0; --chain) {
        const size_t q = candidate - 1;
        if (q >= p || p - q > s_.maxDistance) break;
        const uint8_t* there = s_.window + q;
        if (there[best.length] == here[best.length] && there[0] == here[0]) {
            const unsigned len = matchLength(there, here, maxLen);
            if (len > best.length && len >= 3) {
                best = {len, static_cast<unsigned>(p - q)};
                if (len >= kNiceLength || len == maxLen) break;
            }
        }
        candidate = s_.prev[q & (kHistory - 1)];
    }
    if (best.length < 3 && candidate2 != 0) {
        const size_t q = candidate2 - 1;
        if (q < p && p - q <= kShortMatchMaxDistance && s_.window[q] == here[0] &&
            s_.window[q + 1] == here[1])
            best = {2, static_cast<unsigned>(p - q)};
    }
    if (best.length > 0 && !worthSending(best, p)) best = {};
    return best;
}

bool LazyImploder::worthSending(const Match& m, size_t at) const {
    // Nine literals always cost more than the dearest copy.
    if (m.length >= 9) return true;
    return s_.pricing.match(m.length, m.distance) < s_.pricing.literals(s_.window + at, m.length);
}

// Whether a literal at pos - 1 followed by `later` at pos beats `now` at
// pos - 1. Both are priced over the same stretch of input: the part that only
// the other covers is charged at the average bits per byte so far, which is
// what the next tokens will likely cost.
bool LazyImploder::prefers(const Match& later, const Match& now) const {
    if (later.length == 0) return false;
    const size_t endNow = s_.pos - 1 + now.length;
    const size_t endLater = s_.pos + later.length;
    const uint64_t rest = s_.restCost;  // 1/16 bits per byte
    uint64_t costNow = 16ull * s_.pricing.match(now.length, now.distance);
    uint64_t costLater = 16ull * (s_.pricing.literal(s_.window[s_.pos - 1]) +
                                  s_.pricing.match(later.length, later.distance));
    if (endLater > endNow)
        costNow += (endLater - endNow) * rest;
    else
        costLater += (endNow - endLater) * rest;
    return costLater < costNow;
}

void LazyImploder::updateRestCost() {
    if (s_.consumed < kRestSample) return;
    const uint64_t average = writer_.bitsWritten() * 16 / s_.consumed;
    s_.restCost = static_cast<unsigned>(std::clamp<uint64_t>(average * kRestScale / 16, 8, 16 * 9));
}

void LazyImploder::run() {
    const bool ascii = s_.pricing.ascii;
    Match pending;             // the copy found at pos - 1, if any
    bool havePending = false;  // whether pos - 1 still awaits its token
    uint64_t nextUpdate = kRestSample;
    for (;;) {
        fill();
        if (s_.lookahead == 0) break;
        if (s_.consumed >= nextUpdate) {
            updateRestCost();
            nextUpdate = s_.consumed + kRestSample;
        }
        const bool search = !(havePending && pending.length >= kLazyLimit);
        const Match found = insertAndFind(search);
        if (havePending && pending.length >= kMinMatch && !prefers(found, pending)) {
            writer_.putMatch(pending.length, pending.distance, s_.pricing.dictionaryBits);
            const size_t end = s_.pos - 1 + pending.length;
            for (size_t p = s_.pos + 1; p < end; ++p) insert(p);
            s_.lookahead -= end - s_.pos;
            s_.pos = end;
            s_.consumed += pending.length;
            havePending = false;
            pending = {};
            continue;
        }
        if (havePending) {
            writer_.putLiteral(s_.window[s_.pos - 1], ascii);
            ++s_.consumed;
        }
        pending = found;
        havePending = true;
        ++s_.pos;
        --s_.lookahead;
    }
    if (havePending) writer_.putLiteral(s_.window[s_.pos - 1], ascii);
}

// ---------------------------------------------------------------------------
// Best level: optimal parse per block, own bounded memory.

class OptimalImploder {
  public:
    OptimalImploder(const StreamIo& io, LiteralMode mode, DictionarySize dict)
        : io_(io),
          pricing_{mode == LiteralMode::Ascii, dictionaryBits(dict)},
          maxDistance_(static_cast<unsigned>(dict)),
          buffer_(kBufferSize + 8),
          head3_(kHashSize, -1),
          last2_(1u << 16, -1),
          prev_(kBufferSize, -1),
          price_(kBlock + 1),
          stepLength_(kBlock + 1),
          stepDistance_(kBlock + 1),
          out_(kOutBytes) {
        tokens_.reserve(kBlock);
    }

    Result run(LiteralMode mode);

  private:
    static constexpr size_t kBlock = 1u << 16;
    static constexpr size_t kBufferSize = kHistory + kBlock + kMaxMatch;
    static constexpr unsigned kHashSize = 1u << 16;
    static constexpr unsigned kChain = 256;
    static constexpr unsigned kNice = 258;
    static constexpr size_t kOutBytes = 16384;

    void fill();
    void slide(size_t shift);
    void parseBlock(size_t start, size_t end, BitWriter& writer);
    void insert(size_t p);
    unsigned hash(size_t p) const {
        const uint8_t* b = &buffer_[p];
        const uint32_t v = b[0] | b[1] << 8 | b[2] << 16;
        return (v * 2654435761u) >> 16;
    }
    unsigned key2(size_t p) const { return buffer_[p] | buffer_[p + 1] << 8; }
    void relax(size_t to, uint32_t cost, unsigned length, unsigned distance) {
        if (cost < price_[to]) {
            price_[to] = cost;
            stepLength_[to] = static_cast<uint16_t>(length);
            stepDistance_[to] = static_cast<uint16_t>(distance);
        }
    }

    const StreamIo& io_;
    Pricing pricing_;
    unsigned maxDistance_;
    std::vector<uint8_t> buffer_;
    std::vector<int32_t> head3_;
    std::vector<int32_t> last2_;
    std::vector<int32_t> prev_;
    std::vector<uint32_t> price_;
    std::vector<uint16_t> stepLength_;
    std::vector<uint16_t> stepDistance_;
    std::vector<uint32_t> tokens_;
    std::vector<uint8_t> out_;
    size_t avail_ = 0;
    bool inputEnded_ = false;
};

void OptimalImploder::fill() {
    while (avail_ < kBufferSize && !inputEnded_) {
        const size_t got = readClamped(io_, &buffer_[avail_], kBufferSize - avail_);
        if (got == 0)
            inputEnded_ = true;
        else
            avail_ += got;
    }
}

void OptimalImploder::slide(size_t shift) {
    std::memmove(&buffer_[0], &buffer_[shift], avail_ - shift);
    std::memmove(&prev_[0], &prev_[shift], (avail_ - shift) * sizeof(int32_t));
    avail_ -= shift;
    const auto rebase = [shift](int32_t& v) {
        v = v >= static_cast<int32_t>(shift) ? v - static_cast<int32_t>(shift) : -1;
    };
    std::for_each(head3_.begin(), head3_.end(), rebase);
    std::for_each(last2_.begin(), last2_.end(), rebase);
    std::for_each(prev_.begin(), prev_.begin() + static_cast<ptrdiff_t>(avail_), rebase);
}

void OptimalImploder::insert(size_t p) {
    if (p + 2 < avail_) {
        const unsigned h = hash(p);
        prev_[p] = head3_[h];
        head3_[h] = static_cast<int32_t>(p);
    } else {
        prev_[p] = -1;
    }
    if (p + 1 < avail_) last2_[key2(p)] = static_cast<int32_t>(p);
}

void OptimalImploder::parseBlock(size_t start, size_t end, BitWriter& writer) {
    const size_t n = end - start;
    std::fill(price_.begin(), price_.begin() + static_cast<ptrdiff_t>(n) + 1, UINT32_MAX);
    price_[0] = 0;
    size_t skipUntil = start;
    for (size_t p = start; p < end; ++p) {
        const size_t k = p - start;
        const uint32_t base = price_[k];
        relax(k + 1, base + pricing_.literal(buffer_[p]), 0, 0);
        const unsigned maxLen = static_cast<unsigned>(std::min<size_t>(end - p, kMaxMatch));
        if (p < skipUntil || maxLen < kMinMatch) {
            insert(p);
            continue;
        }
        const int32_t near2 = last2_[key2(p)];
        if (near2 >= 0 && p - static_cast<size_t>(near2) <= kShortMatchMaxDistance) {
            const unsigned d = static_cast<unsigned>(p - static_cast<size_t>(near2));
            relax(k + 2, base + pricing_.match(2, d), 2, d);
        }
        unsigned bestLen = 2;
        if (maxLen >= 3 && p + 2 < avail_) {
            int32_t candidate = head3_[hash(p)];
            const uint8_t* here = &buffer_[p];
            for (unsigned chain = kChain; candidate >= 0 && chain > 0; --chain) {
                const size_t q = static_cast<size_t>(candidate);
                const size_t distance = p - q;
                if (distance > maxDistance_) break;
                const uint8_t* there = &buffer_[q];
                if (there[bestLen] == here[bestLen]) {
                    const unsigned len = matchLength(there, here, maxLen);
                    if (len > bestLen) {
                        const unsigned d = static_cast<unsigned>(distance);
                        for (unsigned l = bestLen + 1; l <= len; ++l)
                            relax(k + l, base + pricing_.match(l, d), l, d);
                        bestLen = len;
                        if (len >= kNice || len == maxLen) break;
                    }
                }
                candidate = prev_[q];
            }
        }
        // A long copy is taken as found: parsing inside it rarely pays.
        if (bestLen >= kNice) skipUntil = p + bestLen;
        insert(p);
    }

    tokens_.clear();
    for (size_t k = n; k > 0;) {
        const unsigned length = stepLength_[k];
        tokens_.push_back(length == 0 ? 0u : (length | uint32_t{stepDistance_[k]} << 16));
        k -= length == 0 ? 1 : length;
    }
    size_t p = start;
    for (auto it = tokens_.rbegin(); it != tokens_.rend(); ++it) {
        const unsigned length = *it & 0xffff;
        if (length == 0) {
            writer.putLiteral(buffer_[p++], pricing_.ascii);
        } else {
            writer.putMatch(length, *it >> 16, pricing_.dictionaryBits);
            p += length;
        }
    }
}

Result OptimalImploder::run(LiteralMode mode) {
    BitWriter writer(io_, out_.data(), out_.size());
    putHeader(writer, mode, pricing_.dictionaryBits);
    size_t cur = 0;
    for (;;) {
        fill();
        if (cur >= avail_) break;
        const size_t end = inputEnded_ ? avail_ : std::min(avail_ - kMaxMatch, cur + kBlock);
        parseBlock(cur, end, writer);
        if (writer.failed()) return Result::Aborted;
        cur = end;
        if (cur > kHistory) {
            const size_t shift = cur - kHistory;
            slide(shift);
            cur -= shift;
        }
    }
    return writer.finish() ? Result::Ok : Result::Aborted;
}

}  // namespace

Result implodeWithWork(const StreamIo& io, void* work, size_t workSize, LiteralMode mode,
                       DictionarySize dict) {
    ImplodeState* state = placeInWork<ImplodeState>(work, workSize);
    if (state == nullptr) return Result::Aborted;
    state = new (state) ImplodeState{};
    state->io = io;
    state->pricing = {mode == LiteralMode::Ascii, dictionaryBits(dict)};
    state->maxDistance = static_cast<unsigned>(dict);
    state->restCost = 16 * state->pricing.literal(' ');
    BitWriter writer(state->io, state->out, sizeof state->out);
    putHeader(writer, mode, state->pricing.dictionaryBits);
    LazyImploder(*state, writer).run();
    return writer.finish() ? Result::Ok : Result::Aborted;
}

Result implodeBest(const StreamIo& io, LiteralMode mode, DictionarySize dict) {
    std::unique_ptr<OptimalImploder> engine;
    try {
        engine = std::make_unique<OptimalImploder>(io, mode, dict);
    } catch (const std::bad_alloc&) {
        return Result::Aborted;
    }
    return engine->run(mode);
}

}  // namespace velumar::implode::detail
