#include <REDudi/bytes.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

using namespace REDudi;

namespace {

// Empty arguments are refused; a write copies, and a read needs room for
// all of it.
TEST(BlobTest, WriteCopiesAndReadNeedsRoom) {
    ABlob blob;
    char bytes[] = {'a', 'b', 'c'};
    char dest[4] = {};
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
}

TEST(BlobTest, AttachWithoutOwnershipLeavesBlockAlive) {
    char block[] = {'x', 'y'};
    {
        ABlob blob;
        EXPECT_FALSE(blob.Attach(nullptr, 2, false));
        EXPECT_FALSE(blob.Attach(block, 0, false));
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
}

// An owned block is freed by the blob; the sanitizer build reports a leak
// or a double free if ownership is mishandled.
TEST(BlobTest, AttachWithOwnershipAndDetach) {
    ABlob blob;
    unsigned char* block = new unsigned char[4]{1, 2, 3, 4};
    ASSERT_TRUE(blob.Attach(block, 4, true));
    unsigned int size = 0;
    EXPECT_EQ(block, blob.Detach(size));
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
    for (ABlob* blob : {&copy, &assigned}) {
        EXPECT_NE(source.AccessBuffer(), blob->AccessBuffer());
        ASSERT_EQ(5u, blob->GetSize());
        EXPECT_EQ(0, std::memcmp("hello", blob->AccessBuffer(), 5));
    }
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
