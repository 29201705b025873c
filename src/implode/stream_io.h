// stream_io.h -- how the codec engines reach their input and output.
#ifndef VELUMAR_IMPLODE_STREAM_IO_H
#define VELUMAR_IMPLODE_STREAM_IO_H

#include <cstddef>
#include <cstdint>

namespace velumar::implode::detail {

// Plain function pointers: the engines run inside a caller's work buffer and
// must not allocate, and the C API adapts its callbacks to these directly.
struct StreamIo {
    // Places up to `size` bytes in `buf`; returns how many (0 = input ended).
    size_t (*read)(void* context, uint8_t* buf, size_t size);
    // Consumes `size` bytes; false stops the engine with Result::Aborted.
    bool (*write)(void* context, const uint8_t* buf, size_t size);
    void* context;
};

// Aligns a caller's work buffer for an engine state of type T, or returns
// nullptr when it is too small.
template <typename T>
T* placeInWork(void* work, size_t workSize) {
    auto address = reinterpret_cast<uintptr_t>(work);
    uintptr_t aligned = (address + alignof(T) - 1) & ~(uintptr_t{alignof(T)} - 1);
    if (work == nullptr || aligned - address + sizeof(T) > workSize) return nullptr;
    return reinterpret_cast<T*>(aligned);
}

}  // namespace velumar::implode::detail

#endif
