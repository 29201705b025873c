// implode_best.cpp -- the optimal-parse compressor (Level::Best). It keeps
// its own bounded working memory, so it stays out of impborl.dll, whose
// compressor must run inside the caller's work buffer.
//
// With fixed codes the cost of a copy depends only on its length and
// distance, and for a given length the nearest distance is never dearer. So
// a shortest-path search over the positions of a block, with each length
// priced at the nearest distance the match finder saw for it, yields the
// smallest stream for those copies. Copies are cut at block ends (64 KiB).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "implode/implode.h"
#include "implode/implode_common.h"

namespace velumar::implode::detail {
namespace {

constexpr size_t kHistory = kMaxDictionaryBytes;

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
        // Without more input to come, the block may end at the input's end;
        // otherwise copies starting in it need their full length of input.
        const size_t end = std::min(cur + kBlock, inputEnded_ ? avail_ : avail_ - kMaxMatch);
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
