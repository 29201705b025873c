#include "stub.h"

#include <gtest/gtest.h>

#include "package/package_offset.h"
#include "velpack_test_support.h"

namespace velpack {
namespace {

using testing::Bytes;
using testing::kSyntheticStubSize;
using testing::syntheticStub;

uint32_t recordValue(const Bytes& bytes) {
    const size_t at = findOffsetRecords(bytes).at(0) + velumar::package::kPackageOffsetValueOffset;
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

TEST(Stub, ImageEndIsTheEndOfTheLastSection) {
    Bytes stub = syntheticStub();
    EXPECT_EQ(peImageEnd(stub), kSyntheticStubSize);
    stub.resize(stub.size() + 5000, 0xAB);  // a package after the image changes nothing
    EXPECT_EQ(peImageEnd(stub), kSyntheticStubSize);
    EXPECT_EQ(peImageEnd(testing::bytesOf("not a PE file at all, just text")), std::nullopt);
    EXPECT_EQ(peImageEnd(Bytes(stub.begin(), stub.begin() + 0x100)), std::nullopt)
        << "section table cut off";
}

TEST(Stub, PatchingSetsTheOneRecordToTheStubSize) {
    Bytes stub = syntheticStub();
    ASSERT_EQ(patchStub(stub), "");
    EXPECT_EQ(recordValue(stub), kSyntheticStubSize);
    EXPECT_EQ(patchStub(stub), "") << "patching again with the same size is harmless";
}

TEST(Stub, PatchingRefusesStubsWithoutOrWithSeveralRecordsOrWithAPackage) {
    Bytes none = syntheticStub(0);
    EXPECT_NE(patchStub(none).find("no package offset record"), std::string::npos);
    Bytes two = syntheticStub(2);
    EXPECT_NE(patchStub(two).find("2 package offset records"), std::string::npos);

    Bytes built = syntheticStub();
    ASSERT_EQ(patchStub(built), "");
    built.resize(built.size() + 100);
    EXPECT_NE(patchStub(built).find("already carries a package"), std::string::npos);
}

TEST(Stub, PackageIsLocatedByRecordThenImageEndThenOption) {
    Bytes installer = syntheticStub();
    ASSERT_EQ(patchStub(installer), "");
    installer.resize(installer.size() + 4000, 0);

    auto located = locatePackage(installer, std::nullopt);
    ASSERT_TRUE(located);
    EXPECT_EQ(located->offset, kSyntheticStubSize);
    EXPECT_EQ(located->source, OffsetSource::stubRecord);

    Bytes unpatched = syntheticStub();
    unpatched.resize(unpatched.size() + 4000, 0);
    located = locatePackage(unpatched, std::nullopt);
    ASSERT_TRUE(located);
    EXPECT_EQ(located->offset, kSyntheticStubSize);
    EXPECT_EQ(located->source, OffsetSource::peImageEnd);
    EXPECT_NE(located->recordProblem.find("never made into an installer"), std::string::npos);

    located = locatePackage(installer, 1234);
    ASSERT_TRUE(located);
    EXPECT_EQ(located->offset, 1234u);
    EXPECT_EQ(located->source, OffsetSource::option);

    EXPECT_FALSE(locatePackage(testing::bytesOf("plain text"), std::nullopt));
}

}  // namespace
}  // namespace velpack
