// code_tables.cpp -- the encoder's code tables that are computed on first use rather than
// stored (see built_once.h): the ASCII literal codes and the length codes with their extra bits.
#include "implode/built_once.h"
#include "implode/format.h"
#include "implode/implode_common.h"

namespace velumar::implode {
namespace {

void fillAsciiCodes(format::AsciiCodes& codes) {
    format::fillWireCodes(codes, format::kAsciiCodeLengths);
}

detail::BuiltOnce<format::AsciiCodes, fillAsciiCodes> g_asciiCodes;
detail::BuiltOnce<detail::LengthWireTable, detail::fillLengthWire> g_lengthWire;

}  // namespace

const format::AsciiCodes& format::asciiCodes() {
    return g_asciiCodes.get();
}

const detail::LengthWireTable& detail::lengthWireTable() {
    return g_lengthWire.get();
}

}  // namespace velumar::implode
