// Reading who signed a Windows program: the Authenticode signature in the PE certificate
// table (a WIN_CERTIFICATE holding PKCS #7 SignedData), and in it the signer's certificate,
// found by the issuer and serial number its SignerInfo names. The signature itself is not
// checked here (osslsigncode verify does that): this says what a download warning would
// name as the publisher.
#ifndef VELPACK_SIGNATURE_H
#define VELPACK_SIGNATURE_H

#include <cstdint>
#include <span>
#include <string>

namespace velpack {

struct SignatureInfo {
    bool present = false;  // the certificate table holds a signature
    std::string signer;    // the signer certificate's subject, as "CN=..., O=..."
    std::string issuer;    // its issuer, the same way
    std::string problem;   // set when the table is there but cannot be read
};

// Nothing present for a file that is not a PE file or has no certificate table.
SignatureInfo readSignature(std::span<const uint8_t> file);

}  // namespace velpack

#endif
