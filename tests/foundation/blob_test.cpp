#include <REDudi/bytes.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

using namespace REDudi;

namespace {

// Refused arguments, a copying write, a read of all or nothing, attaching a block.
TEST(BlobTest, WriteReadAndAttachWithoutOwnership) {
    ABlob blob;
    char bytes[] = {'a', 'b', 'c'}, dest[4] = {};
    EXPECT_FALSE(blob.Write(bytes, 0));
    EXPECT_FALSE(blob.Write(nullptr, 3));
    EXPECT_FALSE(blob.Read(dest, 4)); // nothing to read
    EXPECT_EQ(nullptr, blob.AccessBuffer());
    ASSERT_TRUE(blob.Write(bytes, 3));
    bytes[0] = 'z';
    EXPECT_EQ(3u, blob.GetSize());
    EXPECT_FALSE(blob.Read(dest, 2));
    EXPECT_FALSE(blob.Read(nullptr, 3));
    ASSERT_TRUE(blob.Read(dest, 3));
    EXPECT_EQ(0, std::memcmp("abc", dest, 3));
    EXPECT_FALSE(blob.Attach(nullptr, 2, false));
    EXPECT_FALSE(blob.Attach(bytes, 0, false));
    ASSERT_TRUE(blob.Attach(bytes, 2, false));
    unsigned int size = 0;
    EXPECT_EQ(bytes, blob.AccessBuffer(size));
    EXPECT_EQ(2u, size);
    bytes[1] = 'q';
    ASSERT_TRUE(blob.Read(dest, 2));
    EXPECT_EQ('q', dest[1]);
}

// Owned blocks (the sanitizer build reports a leak or a double free) and copies.
TEST(BlobTest, OwnershipAndCopies) {
    ABlob blob, assigned;
    unsigned char* block = new unsigned char[4]{1, 2, 3, 4};
    ASSERT_TRUE(blob.Attach(block, 4, true));
    unsigned int size = 0;
    EXPECT_EQ(block, blob.Detach(size));
    EXPECT_EQ(4u, size);
    EXPECT_EQ(0u, blob.GetSize());
    EXPECT_EQ(nullptr, blob.Detach(size));
    EXPECT_EQ(3, block[2]); // still alive: the caller owns it now
    ASSERT_TRUE(blob.Attach(block, 4, true));
    ABlob copy(blob);
    ASSERT_TRUE(assigned.Write("x", 1));
    assigned = blob;
    assigned = assigned;
    for (ABlob* each : {&copy, &assigned}) {
        EXPECT_NE(blob.AccessBuffer(), each->AccessBuffer());
        ASSERT_EQ(4u, each->GetSize());
        EXPECT_EQ(0, std::memcmp(block, each->AccessBuffer(), 4));
    }
    blob.Clear();
    EXPECT_EQ(0u, ABlob(blob).GetSize());
    assigned = blob;
    EXPECT_EQ(0u, assigned.GetSize());
}

#ifdef _WIN32
// Inaccessible caller memory is a plain failure, not an access violation.
TEST(BlobTest, InaccessibleCallerMemoryFails) {
    void* unmapped = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x10));
    ABlob blob;
    EXPECT_FALSE(blob.Write(unmapped, 8));
    EXPECT_FALSE(blob.Attach(unmapped, 8, false));
    ASSERT_TRUE(blob.Write("abc", 3));
    EXPECT_FALSE(blob.Read(unmapped, 8));
    EXPECT_FALSE(blob.Read(const_cast<char*>("read-only literal"), 3));
    EXPECT_EQ(3u, blob.GetSize());
}
#endif

} // namespace
