// impborl.dll as the installer sees it: loaded at run time, the three classic
// names resolved, data round-tripped through them with the C callbacks.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "implode/impborl.h"

namespace {

using Bytes = std::vector<char>;

using ImplodeFn = unsigned int(__cdecl*)(impborl_read_fn, impborl_write_fn, char*, void*,
                                         unsigned int*, unsigned int*);
using ExplodeFn = unsigned int(__cdecl*)(impborl_read_fn, impborl_write_fn, char*, void*);
using Crc32Fn = unsigned long(__cdecl*)(char*, unsigned int*, unsigned long*);

struct ModuleDeleter {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using ModulePtr = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

// GetProcAddress returns a generic function pointer; going through void (*)()
// is the conversion the compiler accepts without a function-type warning.
template <typename Fn>
Fn resolve(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

struct Pipe {
    const Bytes* input;
    size_t pos = 0;
    size_t readSize;
    Bytes output;
};

unsigned int __cdecl readPipe(char* buf, unsigned int* size, void* param) {
    auto* pipe = static_cast<Pipe*>(param);
    const size_t n = std::min({size_t{*size}, pipe->input->size() - pipe->pos, pipe->readSize});
    std::memcpy(buf, pipe->input->data() + pipe->pos, n);
    pipe->pos += n;
    return static_cast<unsigned int>(n);
}

void __cdecl writePipe(char* buf, unsigned int* size, void* param) {
    auto* pipe = static_cast<Pipe*>(param);
    pipe->output.insert(pipe->output.end(), buf, buf + *size);
}

class ImpborlDll : public ::testing::Test {
  protected:
    void SetUp() override {
        module_.reset(LoadLibraryA("impborl.dll"));
        ASSERT_TRUE(module_) << "LoadLibrary failed: " << GetLastError();
        implode_ = resolve<ImplodeFn>(module_.get(), "_implode");
        explode_ = resolve<ExplodeFn>(module_.get(), "_explode");
        crc32_ = resolve<Crc32Fn>(module_.get(), "_crc32");
        ASSERT_TRUE(implode_ && explode_ && crc32_);
    }

    Bytes implode(const Bytes& input, unsigned type, unsigned dsize, unsigned* result,
                  size_t readSize) {
        Pipe pipe{&input, 0, readSize, {}};
        std::vector<char> work(IMPBORL_IMPLODE_WORK_SIZE);
        *result = implode_(readPipe, writePipe, work.data(), &pipe, &type, &dsize);
        return pipe.output;
    }

    Bytes explode(const Bytes& input, unsigned* result, size_t readSize) {
        Pipe pipe{&input, 0, readSize, {}};
        std::vector<char> work(IMPBORL_EXPLODE_WORK_SIZE);
        *result = explode_(readPipe, writePipe, work.data(), &pipe);
        return pipe.output;
    }

    ModulePtr module_;
    ImplodeFn implode_ = nullptr;
    ExplodeFn explode_ = nullptr;
    Crc32Fn crc32_ = nullptr;
};

Bytes sampleData() {
    std::string text;
    for (int i = 0; i < 4000; ++i) text += "record " + std::to_string(i * 7919 % 1000) + ";\r\n";
    for (int i = 0; i < 20000; ++i) text.push_back(static_cast<char>((i * i) >> 3));
    return Bytes(text.begin(), text.end());
}

TEST_F(ImpborlDll, ExportsOnlyTheClassicNames) {
    EXPECT_EQ(GetProcAddress(module_.get(), "impborl_explode"), nullptr);
    EXPECT_EQ(GetProcAddress(module_.get(), "explode"), nullptr);
}

TEST_F(ImpborlDll, RoundTripsThroughTheExports) {
    const Bytes input = sampleData();
    for (unsigned type : {0u, 1u}) {
        for (unsigned dsize : {1024u, 2048u, 4096u}) {
            unsigned result = 99;
            const Bytes packed = implode(input, type, dsize, &result, 4096);
            ASSERT_EQ(result, 0u);
            ASSERT_EQ(static_cast<unsigned char>(packed[0]), type);
            EXPECT_EQ(explode(packed, &result, 2048), input);
            EXPECT_EQ(result, 0u);
            EXPECT_EQ(explode(packed, &result, 1), input);
        }
    }
}

TEST_F(ImpborlDll, ExpandsThePublishedVectorAndReportsBadData) {
    const Bytes golden = {0x00, 0x04, char(0x82), 0x24, 0x25, char(0x8f), char(0x80), 0x7f};
    unsigned result = 99;
    const Bytes out = explode(golden, &result, 2048);
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(std::string(out.begin(), out.end()), "AIAIAIAIAIAIA");
    explode(Bytes{0x00, 0x04, 0x1f, 0x02, char(0xfc), 0x03}, &result, 2048);
    EXPECT_EQ(result, 3u);
    explode(Bytes{0x00, 0x04, char(0x82)}, &result, 2048);
    EXPECT_EQ(result, 4u);
}

TEST_F(ImpborlDll, Crc32ContinuesFromTheOldValue) {
    char text[] = "123456789";
    unsigned int size = 9;
    unsigned long crc = 0xFFFFFFFFul;
    EXPECT_EQ(~crc32_(text, &size, &crc), 0xCBF43926ul);
}

}  // namespace
