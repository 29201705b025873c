// Fuzz target for the package tool's reading of an Authenticode signature: the PE
// certificate table and the PKCS #7 signed data in it, down to the signer certificate's
// names.
//
// The input is a whole file. For every input it checks that nothing is reported for a file
// that has no certificate table, that a signer is named only when the table was read without a
// problem, and that the names hold no control character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "signature.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void requirePrintable(const std::string& text) {
    for (char c : text) require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const velpack::SignatureInfo info = velpack::readSignature(std::span(data, size));
    if (!info.present) require(info.signer.empty() && info.issuer.empty() && info.problem.empty());
    if (!info.problem.empty()) require(info.signer.empty());
    requirePrintable(info.signer);
    requirePrintable(info.issuer);
    return 0;
}
