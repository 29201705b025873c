// The codec through its C++ interface: golden vectors, the format's edge
// facts, one malformed stream per error, round trips over every literal mode,
// dictionary size and level, and streaming in tiny pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "implode/codec.h"
#include "implode/format.h"

namespace velumar::implode {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// The corpus lives beside the repository (shared/corpus); a missing file fails the test with
// the folder it was looked for in, rather than passing over an empty input.
Bytes readCorpus(const std::string& name, size_t limit = SIZE_MAX) {
    const std::string path = std::string(VELUMAR_CORPUS_DIR) + "/implode/" + name;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        ADD_FAILURE() << "test corpus file " << name << " not found: looked for " << path
                      << " (the corpus folder is " << VELUMAR_CORPUS_DIR << ")";
        return {};
    }
    Bytes all{std::istreambuf_iterator<char>(file), {}};
    if (all.size() > limit) all.resize(limit);
    return all;
}

Bytes randomBytes(size_t n, uint32_t seed) {
    std::mt19937 gen(seed);
    Bytes out(n);
    for (auto& b : out) b = static_cast<uint8_t>(gen());
    return out;
}

// Writes tokens LSB first, to build streams the compressor would never make.
class StreamBuilder {
  public:
    StreamBuilder(uint8_t mode, uint8_t dictCode) : bytes_{mode, dictCode} {}

    StreamBuilder& bits(uint32_t value, unsigned count) {
        for (unsigned i = 0; i < count; ++i) {
            if (bit_ == 0) bytes_.push_back(0);
            bytes_.back() |= static_cast<uint8_t>(((value >> i) & 1) << bit_);
            bit_ = (bit_ + 1) & 7;
        }
        return *this;
    }
    StreamBuilder& literal(uint8_t byte) { return bits(0, 1).bits(byte, 8); }
    StreamBuilder& length(unsigned len) {
        const unsigned sym = format::lengthSymbol(len);
        bits(1, 1);
        bits(format::kLengthCodes[sym].bits, format::kLengthCodes[sym].length);
        return bits(len - format::kLengthBase[sym], format::kLengthExtraBits[sym]);
    }
    StreamBuilder& match(unsigned len, unsigned distance, unsigned dictBits) {
        length(len);
        const unsigned low = len == 2 ? 2 : dictBits;
        const auto code = format::kDistanceCodes[(distance - 1) >> low];
        bits(code.bits, code.length);
        return bits((distance - 1) & ((1u << low) - 1), low);
    }
    StreamBuilder& end() { return length(format::kEndOfStreamLength); }
    Bytes done() const { return bytes_; }

  private:
    Bytes bytes_;
    unsigned bit_ = 0;
};

TEST(ExplodeGolden, PublishedVectorExpandsToAiaia) {
    const Bytes golden = {0x00, 0x04, 0x82, 0x24, 0x25, 0x8f, 0x80, 0x7f};
    const ExplodeResult out = explodeBuffer(golden);
    EXPECT_EQ(out.result, Result::Ok);
    EXPECT_EQ(out.data, bytesOf("AIAIAIAIAIAIA"));
}

TEST(ExplodeGolden, CorpusGoldenFileMatchesItsText) {
    const Bytes packed = readCorpus("golden-aiaia.pk");
    ASSERT_EQ(packed.size(), 8u);
    const ExplodeResult out = explodeBuffer(packed);
    EXPECT_EQ(out.result, Result::Ok);
    EXPECT_EQ(out.data, readCorpus("golden-aiaia.txt"));
}

TEST(ExplodeFormat, SmallestStreamIsValidEmptyInput) {
    const ExplodeResult out = explodeBuffer(Bytes{0x00, 0x06, 0x01, 0xff});
    EXPECT_EQ(out.result, Result::Ok);
    EXPECT_TRUE(out.data.empty());
}

