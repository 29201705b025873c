// The integrity record: what the package tool writes and what the installer checks, over an
// installer made here byte by byte (PE headers, a package header, three slots).
#include "package/integrity.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <vector>

#include "package/package_header.h"

namespace velumar::package {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kStubSize = 1024;
constexpr size_t kPeHeader = 0x80;
constexpr size_t kOptional = kPeHeader + 24;
constexpr size_t kCheckSum = kOptional + 64;
constexpr size_t kCertificateEntry = kOptional + 128;

void put32(Bytes& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A stub with PE32 headers (16 data directories) and some code bytes, then the package header
// and three stored slots; no record yet.
struct Installer {
    Bytes bytes;
    PackageHeader header;

    Installer() : bytes(kStubSize) {
        bytes[0] = 'M';
        bytes[1] = 'Z';
        put32(bytes, 0x3C, kPeHeader);
        std::memcpy(&bytes[kPeHeader], "PE\0\0", 4);
        bytes[kPeHeader + 20] = 224;  // SizeOfOptionalHeader of PE32
        bytes[kOptional] = 0x0B;
        bytes[kOptional + 1] = 0x01;
        put32(bytes, kOptional + 92, 16);
        for (size_t i = 0x200; i < kStubSize; ++i) bytes[i] = static_cast<uint8_t>(i * 7);

        header.kind = 2;
        header.setWallpaperName("Autumn");
        uint32_t at = kStubSize + kPackageHeaderSize;
        for (const int slot : {slots::compressionLibrary, slots::flashInstaller, slots::dataFile}) {
            PackageEntry& entry = header.slot(slot);
            entry.setName("slot" + std::to_string(slot));
            entry.startOffset = int32_t(at);
            entry.endOffset = int32_t(at + 99);
            at += 100;
        }
        writeHeader();
        for (uint32_t i = kStubSize + kPackageHeaderSize; i < at; ++i)
            bytes.push_back(static_cast<uint8_t>(i * 13 + 5));
    }

    void writeHeader() {
        const PackageHeaderBytes encoded = encodePackageHeader(header);
        if (bytes.size() < kStubSize + kPackageHeaderSize)
            bytes.resize(kStubSize + kPackageHeaderSize);
        std::copy(encoded.begin(), encoded.end(), bytes.begin() + kStubSize);
    }

    // What the package tool does once the file is complete.
    void seal() {
        setIntegrityRecord(header, integrityRecordFor(bytes, kStubSize));
        writeHeader();
    }

    IntegrityCheck check(IntegrityProgress* progress = nullptr) const {
        MemorySource source(bytes);
        return checkIntegrity(source, kStubSize, decodedHeader(), progress);
    }

    PackageHeader decodedHeader() const {
        return decodePackageHeader(std::span(bytes).subspan(kStubSize).first<kPackageHeaderSize>());
    }
};

struct BlockCount final : IntegrityProgress {
    void afterBlock() override { ++blocks; }
    int blocks = 0;
};

uint32_t plainCrc(const Bytes& bytes) {
    return uint32_t(::crc32(::crc32(0, nullptr, 0), bytes.data(), uInt(bytes.size())));
}

TEST(IntegrityRecord, IsTheHeadersEightBytesAtOffsetEightAndZeroMeansNone) {
    PackageHeader header;
    EXPECT_FALSE(integrityRecordOf(header));
    setIntegrityRecord(header, {0x01020304, 0xA0B0C0D0});
    const PackageHeaderBytes bytes = encodePackageHeader(header);
    const uint8_t expected[] = {4, 3, 2, 1, 0xD0, 0xC0, 0xB0, 0xA0};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), bytes.begin() + 8));
    const auto back = integrityRecordOf(decodePackageHeader(bytes));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, (IntegrityRecord{0x01020304, 0xA0B0C0D0}));
}

TEST(IntegrityRecord, CrcIsZlibsOverTheFileWithRecordAndSigningFieldsZeroed) {
    Installer installer;
    put32(installer.bytes, kCheckSum, 0x12345678);
    put32(installer.bytes, kCertificateEntry, 0xAAAA);
    put32(installer.bytes, kCertificateEntry + 4, 0xBBBB);
    installer.seal();

    Bytes zeroed = installer.bytes;
    std::fill_n(zeroed.begin() + kCheckSum, 4, 0);
    std::fill_n(zeroed.begin() + kCertificateEntry, 8, 0);
    std::fill_n(zeroed.begin() + kStubSize + 8, 8, 0);
    const auto record = integrityRecordOf(installer.header);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->installerLength, installer.bytes.size());
    EXPECT_EQ(record->installerCrc, plainCrc(zeroed));
}

TEST(IntegrityRecord, BlocksOfAnySizeGiveTheSameCrc) {
    Installer installer;
    const ZeroedRanges zeroed = rangesReadAsZero(installer.bytes, kStubSize);
    ASSERT_EQ(zeroed.count, 3u);
    FileCrc whole(zeroed);
    whole.add(installer.bytes);
    for (const size_t block : {1u, 3u, 7u, 100u, 4096u}) {
        FileCrc pieces(zeroed);
        for (size_t at = 0; at < installer.bytes.size(); at += block) {
            const size_t now = std::min(block, installer.bytes.size() - at);
            pieces.add(std::span(installer.bytes).subspan(at, now));
        }
        EXPECT_EQ(pieces.value(), whole.value()) << "blocks of " << block;
    }
}

