// Crafted SWF movies for the preparation tests: header, rectangle, frame rate and count, then
// the tags the test gives.
#ifndef VELUMAR_TESTS_FLASH_SWF_BUILDER_H
#define VELUMAR_TESTS_FLASH_SWF_BUILDER_H

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace velumar::flash::testing {

using Bytes = std::vector<std::uint8_t>;

inline void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

inline void appendLittleEndian(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A tag in the short form (body under 63 bytes) or, when longForm is set, the long form.
inline Bytes tag(std::uint16_t code, const Bytes& body, bool longForm = false) {
    Bytes out;
    const std::uint16_t length = longForm ? 63 : static_cast<std::uint16_t>(body.size());
    appendLittleEndian(out, static_cast<std::uint32_t>(code << 6 | length), 2);
    if (longForm) appendLittleEndian(out, static_cast<std::uint32_t>(body.size()), 4);
    append(out, body);
    return out;
}

inline Bytes backgroundTag(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return tag(9, {red, green, blue});
}

// Rectangle (first byte gives Nbits; the rest zero), frame rate, frame count, then tags.
inline Bytes movieBody(const Bytes& tags, std::uint8_t rectangleFirstByte = 0x78) {
    const unsigned nbits = rectangleFirstByte >> 3;
    Bytes body(((4 * nbits + 5) >> 3) + 1, 0);
    body[0] = rectangleFirstByte;
    appendLittleEndian(body, 12 << 8, 2);
    appendLittleEndian(body, 1, 2);
    append(body, tags);
    return body;
}

inline Bytes header(const char* signature, std::uint8_t version, std::uint32_t length) {
    Bytes out(signature, signature + 3);
    out.push_back(version);
    appendLittleEndian(out, length, 4);
    return out;
}

inline Bytes fws(const Bytes& body, std::uint8_t version = 6) {
    Bytes out = header("FWS", version, static_cast<std::uint32_t>(8 + body.size()));
    append(out, body);
    return out;
}

inline Bytes deflate(const Bytes& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 9);
    out.resize(size);
    return out;
}

inline Bytes cws(const Bytes& body, std::uint8_t version = 6) {
    Bytes out = header("CWS", version, static_cast<std::uint32_t>(8 + body.size()));
    append(out, deflate(body));
    return out;
}

inline Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace velumar::flash::testing

#endif