TEST(ExplodeFormat, BytesAfterEndOfStreamAreIgnored) {
    Bytes golden = {0x00, 0x04, 0x82, 0x24, 0x25, 0x8f, 0x80, 0x7f, 0xde, 0xad, 0xbe, 0xef};
    const ExplodeResult out = explodeBuffer(golden);
    EXPECT_EQ(out.result, Result::Ok);
    EXPECT_EQ(out.data, bytesOf("AIAIAIAIAIAIA"));
}

TEST(ExplodeFormat, LongestCopyAndFarthestDistancesDecode) {
    // 518-byte copy; a length-2 copy from exactly 256 back; a copy from
    // exactly the dictionary size back; a copy reaching exactly the start.
    StreamBuilder s(0, 6);
    Bytes expected;
    for (int i = 0; i < 300; ++i) {
        s.literal(static_cast<uint8_t>(i * 7));
        expected.push_back(static_cast<uint8_t>(i * 7));
    }
    s.match(300, 300, 6);  // reaches the first byte
    expected.insert(expected.end(), expected.begin(), expected.begin() + 300);
    s.match(2, 256, 6);
    expected.push_back(expected[expected.size() - 256]);
    expected.push_back(expected[expected.size() - 256]);
    while (expected.size() < 4096) {
        s.match(518, 1, 6);
        for (int i = 0; i < 518; ++i) expected.push_back(expected.back());
    }
    s.match(3, 4096, 6);
    for (int i = 0; i < 3; ++i) expected.push_back(expected[expected.size() - 4096]);
    const ExplodeResult out = explodeBuffer(s.end().done());
    EXPECT_EQ(out.result, Result::Ok);
    EXPECT_EQ(out.data, expected);
}

TEST(ExplodeErrors, BadLiteralModeInHeader) {
    EXPECT_EQ(explodeBuffer(Bytes{0x02, 0x06, 0x01, 0xff}).result, Result::BadLiteralMode);
}

TEST(ExplodeErrors, BadDictionarySizeInHeader) {
    EXPECT_EQ(explodeBuffer(Bytes{0x00, 0x07, 0x01, 0xff}).result, Result::BadDictionarySize);
    EXPECT_EQ(explodeBuffer(Bytes{0x00, 0x03, 0x01, 0xff}).result, Result::BadDictionarySize);
}

TEST(ExplodeErrors, DistanceBeforeTheStartIsBadData) {
    const Bytes first = StreamBuilder(0, 4).match(3, 1, 4).end().done();
    EXPECT_EQ(explodeBuffer(first).result, Result::BadData);
    // One byte too far, after real output; what came before is kept.
    const Bytes later = StreamBuilder(0, 4).literal('x').literal('y').match(4, 3, 4).end().done();
    const ExplodeResult out = explodeBuffer(later);
    EXPECT_EQ(out.result, Result::BadData);
    EXPECT_EQ(out.data, bytesOf("xy"));
}

TEST(ExplodeErrors, TruncatedStreamAborts) {
    const Bytes golden = {0x00, 0x04, 0x82, 0x24, 0x25, 0x8f, 0x80, 0x7f};
    for (size_t cut = 0; cut < golden.size(); ++cut) {
        const ExplodeResult out = explodeBuffer(std::span(golden).first(cut));
        EXPECT_EQ(out.result, Result::Aborted) << "cut at " << cut;
    }
}

TEST(ExplodeErrors, OutputPastTheSizeLimitIsBadData) {
    const Bytes input = randomBytes(10000, 3);
    const Bytes packed = implodeBuffer(input, LiteralMode::Binary, DictionarySize::Bytes4096);
    const ExplodeResult out = explodeBuffer(packed, 9999);
    EXPECT_EQ(out.result, Result::BadData);
    EXPECT_EQ(out.data, Bytes(input.begin(), input.end() - 1));
    EXPECT_EQ(explodeBuffer(packed, 10000).result, Result::Ok);
}

