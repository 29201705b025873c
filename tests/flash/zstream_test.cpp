#include "flash/ZLibEx.h"

#include <gtest/gtest.h>

#include <random>

#include "flash/flash_texts.h"
#include "swf_builder.h"

namespace velumar::flash {
namespace {

using testing::Bytes;

Bytes randomBytes(std::size_t count) {
    std::mt19937 generator(10);
    Bytes out(count);
    for (auto& byte : out) byte = static_cast<std::uint8_t>(generator());
    return out;
}

std::string messageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const EZDecompressionError& error) {
        return error.failure().message;
    }
    return {};
}

Bytes readAll(Stream& stream, std::size_t piece) {
    Bytes out, buffer(piece);
    while (std::size_t got = stream.read(buffer.data(), piece))
        out.insert(out.end(), buffer.begin(), buffer.begin() + got);
    return out;
}

TEST(ZDecompressionStream, InflatesAcrossRefillsInAnyPieceSize) {
    // Incompressible, so the compressed form spans several 64 KiB refills.
    const Bytes plain = randomBytes(200000);
    for (const std::size_t piece : {1u, 777u, 2048u, 1u << 20}) {
        MemoryStream source(testing::deflate(plain));
        TZDecompressionStream stream(source);
        EXPECT_EQ(readAll(stream, piece), plain) << piece;
    }
}

TEST(ZDecompressionStream, SeekForms) {
    const Bytes plain = randomBytes(30000);
    MemoryStream source(testing::deflate(plain));
    TZDecompressionStream stream(source);
    EXPECT_EQ(stream.seek(0, SeekOrigin::current), 0);
    EXPECT_EQ(stream.seek(100, SeekOrigin::current), 100);
    EXPECT_EQ(stream.seek(1000, SeekOrigin::beginning), 1000);
    std::uint8_t byte = 0;
    stream.readBuffer(&byte, 1);
    EXPECT_EQ(byte, plain[1000]);
    EXPECT_EQ(stream.seek(0, SeekOrigin::end), 30000);
    EXPECT_EQ(stream.seek(0, SeekOrigin::beginning), 0);
    stream.readBuffer(&byte, 1);
    EXPECT_EQ(byte, plain[0]);
    EXPECT_EQ(messageOf([&] { stream.seek(-1, SeekOrigin::current); }),
              texts::kInvalidZStreamOperation);
    EXPECT_EQ(messageOf([&] { stream.seek(1, SeekOrigin::beginning); }),
              texts::kInvalidZStreamOperation);
    EXPECT_EQ(messageOf([&] { stream.seek(5, SeekOrigin::end); }), texts::kInvalidZStreamOperation);
    EXPECT_EQ(messageOf([&] { stream.write(&byte, 1); }), texts::kInvalidZStreamOperation);
    // Past the end of the data: a read error, not a zlib one.
    try {
        stream.seek(40000, SeekOrigin::beginning);
        ADD_FAILURE() << "no read error";
    } catch (const MovieError& error) {
        EXPECT_EQ(error.failure().kind, MovieFailureKind::readError);
    }
}

TEST(ZDecompressionStream, DamagedAndShortSources) {
    const Bytes plain = randomBytes(5000);
    Bytes damaged = testing::deflate(plain);
    damaged[0] = 0x77;  // not a zlib header
    MemoryStream bad(damaged);
    TZDecompressionStream badStream(bad);
    Bytes buffer(100);
    EXPECT_EQ(messageOf([&] { badStream.read(buffer.data(), buffer.size()); }),
              texts::kZlibDataError);

    // A source that ends before the zlib stream ends the data early, without an error.
    Bytes cut = testing::deflate(plain);
    cut.resize(cut.size() / 2);
    MemoryStream shortSource(cut);
    TZDecompressionStream shortStream(shortSource);
    const Bytes got = readAll(shortStream, 4096);
    EXPECT_LT(got.size(), plain.size());
    EXPECT_TRUE(std::equal(got.begin(), got.end(), plain.begin()));
    // Read a byte at a time, the same source gives the output inflate held back too.
    MemoryStream again(cut);
    TZDecompressionStream byteStream(again);
    EXPECT_EQ(readAll(byteStream, 1), got);
}

TEST(ZDecompressionStream, FollowsTheSourceBackAfterOthersMovedIt) {
    const Bytes plain = randomBytes(100000);
    Bytes compressed = testing::deflate(plain);
    MemoryStream source(compressed);
    TZDecompressionStream stream(source);
    Bytes first(50000);
    stream.readBuffer(first.data(), first.size());
    source.seek(0, SeekOrigin::beginning);  // someone else moved the source
    Bytes rest = readAll(stream, 3000);
    first.insert(first.end(), rest.begin(), rest.end());
    EXPECT_EQ(first, plain);
}

TEST(ZlibErrorMessages, Table) {
    EXPECT_EQ(zlibErrorMessage(Z_ERRNO), "file error");
    EXPECT_EQ(zlibErrorMessage(Z_STREAM_ERROR), "stream error");
    EXPECT_EQ(zlibErrorMessage(Z_DATA_ERROR), "data error");
    EXPECT_EQ(zlibErrorMessage(Z_MEM_ERROR), "insufficient memory");
    EXPECT_EQ(zlibErrorMessage(Z_BUF_ERROR), "buffer error");
    EXPECT_EQ(zlibErrorMessage(Z_VERSION_ERROR), "incompatible version");
}

}  // namespace
}  // namespace velumar::flash