TEST(IntegrityCheck, SoundInstallerPassesAndWhatSigningChangesDoesNotMatter) {
    Installer installer;
    installer.seal();
    EXPECT_EQ(installer.check().verdict, IntegrityVerdict::sound);

    // Code signing writes the CheckSum and the certificate entry and appends the certificate.
    put32(installer.bytes, kCheckSum, 0xCAFEF00D);
    put32(installer.bytes, kCertificateEntry, uint32_t(installer.bytes.size()));
    put32(installer.bytes, kCertificateEntry + 4, 512);
    installer.bytes.insert(installer.bytes.end(), 512, 0x5A);
    EXPECT_EQ(installer.check().verdict, IntegrityVerdict::sound);
}

TEST(IntegrityCheck, OneChangedByteAnywhereIsRefused) {
    Installer installer;
    installer.seal();
    const size_t places[] = {0x40,
                             kOptional + 60,
                             0x300,
                             kStubSize + 30,
                             kStubSize + 3100,
                             kStubSize + kPackageHeaderSize + 50,
                             installer.bytes.size() - 1};
    for (const size_t at : places) {
        Installer damaged = installer;
        damaged.bytes[at] ^= 0x10;
        const IntegrityCheck check = damaged.check();
        EXPECT_EQ(check.verdict, IntegrityVerdict::crcDiffers) << "byte " << at;
        EXPECT_TRUE(check.refused());
    }
}

TEST(IntegrityCheck, CutShortFileIsRefusedWithoutReading) {
    Installer installer;
    installer.seal();
    for (const size_t cut : {size_t{1}, size_t{100}, size_t{250}}) {
        Installer damaged = installer;
        damaged.bytes.resize(damaged.bytes.size() - cut);
        BlockCount count;
        EXPECT_EQ(damaged.check(&count).verdict, IntegrityVerdict::cutShort);
        EXPECT_EQ(count.blocks, 0);
    }
}

TEST(IntegrityCheck, RecordThatLiesAboutTheLengthIsRefused) {
    Installer installer;
    installer.seal();
    IntegrityRecord record = *integrityRecordOf(installer.header);

    // Shorter than the package it describes: the last slot would go unchecked.
    Installer shorter = installer;
    record.installerLength -= 1;
    setIntegrityRecord(shorter.header, record);
    shorter.writeHeader();
    EXPECT_EQ(shorter.check().verdict, IntegrityVerdict::recordLies);

    // Longer than the file.
    Installer longer = installer;
    record.installerLength += 2;
    setIntegrityRecord(longer.header, record);
    longer.writeHeader();
    EXPECT_EQ(longer.check().verdict, IntegrityVerdict::cutShort);
}

TEST(IntegrityCheck, InstallerWithoutRecordIsNotChecked) {
    Installer installer;
    installer.bytes[0x300] ^= 1;
    BlockCount count;
    EXPECT_EQ(installer.check(&count).verdict, IntegrityVerdict::noRecord);
    EXPECT_EQ(count.blocks, 0);
}

TEST(IntegrityCheck, ReadsTheFileOnceInBlocksAndReportsAFailedRead) {
    Installer installer;
    installer.bytes.resize(3 * kIntegrityBlockSize + 10);  // the last slot's bytes lie before
    installer.seal();
    BlockCount count;
    EXPECT_EQ(installer.check(&count).verdict, IntegrityVerdict::sound);
    EXPECT_EQ(count.blocks, 4);

    class FailingSource final : public ByteSource {
      public:
        explicit FailingSource(const Bytes& bytes) : inner_(bytes) {}
        int32_t readAt(uint64_t offset, std::span<uint8_t> out, size_t& got) noexcept override {
            if (offset >= kIntegrityBlockSize) return 23;  // a CRC error of the disk
            return inner_.readAt(offset, out, got);
        }
        int32_t size(uint64_t& bytes) noexcept override { return inner_.size(bytes); }

      private:
        MemorySource inner_;
    };
    FailingSource failing(installer.bytes);
    const IntegrityCheck check = checkIntegrity(failing, kStubSize, installer.decodedHeader());
    EXPECT_EQ(check.verdict, IntegrityVerdict::readFailed);
    EXPECT_EQ(check.systemCode, 23);
}

TEST(IntegrityRanges, HeadersThatAreNotPeOrRunPastTheirBytesNameOnlyTheRecord) {
    Installer installer;
    const auto onlyRecord = [](std::span<const uint8_t> start) {
        const ZeroedRanges zeroed = rangesReadAsZero(start, kStubSize);
        return zeroed.count == 1 && zeroed.ranges[0].offset == kStubSize + 8 &&
               zeroed.ranges[0].length == 8;
    };
    Bytes notMz = installer.bytes;
    notMz[0] = 'X';
    EXPECT_TRUE(onlyRecord(notMz));
    Bytes farPointer = installer.bytes;
    put32(farPointer, 0x3C, 0xFFFFFFF0);
    EXPECT_TRUE(onlyRecord(farPointer));
    EXPECT_TRUE(onlyRecord(std::span(installer.bytes).first(kCheckSum + 2)));
    Bytes fewDirectories = installer.bytes;
    put32(fewDirectories, kOptional + 92, 4);
    EXPECT_EQ(rangesReadAsZero(fewDirectories, kStubSize).count, 2u);  // CheckSum, record
}

TEST(IntegrityRanges, OverlappingRangesAreJoinedInOrder) {
    ZeroedRanges zeroed;
    zeroed.add({100, 8});
    zeroed.add({10, 4});
    zeroed.add({96, 6});  // reaches into the first
    ASSERT_EQ(zeroed.count, 2u);
    EXPECT_EQ(zeroed.ranges[0].offset, 10u);
    EXPECT_EQ(zeroed.ranges[1].offset, 96u);
    EXPECT_EQ(zeroed.ranges[1].length, 12u);
}

}  // namespace
}  // namespace velumar::package
