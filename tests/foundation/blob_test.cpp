#include <REDudi/bytes.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

using namespace REDudi;

namespace {

TEST(BlobTest, WriteRefusesEmptyArguments) {
    ABlob blob;
    const char bytes[] = "abc";
    EXPECT_FALSE(blob.Write(bytes, 0));
    EXPECT_FALSE(blob.Write(nullptr, 3));
    EXPECT_EQ(0u, blob.GetSize());
}

TEST(BlobTest, WriteCopiesAndReadNeedsRoom) {
    ABlob blob;
    char bytes[] = {'a', 'b', 'c'};
    ASSERT_TRUE(blob.Write(bytes, 3));
    bytes[0] = 'z';
    EXPECT_EQ(3u, blob.GetSize());
    char small[2] = {};
    EXPECT_FALSE(blob.Read(small, 2));
    char exact[3] = {};
    ASSERT_TRUE(blob.Read(exact, 3));
    EXPECT_EQ(0, std::memcmp("abc", exact, 3));
    EXPECT_FALSE(blob.Read(nullptr, 3));
}

TEST(BlobTest, EmptyBlobCannotBeRead) {
    ABlob blob;
    char dest[4];
    EXPECT_FALSE(blob.Read(dest, 4));
    EXPECT_EQ(nullptr, blob.AccessBuffer());
}

TEST(BlobTest, AttachWithoutOwnershipLeavesBlockAlive) {
    char block[] = {'x', 'y'};
    {
        ABlob blob;
        ASSERT_TRUE(blob.Attach(block, 2, false));
        unsigned int size = 0;
        EXPECT_EQ(block, blob.AccessBuffer(size));
        EXPECT_EQ(2u, size);
        block[1] = 'q'; // the blob refers, it did not copy
        char dest[2];
        ASSERT_TRUE(blob.Read(dest, 2));
        EXPECT_EQ('q', dest[1]);
    }
    EXPECT_EQ('x', block[0]);
    ABlob blob;
    EXPECT_FALSE(blob.Attach(nullptr, 2, false));
    EXPECT_FALSE(blob.Attach(block, 0, false));
}

// An owned block is freed by the blob; the sanitizer build reports a leak
// or a double free if ownership is mishandled.
TEST(BlobTest, AttachWithOwnershipAndDetach) {
    ABlob blob;
    unsigned char* block = new unsigned char[4]{1, 2, 3, 4};
    ASSERT_TRUE(blob.Attach(block, 4, true));
    unsigned int size = 0;
    void* detached = blob.Detach(size);
    EXPECT_EQ(block, detached);
    EXPECT_EQ(4u, size);
    EXPECT_EQ(0u, blob.GetSize());
    EXPECT_EQ(nullptr, blob.AccessBuffer());
    EXPECT_EQ(nullptr, blob.Detach(size));
    EXPECT_EQ(3, block[2]); // still alive: the caller owns it now
    ASSERT_TRUE(blob.Attach(block, 4, true));
}

TEST(BlobTest, CopiesOwnTheirBytes) {
    ABlob source;
    ASSERT_TRUE(source.Write("hello", 5));
    ABlob copy(source);
    ABlob assigned;
    ASSERT_TRUE(assigned.Write("x", 1));
    assigned = source;
    assigned = assigned;
    EXPECT_NE(source.AccessBuffer(), copy.AccessBuffer());
    EXPECT_NE(source.AccessBuffer(), assigned.AccessBuffer());
    ASSERT_EQ(5u, assigned.GetSize());
    EXPECT_EQ(0, std::memcmp("hello", assigned.AccessBuffer(), 5));
    EXPECT_EQ(0, std::memcmp("hello", copy.AccessBuffer(), 5));
    source.Clear();
    ABlob fromEmpty(source);
    EXPECT_EQ(0u, fromEmpty.GetSize());
    assigned = source;
    EXPECT_EQ(0u, assigned.GetSize());
}

#ifdef _WIN32
// The probes turn inaccessible caller memory into a plain failure instead of
// an access violation.
TEST(BlobTest, InaccessibleCallerMemoryFails) {
    void* unmapped = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x10));
    ABlob blob;
    EXPECT_FALSE(blob.Write(unmapped, 8));
    EXPECT_FALSE(blob.Attach(unmapped, 8, false));
    ASSERT_TRUE(blob.Write("abc", 3));
    EXPECT_FALSE(blob.Read(unmapped, 8));
    const char* readOnly = "read-only literal";
    EXPECT_FALSE(blob.Read(const_cast<char*>(readOnly), 3));
    EXPECT_EQ(3u, blob.GetSize());
}
#endif

} // namespace