TEST(ExplodeErrors, GarbageNeverEscapesTheDocumentedResults) {
    std::mt19937 gen(11);
    for (int round = 0; round < 2000; ++round) {
        Bytes junk = randomBytes(1 + gen() % 200, static_cast<uint32_t>(round));
        junk[0] = static_cast<uint8_t>(gen() % 2);
        if (junk.size() > 1) junk[1] = static_cast<uint8_t>(4 + gen() % 3);
        const Result r = explodeBuffer(junk).result;
        EXPECT_TRUE(r == Result::Ok || r == Result::BadData || r == Result::Aborted);
    }
}

struct Setting {
    LiteralMode mode;
    DictionarySize dict;
    Level level;
};

std::vector<Setting> allSettings() {
    std::vector<Setting> out;
    for (LiteralMode mode : {LiteralMode::Binary, LiteralMode::Ascii})
        for (DictionarySize dict :
             {DictionarySize::Bytes1024, DictionarySize::Bytes2048, DictionarySize::Bytes4096})
            for (Level level : {Level::Default, Level::Best}) out.push_back({mode, dict, level});
    return out;
}

std::vector<std::pair<std::string, Bytes>> roundTripInputs() {
    Bytes runs(70000, 'a');
    std::fill(runs.begin() + 30000, runs.end(), 0);
    Bytes periodic;
    for (int i = 0; i < 20000; ++i) periodic.push_back(static_cast<uint8_t>("abcab"[i % 5]));
    return {{"empty", {}},
            {"one byte", {0x5a}},
            {"two bytes", {0x00, 0xff}},
            {"long runs", runs},
            {"short periods", periodic},
            {"text", readCorpus("text8m.txt", 150000)},
            {"html", readCorpus("html1m.html", 100000)},
            {"binary", readCorpus("cmake8m.bin", 150000)},
            {"random", randomBytes(100000, 7)},
            {"all byte values", [] {
                 Bytes b(256 * 3);
                 for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 13);
                 return b;
             }()}};
}

TEST(RoundTrip, EveryModeDictionaryAndLevel) {
    const auto inputs = roundTripInputs();
    for (const Setting& s : allSettings()) {
        for (const auto& [name, input] : inputs) {
            const Bytes packed = implodeBuffer(input, s.mode, s.dict, s.level);
            ASSERT_GE(packed.size(), 4u);
            EXPECT_EQ(packed[0], static_cast<uint8_t>(s.mode));
            EXPECT_EQ(1u << (packed[1] + 6), static_cast<unsigned>(s.dict));
            const ExplodeResult out = explodeBuffer(packed, input.size());
            EXPECT_EQ(out.result, Result::Ok) << name;
            EXPECT_TRUE(out.data == input) << name << " mode " << int(s.mode) << " dict "
                                           << unsigned(s.dict) << " level " << int(s.level);
        }
    }
}

TEST(RoundTrip, EmptyInputGivesTheSmallestStream) {
    EXPECT_EQ(implodeBuffer({}, LiteralMode::Binary, DictionarySize::Bytes4096),
              (Bytes{0x00, 0x06, 0x01, 0xff}));
}

TEST(RoundTrip, BestIsNeverLargerThanDefault) {
    for (const auto& name : {"text8m.txt", "html1m.html", "cmake8m.bin"}) {
        const Bytes input = readCorpus(name, 200000);
        for (LiteralMode mode : {LiteralMode::Binary, LiteralMode::Ascii}) {
            const size_t normal = implodeBuffer(input, mode, DictionarySize::Bytes4096).size();
            const size_t best =
                implodeBuffer(input, mode, DictionarySize::Bytes4096, Level::Best).size();
            EXPECT_LE(best, normal) << name;
        }
    }
}

TEST(RoundTrip, AsciiModeShrinksText) {
    const Bytes text = readCorpus("text8m.txt", 200000);
    EXPECT_LT(implodeBuffer(text, LiteralMode::Ascii, DictionarySize::Bytes4096).size(),
              implodeBuffer(text, LiteralMode::Binary, DictionarySize::Bytes4096).size());
}

