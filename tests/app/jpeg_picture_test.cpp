// The JPEG preview's decoder against the pixels it gave before libjpeg was cut down to what the
// preview uses: each picture's size and a digest of its rows, recorded from the decoder as the
// installer links it (in the Windows tests, libjpeg as ./dev setup cross-builds it for the
// installer). A change of libjpeg's configuration, flags or version that moves one pixel of
// one of these pictures fails here.
#include "app/jpeg_picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace velumar::app {
namespace {

std::string readCase(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file) << path;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string jpegCase(const std::string& name) {
    return readCase(VELUMAR_JPEG_CASES "/" + name);
}

// FNV-1a over the rows, printed in hexadecimal so that a failure shows the new digest.
std::string digestOf(const DecodedPicture& picture) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const unsigned char byte : picture.rgb) hash = (hash ^ byte) * 0x100000001b3u;
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

struct Decoded {
    unsigned width, height;
    const char* digest;
};

void expectPixels(const std::string& name, const std::string& bytes, Decoded expected) {
    DecodedPicture picture;
    ASSERT_TRUE(decodeJpeg(bytes, picture)) << name;
    EXPECT_EQ(picture.width, expected.width) << name;
    EXPECT_EQ(picture.height, expected.height) << name;
    EXPECT_EQ(picture.rgb.size(), std::size_t(expected.width) * expected.height * 3) << name;
    EXPECT_EQ(digestOf(picture), expected.digest) << name;
}

// Every way of coding a colour picture the preview meets, 75 x 45 (no side a whole number of
// blocks), made by tests/app/jpeg/make-jpegs; and the sample wallpaper's preview. The
// progressive and the restart-interval 4:2:0 files hold the same coefficients as the baseline
// one, so they decode to its very pixels.
TEST(JpegPicture, DecodesEveryColourCodingToTheRecordedPixels) {
    const struct {
        const char* file;
        Decoded decoded;
    } cases[] = {
        {"baseline-420.jpg", {75, 45, "6bde9351439af18a"}},
        {"baseline-422.jpg", {75, 45, "305214c22480341a"}},
        {"baseline-440.jpg", {75, 45, "b01b5a3713c7fc34"}},
        {"baseline-444.jpg", {75, 45, "26cdb51fe8187f47"}},
        {"progressive-420.jpg", {75, 45, "6bde9351439af18a"}},
        {"progressive-444.jpg", {75, 45, "b755bd65b62eaead"}},
        {"restart-420.jpg", {75, 45, "6bde9351439af18a"}},
        {"optimized-420.jpg", {75, 45, "ba5155aa6a25cbc4"}},
    };
    for (const auto& each : cases) expectPixels(each.file, jpegCase(each.file), each.decoded);
    expectPixels("preview.jpg", readCase(VELUMAR_SAMPLE_DIR "/preview.jpg"),
                 {350, 150, "14e7a588dd2f7eaa"});
}

// A file cut inside its picture data is still shown: libjpeg warns (the installer ignores
// warnings) and fills what is missing. A progressive file cut between its scans is shown with
// libjpeg's block smoothing of the coefficients it lacks.
TEST(JpegPicture, DecodesAFileCutInsideItsPictureDataToTheRecordedPixels) {
    std::string baseline = readCase(VELUMAR_SAMPLE_DIR "/preview.jpg");
    baseline.resize(baseline.size() / 2);
    expectPixels("preview.jpg cut in half", baseline, {350, 150, "b3ec6f56ddffef37"});
    std::string progressive = jpegCase("progressive-420.jpg");
    progressive.resize(progressive.size() * 3 / 5);
    expectPixels("progressive-420.jpg cut at three fifths", progressive,
                 {75, 45, "471a9e6196b64b63"});
}

// Grey is shown in grey: libjpeg gives it as RGB, three equal components.
TEST(JpegPicture, DecodesGreyToTheRecordedPixels) {
    expectPixels("grey.jpg", jpegCase("grey.jpg"), {75, 45, "aca14efbb06057cb"});
}

TEST(JpegPicture, RefusesWhatIsNotAPictureItCanShow) {
    DecodedPicture picture;
    EXPECT_FALSE(decodeJpeg("", picture));
    EXPECT_FALSE(decodeJpeg(std::string(600, '\x5A'), picture));
    EXPECT_FALSE(decodeJpeg(readCase(VELUMAR_SAMPLE_DIR "/preview.jpg").substr(0, 20), picture))
        << "ends inside its headers";
    EXPECT_FALSE(decodeJpeg(readCase(VELUMAR_SAMPLE_DIR "/preview.bmp"), picture));
    EXPECT_TRUE(picture.rgb.empty());
}

// Arithmetic coding is refused: next to no JPEG uses it (web browsers never decoded it), and its
// decoder is not linked into the installer. The package tool refuses it the same way, whichever
// libjpeg it is built with.
TEST(JpegPicture, RefusesArithmeticCoding) {
    DecodedPicture picture;
    EXPECT_FALSE(decodeJpeg(jpegCase("arithmetic-420.jpg"), picture));
    EXPECT_TRUE(picture.rgb.empty());
}

}  // namespace
}  // namespace velumar::app
