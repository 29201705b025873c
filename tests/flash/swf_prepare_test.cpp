#include "flash/swf_prepare.h"

#include <gtest/gtest.h>

#include "flash/ZLibEx.h"
#include "flash/flash_texts.h"
#include "flash/movie_reading.h"
#include "swf_builder.h"

namespace velumar::flash {
namespace {

using namespace testing;
using Bytes = std::vector<std::uint8_t>;

// The failure kind a call raises, or none.
template <typename Call>
MovieFailure failureOf(Call call) {
    try {
        call();
    } catch (const MovieError& error) {
        return error.failure();
    }
    return {};
}

// Counts the reads it passes on, to tell a check made at once from a long run of reads.
class CountingStream final : public Stream {
  public:
    explicit CountingStream(Bytes bytes) : inner_(std::move(bytes)) {}
    std::size_t read(void* buffer, std::size_t count) override {
        ++reads;
        return inner_.read(buffer, count);
    }
    std::size_t write(const void* buffer, std::size_t count) override {
        return inner_.write(buffer, count);
    }
    std::int64_t seek(std::int64_t offset, SeekOrigin origin) override {
        return inner_.seek(offset, origin);
    }
    int reads = 0;

  private:
    MemoryStream inner_;
};

std::int32_t inspect(const Bytes& movie, MovieColour& colour) {
    MemoryStream stream(movie);
    return inspectMovieStream(stream, colour);
}

struct Expansion {
    Bytes segment;
    Bytes copy;
};

// The steps of the panel's expansion over memory: header, segment, inflate, copy.
void expandInto(const Bytes& movie, MemoryStream& segment, MemoryStream& copy,
                const KeepAlive& keepAlive = {}) {
    MemoryStream source(movie);
    std::array<std::uint8_t, kSwfHeaderSize> header{};
    readMovieHeader(source, header);
    copyCompressedSegment(source, segment, keepAlive);
    segment.seek(0, SeekOrigin::beginning);
    TZDecompressionStream inflated(segment);
    writeUncompressedCopy(inflated, copy, header, keepAlive);
}

Expansion expand(const Bytes& movie) {
    MemoryStream segment, copy;
    expandInto(movie, segment, copy);
    return {segment.bytes(), copy.bytes()};
}

TEST(ClassifyMovie, AcceptsBothSignaturesCaseSensitively) {
    std::string signature;
    MemoryStream plain(fws(movieBody(backgroundTag(1, 2, 3))));
    EXPECT_EQ(classifyMovieStream(plain, signature), 0);
    EXPECT_EQ(signature, "FWS");
    MemoryStream compressed(cws(movieBody(backgroundTag(1, 2, 3))));
    EXPECT_EQ(classifyMovieStream(compressed, signature), 0);
    EXPECT_EQ(signature, "CWS");
    MemoryStream lower(Bytes{'c', 'w', 's', 6});
    EXPECT_EQ(classifyMovieStream(lower, signature), kMovieSignatureRejected);
    MemoryStream tiny(Bytes{'F', 'W'});
    EXPECT_EQ(failureOf([&] { classifyMovieStream(tiny, signature); }).kind,
              MovieFailureKind::readError);
}

TEST(InspectMovieHeader, VersionsAndSignature) {
    const Bytes body = movieBody(backgroundTag(1, 2, 3));
    MovieColour colour;
    EXPECT_EQ(inspect(fws(body, 2), colour), kMovieVersionTooOld);
    EXPECT_EQ(inspect(fws(body, 3), colour), 0);
    EXPECT_EQ(inspect(fws(body, 6), colour), 0);
    EXPECT_EQ(inspect(fws(body, 7), colour), kMovieVersionTooNew);
    Bytes lower = fws(body);
    lower[0] = 'f', lower[1] = 'w', lower[2] = 's';
    EXPECT_EQ(inspect(lower, colour), kMovieSignatureRejected);
    // The inspection wants the uncompressed form: a "CWS" file itself is refused.
    EXPECT_EQ(inspect(cws(body), colour), kMovieSignatureRejected);
    // A rejected movie leaves the components at their reset value.
    EXPECT_EQ(colour.colorRef(), 0xFFFFFFu);
}

TEST(InspectMovieHeader, RectangleSizesFollowNbits) {
    EXPECT_EQ(frameRectangleSize(0x78), 9u);  // Nbits 15
    EXPECT_EQ(frameRectangleSize(0x00), 1u);  // Nbits 0
    EXPECT_EQ(frameRectangleSize(0x50), 6u);  // Nbits 10: 45 bits
    for (const std::uint8_t first : {0x00, 0x50, 0x78, 0xF8}) {
        MovieColour colour;
        EXPECT_EQ(inspect(fws(movieBody(backgroundTag(0x33, 0x66, 0x99), first)), colour), 0)
            << int(first);
        EXPECT_EQ(colour.colorRef(), 0x996633u) << int(first);
    }
}

TEST(InspectMovieHeader, WalksShortLongAndEmptyTagsToTheColour) {
    Bytes tags = tag(1, {});                               // empty body: nothing skipped
    append(tags, tag(2, Bytes(5, 9)));                     // short body of 9s
    append(tags, tag(39, Bytes(300, 9), true));            // long form, 300 bytes
    append(tags, tag(40, Bytes(2, 9), true));              // long form of a small body
    append(tags, tag(9, {0x33, 0x66, 0x99, 0x00}, true));  // the colour tag in the long form
    MovieColour colour;
    EXPECT_EQ(inspect(fws(movieBody(tags)), colour), 0);
    EXPECT_EQ(colour.red, 0x33);
    EXPECT_EQ(colour.green, 0x66);
    EXPECT_EQ(colour.blue, 0x99);
    EXPECT_EQ(colour.colorRef(), 0x996633u);
}

TEST(InspectMovieHeader, ReadErrorsAtTheEnd) {
    MovieColour colour;
    const auto kindOf = [&](const Bytes& movie) {
        return failureOf([&] { inspect(movie, colour); }).kind;
    };
    // Ends with the end tag and no colour.
    Bytes noColour = tag(1, {});
    append(noColour, tag(0, {}));
    EXPECT_EQ(kindOf(fws(movieBody(noColour))), MovieFailureKind::readError);
    // Ends inside the colour's body, inside the rectangle, and a colour with two bytes.
    Bytes cut = fws(movieBody(backgroundTag(1, 2, 3)));
    cut.pop_back();
    EXPECT_EQ(kindOf(cut), MovieFailureKind::readError);
    EXPECT_EQ(kindOf(Bytes(cut.begin(), cut.begin() + 12)), MovieFailureKind::readError);
    EXPECT_EQ(kindOf(fws(movieBody(tag(9, {1, 2})))), MovieFailureKind::readError);
}

// The colour tag's whole body is read, not only the three colour bytes: a file that ends inside
// a longer body is cut, in the short form and in the long one.
TEST(InspectMovieHeader, ColourTagCutInsideALongerBodyIsAReadError) {
    MovieColour colour;
    for (const bool longForm : {false, true}) {
        SCOPED_TRACE(longForm);
        Bytes whole = fws(movieBody(tag(9, {0x33, 0x66, 0x99, 7, 7, 7, 7, 7}, longForm)));
        EXPECT_EQ(inspect(whole, colour), 0);
        EXPECT_EQ(colour.colorRef(), 0x996633u);
        Bytes cut = whole;
        cut.resize(cut.size() - 2);
        EXPECT_EQ(failureOf([&] { inspect(cut, colour); }).kind, MovieFailureKind::readError);
    }
}

TEST(InspectMovieHeader, LongLengthPastTheEndFailsAtOnce) {
    Bytes tags = tag(2, {}, true);
    tags[2] = tags[3] = tags[4] = tags[5] = 0xFF;  // 4 GiB body in a file of a few bytes
    append(tags, backgroundTag(1, 2, 3));
    CountingStream movie(fws(movieBody(tags)));
    MovieColour colour;
    EXPECT_EQ(failureOf([&] { inspectMovieStream(movie, colour); }).kind,
              MovieFailureKind::readError);
    EXPECT_LT(movie.reads, 20);
}

TEST(ExpandCompressedMovie, CopyAndSegmentBytes) {
    const Bytes body = movieBody(backgroundTag(0x38, 0xAD, 0xA9));
    const Bytes movie = cws(body, 6);
    const Expansion result = expand(movie);
    EXPECT_EQ(result.segment, Bytes(movie.begin() + 8, movie.end()));
    Bytes expected = {'F', 'W', 'S', 6, movie[4], movie[5], movie[6], movie[7]};
    append(expected, body);
    EXPECT_EQ(result.copy, expected);
    MovieColour colour;
    EXPECT_EQ(inspect(result.copy, colour), 0);
    EXPECT_EQ(colour.colorRef(), 0xA9AD38u);
}

TEST(ExpandCompressedMovie, VersionSevenIsRefusedOnTheCopy) {
    const Expansion result = expand(cws(movieBody(backgroundTag(1, 2, 3)), 7));
    MovieColour colour;
    EXPECT_EQ(inspect(result.copy, colour), kMovieVersionTooNew);
}

TEST(ExpandCompressedMovie, CopyEndsWithTheZlibStream) {
    const Bytes body = movieBody(backgroundTag(1, 2, 3));
    Bytes movie = cws(body);
    const std::size_t streamEnd = movie.size();
    append(movie, Bytes(100, 0xEE));
    MemoryStream segment, copy;
    expandInto(movie, segment, copy);
    EXPECT_EQ(segment.bytes().size(), movie.size() - 8);
    EXPECT_EQ(copy.bytes().size(), 8 + body.size());
    // The segment stands just after the compressed data.
    EXPECT_EQ(segment.position(), static_cast<std::int64_t>(streamEnd - 8));
}

TEST(ExpandCompressedMovie, PresetDictionaryEndsTheRead) {
    const Bytes body = movieBody(backgroundTag(1, 2, 3));
    z_stream z{};
    deflateInit(&z, 9);
    const Bytes dictionary(32, 'd');
    deflateSetDictionary(&z, dictionary.data(), static_cast<uInt>(dictionary.size()));
    Bytes compressed(256);
    z.next_in = const_cast<Bytef*>(body.data());
    z.avail_in = static_cast<uInt>(body.size());
    z.next_out = compressed.data();
    z.avail_out = static_cast<uInt>(compressed.size());
    deflate(&z, Z_FINISH);
    compressed.resize(z.total_out);
    deflateEnd(&z);
    Bytes movie = header("CWS", 6, static_cast<std::uint32_t>(8 + body.size()));
    append(movie, compressed);
    const MovieFailure failure = failureOf([&] { expand(movie); });
    EXPECT_EQ(failure.kind, MovieFailureKind::zlibError);
    EXPECT_EQ(failure.message, texts::kZlibNeedDictionary);
}

TEST(ExpandCompressedMovie, BombStopsNearTheDeclaredLength) {
    Bytes movie = header("CWS", 6, 100);
    append(movie, deflate(Bytes(16 * 1024 * 1024, 0)));
    MemoryStream segment, copy;
    const MovieFailure failure = failureOf([&] { expandInto(movie, segment, copy); });
    EXPECT_EQ(failure.kind, MovieFailureKind::zlibError);
    EXPECT_EQ(failure.message, texts::kMovieLongerThanDeclared);
    EXPECT_LE(copy.bytes().size(), 100 + kInflatedLengthMargin);
}

// A movie may declare any length up to 4 GiB: the copy still stops at 16 MiB, and the caller
// hears from the expansion after every block on the way.
TEST(ExpandCompressedMovie, CopyNeverGrowsPastSixteenMebibytes) {
    EXPECT_EQ(inflatedCopyLimit(100), 100 + kInflatedLengthMargin);
    EXPECT_EQ(inflatedCopyLimit(0xFFFFFFFF), kInflatedCopyCeiling);
    EXPECT_EQ(inflatedCopyLimit(16 * 1024 * 1024 - kInflatedLengthMargin), kInflatedCopyCeiling);
    EXPECT_EQ(kInflatedCopyCeiling, 16u * 1024 * 1024);

    Bytes movie = header("CWS", 6, 0xFFFFFFFF);
    append(movie, deflate(Bytes(20 * 1024 * 1024, 0)));
    MemoryStream segment, copy;
    int calls = 0;
    const MovieFailure failure =
        failureOf([&] { expandInto(movie, segment, copy, [&] { ++calls; }); });
    EXPECT_EQ(failure.kind, MovieFailureKind::zlibError);
    EXPECT_EQ(failure.message, texts::kMovieTooLarge);
    EXPECT_LE(copy.bytes().size(), kInflatedCopyCeiling);
    EXPECT_GT(copy.bytes().size(), kInflatedCopyCeiling - 4096);
    EXPECT_GE(calls, static_cast<int>(kInflatedCopyCeiling / 2048) - 2) << "one call per block";

    // A movie of exactly the ceiling is copied whole.
    Bytes fits = header("CWS", 6, 0xFFFFFFFF);
    append(fits, deflate(Bytes(kInflatedCopyCeiling - 8, 0)));
    EXPECT_EQ(expand(fits).copy.size(), kInflatedCopyCeiling);
}

TEST(ExpandCompressedMovie, ShortFileFailsBeforeTheSegment) {
    MemoryStream segment, copy;
    EXPECT_EQ(failureOf([&] {
                  expandInto(Bytes{'C', 'W', 'S', 6}, segment, copy);
              }).kind,
              MovieFailureKind::readError);
    EXPECT_TRUE(segment.bytes().empty());
    EXPECT_TRUE(copy.bytes().empty());
}

TEST(SampleMovies, ColoursOfBothSampleMovies) {
    MovieColour colour;
    EXPECT_EQ(inspect(readFile(FLASH_SAMPLE_CONTENT "/aurora.swf"), colour), 0);
    EXPECT_EQ(colour.colorRef(), 0x623D0Au);
    const Expansion result = expand(readFile(FLASH_SAMPLE_CONTENT "/media/aurora-cws.swf"));
    EXPECT_EQ(inspect(result.copy, colour), 0);
    EXPECT_EQ(colour.colorRef(), 0xA9AD38u);
}

TEST(ReadMovie, WholeMoviesInMemoryReadLikeThePanelReadsFiles) {
    const MovieReading plain = readMovie(readFile(FLASH_SAMPLE_CONTENT "/aurora.swf"));
    EXPECT_TRUE(plain.readable());
    EXPECT_FALSE(plain.compressed);
    EXPECT_EQ(plain.version, 6);
    EXPECT_EQ(plain.colour.colorRef(), 0x623D0Au);

    Bytes compressedBytes = readFile(FLASH_SAMPLE_CONTENT "/media/aurora-cws.swf");
    const MovieReading compressed = readMovie(compressedBytes);
    EXPECT_TRUE(compressed.readable());
    EXPECT_TRUE(compressed.compressed);
    EXPECT_EQ(compressed.colour.colorRef(), 0xA9AD38u);

    Bytes newer = readFile(FLASH_SAMPLE_CONTENT "/aurora.swf");
    newer[3] = 7;
    const MovieReading tooNew = readMovie(newer);
    EXPECT_EQ(tooNew.status, kMovieVersionTooNew);
    EXPECT_EQ(tooNew.version, 7);

    for (size_t i = 10; i < compressedBytes.size(); ++i) compressedBytes[i] ^= 0x5A;
    const MovieReading damaged = readMovie(compressedBytes);
    EXPECT_EQ(damaged.failure.kind, MovieFailureKind::zlibError);
    EXPECT_FALSE(damaged.readable());

    EXPECT_EQ(readMovie(Bytes{'G', 'I', 'F', '8'}).status, kMovieSignatureRejected);
    EXPECT_EQ(readMovie(Bytes{'F', 'W'}).failure.kind, MovieFailureKind::readError);
}

}  // namespace
}  // namespace velumar::flash
