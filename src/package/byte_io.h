// Little-endian byte reading and writing for the package formats.
//
// Every on-disk integer of the installer's formats is little-endian; every
// read goes through ByteReader, which checks each length against what is left.
// A read past the end does not throw: it yields zeros and makes the reader
// fail for good (a sticky error), so a parser can read a whole record and test
// ok() once at the end.
#ifndef VELUMAR_PACKAGE_BYTE_IO_H
#define VELUMAR_PACKAGE_BYTE_IO_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace velumar::package {

class ByteReader {
  public:
    explicit ByteReader(std::span<const uint8_t> bytes) noexcept : bytes_(bytes) {}

    bool ok() const noexcept { return ok_; }
    size_t position() const noexcept { return pos_; }
    size_t remaining() const noexcept { return bytes_.size() - pos_; }
    bool atEnd() const noexcept { return pos_ == bytes_.size(); }

    uint8_t u8() noexcept {
        uint8_t value = 0;
        copyTo(&value, 1);
        return value;
    }

    uint16_t u16() noexcept {
        uint8_t b[2] = {};
        copyTo(b, 2);
        return uint16_t(b[0] | b[1] << 8);
    }

    uint32_t u32() noexcept {
        uint8_t b[4] = {};
        copyTo(b, 4);
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }

    int32_t i32() noexcept { return static_cast<int32_t>(u32()); }

    // Fills `out` completely, or fails and fills it with zeros.
    template <typename T, size_t N>
    void bytes(std::span<T, N> out) noexcept {
        static_assert(sizeof(T) == 1);
        copyTo(out.data(), out.size());
    }

    void skip(size_t count) noexcept {
        if (!take(count)) pos_ = bytes_.size();
    }

  private:
    bool take(size_t count) noexcept {
        if (!ok_ || count > remaining()) {
            ok_ = false;
            return false;
        }
        pos_ += count;
        return true;
    }

    void copyTo(void* out, size_t count) noexcept {
        const size_t from = pos_;
        if (take(count)) {
            std::memcpy(out, bytes_.data() + from, count);
        } else {
            std::memset(out, 0, count);
        }
    }

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Writes into a fixed-size buffer; a write past its end is dropped and makes
// the writer fail for good, like ByteReader.
class ByteWriter {
  public:
    explicit ByteWriter(std::span<uint8_t> out) noexcept : out_(out) {}

    bool ok() const noexcept { return ok_; }
    size_t position() const noexcept { return pos_; }

    void u8(uint8_t value) noexcept { copyFrom(&value, 1); }

    void u32(uint32_t value) noexcept {
        const uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
        copyFrom(b, 4);
    }

    void i32(int32_t value) noexcept { u32(static_cast<uint32_t>(value)); }

    template <typename T, size_t N>
    void bytes(std::span<const T, N> in) noexcept {
        static_assert(sizeof(T) == 1);
        copyFrom(in.data(), in.size());
    }

    void zeros(size_t count) noexcept {
        if (!ok_ || count > out_.size() - pos_) {
            ok_ = false;
            return;
        }
        std::memset(out_.data() + pos_, 0, count);
        pos_ += count;
    }

  private:
    void copyFrom(const void* in, size_t count) noexcept {
        if (!ok_ || count > out_.size() - pos_) {
            ok_ = false;
            return;
        }
        std::memcpy(out_.data() + pos_, in, count);
        pos_ += count;
    }

    std::span<uint8_t> out_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Little-endian access at a fixed offset of a buffer the caller has sized.
inline int32_t loadI32(std::span<const uint8_t> bytes, size_t offset) noexcept {
    ByteReader reader(bytes.subspan(std::min(offset, bytes.size())));
    return reader.i32();
}

inline void storeI32(std::span<uint8_t> bytes, size_t offset, int32_t value) noexcept {
    ByteWriter writer(bytes.subspan(std::min(offset, bytes.size())));
    writer.i32(value);
}

}  // namespace velumar::package

#endif
