// implode.cpp -- the default compressor.
//
// The codes are fixed, so the exact bit cost of every literal and every copy
// is known in advance, and choices are made by those costs rather than by
// length alone: a copy is only sent when it is cheaper than its literals (in
// ASCII mode a short copy often is not), and the lazy step compares "copy
// here" with "literal, then copy at the next byte" by the bits each spends.
#include "implode/implode.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "implode/implode_common.h"

namespace velumar::implode::detail {
namespace {

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
// With a copy this long pending, a better one is rarely found: search less.
constexpr unsigned kGoodLength = 16;

// The lazy step charges bytes that only one choice covers at the average
// output bits per byte so far, times kRestScale / 16, refreshed this often.
constexpr uint64_t kRestSample = 4096;
constexpr uint64_t kRestScale = 24;
// After this many literals in a row the input looks incompressible: at every
// other position look for length-2 copies only (all positions still enter the
// tables). Random input then compresses twice as fast and 0.01 % larger.
constexpr unsigned kSparseAfter = 32;
// A chain budget that looks for length-2 copies only.
constexpr unsigned kShortOnly = ~0u;

struct Match {
    unsigned length = 0;
    unsigned distance = 0;
};

// Chain steps for the next position, given the copy already pending.
unsigned chainBudget(unsigned pendingLength) {
    if (pendingLength >= kLazyLimit) return 0;
    return pendingLength >= kGoodLength ? kMaxChain / 4 : kMaxChain;
}

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
    Match insertAndFind(unsigned chainBudget);
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
Match LazyImploder::insertAndFind(unsigned chainBudget) {
    const size_t p = s_.pos;
    const uint8_t* here = s_.window + p;
    const unsigned maxLen = static_cast<unsigned>(std::min<size_t>(s_.lookahead, kMaxMatch));
    Match best;
    if (maxLen < kMinMatch) return best;
    // Table entries are positions before p (plus one), or 0.
    const unsigned h2 = hash2(here);
    const unsigned candidate2 = s_.head2[h2];
    s_.head2[h2] = static_cast<uint16_t>(p + 1);
    unsigned candidate = 0;
    if (maxLen >= 3) {
        const unsigned h = hash3(here);
        candidate = s_.head3[h];
        s_.prev[p & (kHistory - 1)] = static_cast<uint16_t>(candidate);
        s_.head3[h] = static_cast<uint16_t>(p + 1);
    }
    if (chainBudget == 0) return best;

    for (unsigned chain = chainBudget == kShortOnly ? 0 : chainBudget; candidate != 0 && chain > 0;
         --chain) {
        const size_t distance = p - (candidate - 1);
        if (distance > s_.maxDistance) break;
        const uint8_t* there = here - distance;
        if (there[best.length] == here[best.length] && there[0] == here[0]) {
            const unsigned len = matchLength(there, here, maxLen);
            if (len > best.length && len >= 3) {
                best = {len, static_cast<unsigned>(distance)};
                if (len >= kNiceLength || len == maxLen) break;
            }
        }
        const unsigned next = s_.prev[(candidate - 1) & (kHistory - 1)];
        if (next >= candidate) break;  // a slot reused by a newer position
        candidate = next;
    }
    if (best.length < 3 && candidate2 != 0) {
        const size_t distance = p - (candidate2 - 1);
        if (distance <= kShortMatchMaxDistance &&
            here[-static_cast<ptrdiff_t>(distance)] == here[0] &&
            here[1 - static_cast<ptrdiff_t>(distance)] == here[1])
            best = {2, static_cast<unsigned>(distance)};
    }
    if (best.length > 0 && !worthSending(best, p)) best = {};
    return best;
}

bool LazyImploder::worthSending(const Match& m, size_t at) const {
    // In binary mode every copy beats its literals (a length-2 copy costs at
    // most 14 bits, a longer one at most 30); in ASCII mode nine literals
    // always cost more than the dearest copy.
    if (!s_.pricing.ascii || m.length >= 9) return true;
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
    unsigned literalRun = 0;  // literals since the last copy
    for (;;) {
        if (s_.lookahead < kMinLookahead) fill();
        if (s_.lookahead == 0) break;
        if (s_.consumed >= nextUpdate) {
            updateRestCost();
            nextUpdate = s_.consumed + kRestSample;
        }
        unsigned budget = chainBudget(havePending ? pending.length : 0);
        if (literalRun >= kSparseAfter && (s_.pos & 1) && budget != 0) budget = kShortOnly;
        const Match found = insertAndFind(budget);
        if (havePending && pending.length >= kMinMatch && !prefers(found, pending)) {
            writer_.putMatch(pending.length, pending.distance, s_.pricing.dictionaryBits);
            const size_t end = s_.pos - 1 + pending.length;
            for (size_t p = s_.pos + 1; p < end; ++p) insert(p);
            s_.lookahead -= end - s_.pos;
            s_.pos = end;
            s_.consumed += pending.length;
            havePending = false;
            pending = {};
            literalRun = 0;
            continue;
        }
        if (havePending) {
            writer_.putLiteral(s_.window[s_.pos - 1], ascii);
            ++s_.consumed;
            ++literalRun;
        }
        pending = found;
        havePending = true;
        ++s_.pos;
        --s_.lookahead;
    }
    if (havePending) writer_.putLiteral(s_.window[s_.pos - 1], ascii);
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

}  // namespace velumar::implode::detail
