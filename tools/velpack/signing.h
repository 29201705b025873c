// Signing Windows programs with Authenticode, through Debian's osslsigncode: the signature a
// download warning names the publisher by (Windows XP SP2 calls an unsigned program's
// publisher "Unknown Publisher").
//
// Signing changes two fields of the PE optional header, the CheckSum and the certificate
// table's data-directory entry, and appends the certificate table after the file's last byte
// (with zero bytes before it up to a multiple of 8): every byte the file had stays where it
// was. So a package appended to the installer's image keeps its offsets, and a check over the
// file's first bytes (reading those two fields as zero) still holds after signing: signing is
// the last step of a build.
#ifndef VELPACK_SIGNING_H
#define VELPACK_SIGNING_H

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace velpack {

namespace fs = std::filesystem;

struct SigningKey {
    fs::path certificate;  // PEM: the publisher's certificate, then any intermediate ones
    fs::path key;          // PEM: its private key, not encrypted
    // The file digest: sha1, which Windows XP SP2 checks, or sha256 (XP SP3 and later).
    std::string digest = "sha1";
};

struct SignedProgram {
    std::vector<uint8_t> bytes;
    std::string error;  // empty when signed

    bool ok() const noexcept { return error.empty(); }
};

// `program` signed with `key`, described as `description` (the name a signature shows). The
// signing time is now, or SOURCE_DATE_EPOCH when set, so that a build can be repeated to the
// same bytes. No time-stamp server is asked: the signature is good while the certificate is.
SignedProgram signProgram(std::span<const uint8_t> program, const SigningKey& key,
                          const std::string& description);

}  // namespace velpack

#endif
