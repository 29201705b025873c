// The classic C API (impborl.h): results, callbacks in small pieces, and work
// buffers of exactly the documented sizes at awkward alignments.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "implode/codec.h"
#include "implode/impborl.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Pipe {
    const Bytes* input = nullptr;
    size_t pos = 0;
    size_t readSize = SIZE_MAX;  // the most one read hands over
    Bytes output;
    unsigned reads = 0;
};

unsigned int IMPBORL_CALL readPipe(char* buf, unsigned int* size, void* param) {
    auto* pipe = static_cast<Pipe*>(param);
    const size_t n = std::min({size_t{*size}, pipe->input->size() - pipe->pos, pipe->readSize});
    std::memcpy(buf, pipe->input->data() + pipe->pos, n);
    pipe->pos += n;
    ++pipe->reads;
    return static_cast<unsigned int>(n);
}

void IMPBORL_CALL writePipe(char* buf, unsigned int* size, void* param) {
    auto* pipe = static_cast<Pipe*>(param);
    pipe->output.insert(pipe->output.end(), buf, buf + *size);
}

// A work buffer of exactly `size` bytes starting at an odd address, so that
// an engine that overran it or assumed alignment would be caught under the
// sanitizers.
class WorkBuffer {
  public:
    explicit WorkBuffer(size_t size) : storage_(new char[size + 1]), size_(size) {}
    char* get() { return storage_.get() + 1; }
    size_t size() const { return size_; }

  private:
    std::unique_ptr<char[]> storage_;
    size_t size_;
};

Bytes implodeC(const Bytes& input, unsigned type, unsigned dsize, unsigned* result,
               size_t readSize = SIZE_MAX) {
    Pipe pipe;
    pipe.input = &input;
    pipe.readSize = readSize;
    WorkBuffer work(IMPBORL_IMPLODE_WORK_SIZE);
    *result = impborl_implode(readPipe, writePipe, work.get(), &pipe, &type, &dsize);
    return pipe.output;
}

Bytes explodeC(const Bytes& input, unsigned* result, size_t readSize = SIZE_MAX) {
    Pipe pipe;
    pipe.input = &input;
    pipe.readSize = readSize;
    WorkBuffer work(IMPBORL_EXPLODE_WORK_SIZE);
    *result = impborl_explode(readPipe, writePipe, work.get(), &pipe);
    return pipe.output;
}

Bytes sampleText() {
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "line " + std::to_string(i % 97) + ": the quick brown fox, again and again\r\n";
    return Bytes(text.begin(), text.end());
}

TEST(ImpborlApi, RoundTripsEveryModeAndDictionary) {
    const Bytes input = sampleText();
    for (unsigned type : {0u, 1u}) {
        for (unsigned dsize : {1024u, 2048u, 4096u}) {
            unsigned result = 99;
            const Bytes packed = implodeC(input, type, dsize, &result);
            ASSERT_EQ(result, unsigned{IMPBORL_OK});
            const Bytes expected = velumar::implode::implodeBuffer(
                input, static_cast<velumar::implode::LiteralMode>(type),
                static_cast<velumar::implode::DictionarySize>(dsize));
            EXPECT_EQ(packed, expected) << "the C API and the C++ default level agree";
            EXPECT_EQ(explodeC(packed, &result), input);
            EXPECT_EQ(result, unsigned{IMPBORL_OK});
        }
    }
}

TEST(ImpborlApi, OneByteCallbacksGiveTheSameStreams) {
    const Bytes input = sampleText();
    unsigned result = 99;
    const Bytes whole = implodeC(input, IMPBORL_ASCII, 4096, &result);
    const Bytes trickled = implodeC(input, IMPBORL_ASCII, 4096, &result, 1);
    EXPECT_EQ(result, unsigned{IMPBORL_OK});
    EXPECT_EQ(trickled, whole);
    EXPECT_EQ(explodeC(whole, &result, 1), input);
    EXPECT_EQ(result, unsigned{IMPBORL_OK});
}

unsigned int IMPBORL_CALL readOverstating(char* buf, unsigned int* size, void* param) {
    auto* pipe = static_cast<Pipe*>(param);
    const size_t n = std::min(size_t{*size}, pipe->input->size() - pipe->pos);
    std::memcpy(buf, pipe->input->data() + pipe->pos, n);
    pipe->pos += n;
    return n == 0 ? 0 : *size + 1000;  // claims more than the buffer holds
}

TEST(ImpborlApi, ReadCallbackThatOverstatesIsHeldToItsBuffer) {
    const Bytes input = sampleText();
    unsigned result = 99;
    const Bytes packed = implodeC(input, IMPBORL_BINARY, 4096, &result);
    Pipe pipe;
    pipe.input = &packed;
    WorkBuffer work(IMPBORL_EXPLODE_WORK_SIZE);
    result = impborl_explode(readOverstating, writePipe, work.get(), &pipe);
    // The stream is read as if each callback had filled its whole buffer;
    // nothing outside the buffers is touched (checked under the sanitizers).
    EXPECT_TRUE(result == IMPBORL_OK || result == IMPBORL_BAD_DATA || result == IMPBORL_ABORT);
}

TEST(ImpborlApi, ImplodeRejectsBadParameters) {
    const Bytes input = sampleText();
    unsigned result = 99;
    EXPECT_TRUE(implodeC(input, 0, 3000, &result).empty());
    EXPECT_EQ(result, unsigned{IMPBORL_BAD_DICT_SIZE});
    EXPECT_TRUE(implodeC(input, 2, 4096, &result).empty());
    EXPECT_EQ(result, unsigned{IMPBORL_BAD_LITERAL_MODE});
}

TEST(ImpborlApi, ExplodeReportsEachErrorResult) {
    unsigned result = 99;
    explodeC(Bytes{0x05, 0x06, 0x01, 0xff}, &result);
    EXPECT_EQ(result, unsigned{IMPBORL_BAD_LITERAL_MODE});
    explodeC(Bytes{0x00, 0x09, 0x01, 0xff}, &result);
    EXPECT_EQ(result, unsigned{IMPBORL_BAD_DICT_SIZE});
    // A copy as the very first token reaches before the start.
    explodeC(Bytes{0x00, 0x04, 0x1f, 0x02, 0xfc, 0x03}, &result);
    EXPECT_EQ(result, unsigned{IMPBORL_BAD_DATA});
    explodeC(Bytes{0x00, 0x04, 0x82, 0x24, 0x25}, &result);
    EXPECT_EQ(result, unsigned{IMPBORL_ABORT});
    EXPECT_EQ(explodeC(Bytes{0x00, 0x04, 0x82, 0x24, 0x25, 0x8f, 0x80, 0x7f}, &result),
              Bytes(std::begin("AIAIAIAIAIAIA"), std::end("AIAIAIAIAIAIA") - 1));
    EXPECT_EQ(result, unsigned{IMPBORL_OK});
}

TEST(ImpborlApi, Crc32ContinuesFromTheOldValue) {
    char text[] = "123456789";
    unsigned int size = 9;
    unsigned long crc = 0xFFFFFFFFul;
    crc = impborl_crc32(text, &size, &crc);
    EXPECT_EQ(~crc & 0xFFFFFFFFul, 0xCBF43926ul);
    unsigned long split = 0xFFFFFFFFul;
    unsigned int first = 4, rest = 5;
    split = impborl_crc32(text, &first, &split);
    split = impborl_crc32(text + 4, &rest, &split);
    EXPECT_EQ(split, crc);
}

}  // namespace
