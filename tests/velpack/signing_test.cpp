// Signed installers: the sample built with --sign by a throwaway certificate this test makes
// (openssl), checked by osslsigncode itself, named by velpack verify, and the bytes signing
// changes. Host only: the signing runs Debian's osslsigncode. The sample's real Windows programs
// come from the Windows build tree, as `./dev test` has it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <sys/wait.h>

#include "builder.h"
#include "cli.h"
#include "inspect.h"
#include "package/package_header.h"
#include "signature.h"
#include "signing.h"
#include "velpack_test_support.h"

namespace velpack {
namespace {

using testing::TempFolder;

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// Runs a shell command; its exit code, its output in `output`.
int shell(const std::string& command, std::string* output = nullptr) {
    const TempFolder temp;
    const int status = std::system((command + " > " + quoted(temp / "out") + " 2>&1").c_str());
    if (output) {
        const testing::Bytes bytes = testing::readBytes(temp / "out");
        output->assign(bytes.begin(), bytes.end());
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

uint32_t u32At(const testing::Bytes& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

class Signing : public ::testing::Test {
  protected:
    void SetUp() override {
        if (shell("command -v osslsigncode") != 0) GTEST_SKIP() << "osslsigncode is not installed";
        if (shell("command -v openssl") != 0) GTEST_SKIP() << "openssl is not installed";
        if (!fs::exists(programs / "src/app/install.exe"))
            GTEST_SKIP() << "no Windows programs in " << programs << " (./dev build)";
        std::string output;
        ASSERT_EQ(shell("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -sha256 -keyout " +
                            quoted(key.key) + " -out " + quoted(key.certificate) +
                            " -subj '/CN=Velumar Test Publisher/O=Velumar Tests'",
                        &output),
                  0)
            << output;
    }

    BuildOptions options() const {
        BuildOptions options;
        options.projectDirs = {programs};
        return options;
    }

    Manifest sample() const {
        ManifestLoad load = loadManifest(testing::examplesFolder() / "movie.ini");
        EXPECT_TRUE(load.manifest) << (load.errors.empty() ? "" : load.errors.front());
        return *load.manifest;
    }

    int velpack(const std::vector<std::string>& args, std::string& out, std::string& err) {
        std::ostringstream outStream;
        std::ostringstream errStream;
        const int code = runCli(args, outStream, errStream);
        out = outStream.str();
        err = errStream.str();
        return code;
    }

    TempFolder temp;
    const fs::path programs = VELPACK_WIN32_BUILD_DIR;
    SigningKey key{temp / "cert.pem", temp / "key.pem"};
};

// Signing the installer keeps every byte it had but the PE CheckSum and the certificate table's
// directory entry, and appends the signature: the package after the image is untouched.
TEST_F(Signing, ChangesOnlyTheChecksumAndCertificateEntryAndAppends) {
    BuildResult built = buildInstaller(sample(), options());
    ASSERT_TRUE(built.ok()) << built.errors.front();
    const testing::Bytes original = built.installer;
    signBuiltInstaller(sample(), key, built);
    ASSERT_TRUE(built.ok()) << built.errors.front();
    const testing::Bytes& signedBytes = built.installer;
    ASSERT_GT(signedBytes.size(), original.size());

    const size_t optionalHeader = u32At(original, 0x3C) + 24;
    const size_t checksumAt = optionalHeader + 64;
    const size_t certificateEntryAt = optionalHeader + 96 + 4 * 8;
    std::vector<size_t> changed;
    for (size_t i = 0; i < original.size(); ++i) {
        if (original[i] != signedBytes[i]) changed.push_back(i);
    }
    for (size_t at : changed) {
        const bool checksum = at >= checksumAt && at < checksumAt + 4;
        const bool certificateEntry = at >= certificateEntryAt && at < certificateEntryAt + 8;
        EXPECT_TRUE(checksum || certificateEntry) << "byte " << at << " changed";
    }
    EXPECT_FALSE(changed.empty());
    // The certificate table starts after the original bytes (at a multiple of 8) and ends the file.
    const uint32_t tableAt = u32At(signedBytes, certificateEntryAt);
    const uint32_t tableSize = u32At(signedBytes, certificateEntryAt + 4);
    EXPECT_GE(tableAt, original.size());
    EXPECT_EQ(tableAt % 8, 0u);
    EXPECT_EQ(size_t(tableAt) + tableSize, signedBytes.size());
    for (size_t i = original.size(); i < tableAt; ++i) EXPECT_EQ(signedBytes[i], 0) << i;

    const Inspection inspection = inspectInstaller(signedBytes, std::nullopt);
    ASSERT_TRUE(inspection.sound()) << inspection.problems.front();
    EXPECT_EQ(inspection.location->offset,
              inspectInstaller(original, std::nullopt).location->offset);
    const SignatureInfo signature = readSignature(signedBytes);
    EXPECT_TRUE(signature.present);
    EXPECT_EQ(signature.signer, "CN=Velumar Test Publisher, O=Velumar Tests");
    EXPECT_EQ(signature.problem, "");
}

// velpack build --sign: the uninstaller signed inside, then the installer; osslsigncode verifies
// both with the test's certificate as the trusted root; velpack verify names the signer.
TEST_F(Signing, SignedBuildIsVerifiedByOsslsigncodeAndNamed) {
    const fs::path installer = temp / "signed.exe";
    std::string out;
    std::string err;
    ASSERT_EQ(velpack({"build", (testing::examplesFolder() / "movie.ini").string(), "-o",
                       installer.string(), "--project-dir", programs.string(), "--sign",
                       key.certificate.string(), "--key", key.key.string()},
                      out, err),
              0)
        << err;
    EXPECT_NE(err.find("slot 9: uninstall.exe signed"), std::string::npos) << err;
    std::string verified;
    EXPECT_EQ(shell("osslsigncode verify -CAfile " + quoted(key.certificate) + " -in " +
                        quoted(installer),
                    &verified),
              0)
        << verified;
    EXPECT_NE(verified.find("Signature verification: ok"), std::string::npos) << verified;

    ASSERT_EQ(velpack({"extract", installer.string(), "-o", (temp / "files").string()}, out, err),
              0)
        << err;
    EXPECT_EQ(shell("osslsigncode verify -CAfile " + quoted(key.certificate) + " -in " +
                        quoted(temp / "files/uninstall.exe"),
                    &verified),
              0)
        << verified;

    ASSERT_EQ(velpack({"verify", installer.string()}, out, err), 0) << out << err;
    EXPECT_NE(out.find(": signed by CN=Velumar Test Publisher, O=Velumar Tests (issued by "
                       "CN=Velumar Test Publisher, O=Velumar Tests); its uninstaller signed by "
                       "CN=Velumar Test Publisher, O=Velumar Tests"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find(": sound"), std::string::npos) << out;
}

TEST_F(Signing, UnsignedInstallerIsSaidToBeSo) {
    const fs::path installer = temp / "plain.exe";
    std::string out;
    std::string err;
    ASSERT_EQ(velpack({"build", (testing::examplesFolder() / "movie.ini").string(), "-o",
                       installer.string(), "--project-dir", programs.string()},
                      out, err),
              0)
        << err;
    ASSERT_EQ(velpack({"verify", installer.string()}, out, err), 0) << err;
    EXPECT_NE(out.find(": not signed (a download warning names its publisher \"Unknown "
                       "Publisher\"); its uninstaller not signed"),
              std::string::npos)
        << out;
}

// A key that does not sign writes nothing and says why; --sign without --key is a wrong
// command line.
TEST_F(Signing, FailuresWriteNothing) {
    testing::writeText(temp / "bad.pem", "not a key\n");
    const fs::path installer = temp / "bad.exe";
    std::string out;
    std::string err;
    EXPECT_EQ(velpack({"build", (testing::examplesFolder() / "movie.ini").string(), "-o",
                       installer.string(), "--project-dir", programs.string(), "--sign",
                       key.certificate.string(), "--key", (temp / "bad.pem").string()},
                      out, err),
              1);
    EXPECT_NE(err.find("cannot sign the uninstaller"), std::string::npos) << err;
    EXPECT_NE(err.find("osslsigncode failed"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(installer));
    EXPECT_EQ(velpack({"build", "x.ini", "--sign", key.certificate.string()}, out, err), 2);
    EXPECT_NE(err.find("--sign CERT and --key KEY go together"), std::string::npos) << err;
    EXPECT_EQ(
        velpack({"build", "x.ini", "--sign", "c", "--key", "k", "--sign-digest", "md5"}, out, err),
        2);
}

// A certificate table that lies, or holds no signature, is a problem for verify, not a crash.
TEST_F(Signing, DamagedSignatureIsAProblem) {
    BuildResult built = buildInstaller(sample(), options());
    ASSERT_TRUE(built.ok());
    signBuiltInstaller(sample(), key, built);
    ASSERT_TRUE(built.ok());
    testing::Bytes damaged = built.installer;
    const size_t entryAt = u32At(damaged, 0x3C) + 24 + 96 + 32;
    const uint32_t tableAt = u32At(damaged, entryAt);
    damaged[tableAt + 20] ^= 0xFF;  // inside the PKCS #7 structure
    EXPECT_NE(readSignature(damaged).problem, "");
    damaged.resize(tableAt + 16);  // the table runs past the end of the file
    EXPECT_EQ(readSignature(damaged).problem, "the certificate table lies outside the file");
    EXPECT_FALSE(readSignature(testing::bytesOf("MZ not a PE file at all")).present);
}

}  // namespace
}  // namespace velpack
