#include "signing.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

#include "child_process.h"
#include "file_io.h"

namespace velpack {

namespace {

constexpr const char* kSigner = "osslsigncode";

// osslsigncode's last lines, for a message.
std::string lastLines(const fs::path& log) {
    std::ifstream in(log);
    std::string line;
    std::string text;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        text = text.empty() ? line : text + "; " + line;
        if (text.size() > 400) text = text.substr(text.size() - 400);
    }
    return text;
}

}  // namespace

SignedProgram signProgram(std::span<const uint8_t> program, const SigningKey& key,
                          const std::string& description) {
    SignedProgram result;
    if (key.digest != "sha1" && key.digest != "sha256") {
        result.error = "the signing digest must be sha1 or sha256, not \"" + key.digest + "\"";
        return result;
    }
    const fs::path folder = makeTemporaryFolder("velpack-sign");
    if (folder.empty()) {
        result.error = "cannot make a temporary folder to sign in";
        return result;
    }
    const fs::path unsignedFile = folder / "unsigned.exe";
    const fs::path signedFile = folder / "signed.exe";
    const fs::path log = folder / "osslsigncode.log";
    if (const std::string failure = writeWholeFile(unsignedFile, program); !failure.empty()) {
        result.error = "cannot write " + unsignedFile.string() + ": " + failure;
    } else {
        std::vector<std::string> command = {
            kSigner, "sign",           "-certs", key.certificate.string(),
            "-key",  key.key.string(), "-h",     key.digest,
            "-n",    description};
        if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
            command.insert(command.end(), {"-time", epoch});
        }
        command.insert(command.end(), {"-in", unsignedFile.string(), "-out", signedFile.string()});
        const ProcessRun run = runProgram(command, log);
        if (!run.exitCode) {
            result.error =
                std::string(kSigner) + ": " + run.failure + " (Debian: apt install osslsigncode)";
        } else if (*run.exitCode != 0) {
            result.error = std::string(kSigner) + " failed (exit " + std::to_string(*run.exitCode) +
                           "): " + lastLines(log);
        } else {
            std::string reason;
            std::optional<std::vector<uint8_t>> bytes = readWholeFile(signedFile, reason);
            if (bytes)
                result.bytes = std::move(*bytes);
            else
                result.error = "cannot read the signed file: " + reason;
        }
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return result;
}

}  // namespace velpack
