// impborl.cpp -- the classic three-function C API over the engines.
#include "implode/impborl.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "implode/codec.h"
#include "implode/explode.h"
#include "implode/implode.h"

namespace {

using velumar::implode::DictionarySize;
using velumar::implode::LiteralMode;
using velumar::implode::detail::StreamIo;

struct Callbacks {
    impborl_read_fn read;
    impborl_write_fn write;
    void* param;
};

size_t readThroughCallback(void* context, uint8_t* buf, size_t size) {
    auto* cb = static_cast<Callbacks*>(context);
    unsigned int wanted = static_cast<unsigned int>(std::min<size_t>(size, UINT_MAX));
    return cb->read(reinterpret_cast<char*>(buf), &wanted, cb->param);
}

bool writeThroughCallback(void* context, const uint8_t* buf, size_t size) {
    auto* cb = static_cast<Callbacks*>(context);
    // The classic callback takes a non-const buffer; it gets the engine's own
    // bytes, which it may scribble on without harm.
    unsigned int count = static_cast<unsigned int>(size);
    cb->write(reinterpret_cast<char*>(const_cast<uint8_t*>(buf)), &count, cb->param);
    return true;
}

bool dictionaryFromBytes(const unsigned int* dsize, DictionarySize& dict) {
    if (dsize == nullptr) return false;
    switch (*dsize) {
        case 1024:
            dict = DictionarySize::Bytes1024;
            return true;
        case 2048:
            dict = DictionarySize::Bytes2048;
            return true;
        case 4096:
            dict = DictionarySize::Bytes4096;
            return true;
        default:
            return false;
    }
}

}  // namespace

extern "C" unsigned int IMPBORL_CALL impborl_implode(impborl_read_fn read, impborl_write_fn write,
                                                     char* work, void* param, unsigned int* type,
                                                     unsigned int* dsize) {
    DictionarySize dict{};
    if (!dictionaryFromBytes(dsize, dict)) return IMPBORL_BAD_DICT_SIZE;
    if (type == nullptr || (*type != IMPBORL_BINARY && *type != IMPBORL_ASCII))
        return IMPBORL_BAD_LITERAL_MODE;
    if (read == nullptr || write == nullptr || work == nullptr) return IMPBORL_ABORT;
    Callbacks callbacks{read, write, param};
    const StreamIo io{readThroughCallback, writeThroughCallback, &callbacks};
    const auto mode = *type == IMPBORL_ASCII ? LiteralMode::Ascii : LiteralMode::Binary;
    return static_cast<unsigned int>(
        velumar::implode::detail::implodeWithWork(io, work, IMPBORL_IMPLODE_WORK_SIZE, mode, dict));
}

extern "C" unsigned int IMPBORL_CALL impborl_explode(impborl_read_fn read, impborl_write_fn write,
                                                     char* work, void* param) {
    if (read == nullptr || write == nullptr || work == nullptr) return IMPBORL_ABORT;
    Callbacks callbacks{read, write, param};
    const StreamIo io{readThroughCallback, writeThroughCallback, &callbacks};
    return static_cast<unsigned int>(
        velumar::implode::detail::explodeWithWork(io, work, IMPBORL_EXPLODE_WORK_SIZE));
}

extern "C" unsigned long IMPBORL_CALL impborl_crc32(char* buf, unsigned int* size,
                                                    unsigned long* old_crc) {
    if (old_crc == nullptr) return 0;
    if (buf == nullptr || size == nullptr) return *old_crc;
    const auto* bytes = reinterpret_cast<const uint8_t*>(buf);
    return velumar::implode::crc32Update(static_cast<uint32_t>(*old_crc), {bytes, *size});
}