// Streams in pieces of a chosen size.
class ChunkSource final : public ByteSource {
  public:
    ChunkSource(std::span<const uint8_t> bytes, size_t chunk) : bytes_(bytes), chunk_(chunk) {}
    size_t read(std::span<uint8_t> buf) override {
        const size_t n = std::min({buf.size(), bytes_.size(), chunk_});
        std::copy_n(bytes_.begin(), n, buf.begin());
        bytes_ = bytes_.subspan(n);
        return n;
    }

  private:
    std::span<const uint8_t> bytes_;
    size_t chunk_;
};

class CollectingSink final : public ByteSink {
  public:
    bool write(std::span<const uint8_t> bytes) override {
        if (bytes.size() > largestWrite) largestWrite = bytes.size();
        data.insert(data.end(), bytes.begin(), bytes.end());
        return writesLeft-- > 0;
    }
    Bytes data;
    size_t largestWrite = 0;
    long writesLeft = 1L << 40;
};

TEST(Streaming, OneByteReadsGiveTheWholeBufferResults) {
    const Bytes input = readCorpus("text8m.txt", 40000);
    for (Level level : {Level::Default, Level::Best}) {
        const Bytes whole =
            implodeBuffer(input, LiteralMode::Ascii, DictionarySize::Bytes2048, level);
        ChunkSource source(input, 1);
        CollectingSink sink;
        EXPECT_EQ(implodeStream(source, sink, LiteralMode::Ascii, DictionarySize::Bytes2048, level),
                  Result::Ok);
        EXPECT_EQ(sink.data, whole);

        ChunkSource packed(whole, 1);
        CollectingSink expanded;
        EXPECT_EQ(explodeStream(packed, expanded), Result::Ok);
        EXPECT_EQ(expanded.data, input);
    }
}

TEST(Streaming, OddReadSizesExpandTheSame) {
    const Bytes input = readCorpus("cmake8m.bin", 60000);
    const Bytes packed = implodeBuffer(input, LiteralMode::Binary, DictionarySize::Bytes4096);
    for (size_t chunk : {2u, 3u, 7u, 9u, 1000u, 4097u}) {
        ChunkSource source(packed, chunk);
        CollectingSink sink;
        EXPECT_EQ(explodeStream(source, sink), Result::Ok);
        EXPECT_EQ(sink.data, input) << chunk;
    }
}

TEST(Streaming, SinkThatRefusesStopsWithAborted) {
    const Bytes input = randomBytes(50000, 5);
    ChunkSource source(input, 4096);
    CollectingSink sink;
    sink.writesLeft = 0;
    EXPECT_EQ(implodeStream(source, sink, LiteralMode::Binary, DictionarySize::Bytes4096),
              Result::Aborted);

    const Bytes packed = implodeBuffer(input, LiteralMode::Binary, DictionarySize::Bytes4096);
    ChunkSource packedSource(packed, 4096);
    CollectingSink refusing;
    refusing.writesLeft = 1;
    EXPECT_EQ(explodeStream(packedSource, refusing), Result::Aborted);
    EXPECT_LT(refusing.data.size(), input.size());
}

TEST(Crc32, MatchesTheStandardCheckValue) {
    const Bytes check = bytesOf("123456789");
    EXPECT_EQ(~crc32Update(0xFFFFFFFFu, check), 0xCBF43926u);
    // Continuing over pieces gives the same value as one pass.
    const Bytes text = readCorpus("text8m.txt", 10007);
    uint32_t pieces = 0xFFFFFFFFu;
    for (size_t at = 0; at < text.size(); at += 333)
        pieces = crc32Update(pieces,
                             std::span(text).subspan(at, std::min<size_t>(333, text.size() - at)));
    EXPECT_EQ(pieces, crc32Update(0xFFFFFFFFu, text));
}

}  // namespace
}  // namespace velumar::implode
