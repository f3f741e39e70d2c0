#include <REDudi/bytes.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

using namespace REDudi;

namespace {

std::string Queued(const ADynaByteBuffer& buffer) {
    char dest[256];
    unsigned int length = 0;
    if (!buffer.PeekAllData(dest, sizeof dest, &length))
        return "<too large or empty>";
    return std::string(dest, length);
}

TEST(DynaByteBufferTest, GrowsByStepAndTrims) {
    ADynaByteBuffer buffer(4, 2);
    EXPECT_EQ(4u, buffer.GetNumStorageBytes());
    ASSERT_TRUE(buffer.AddToBuffer("abcde", 5));
    EXPECT_EQ(6u, buffer.GetNumStorageBytes());
    EXPECT_EQ(5u, buffer.GetNumDataBytes());
    ASSERT_TRUE(buffer.Trim());
    EXPECT_EQ(5u, buffer.GetNumStorageBytes());
    ASSERT_TRUE(buffer.AddByte('f'));
    EXPECT_EQ(7u, buffer.GetNumStorageBytes());
    EXPECT_EQ("abcdef", Queued(buffer));
    buffer.ClearBuffer();
    EXPECT_EQ(0u, buffer.GetNumDataBytes());
    EXPECT_EQ(7u, buffer.GetNumStorageBytes());
    EXPECT_TRUE(buffer.Trim());
    EXPECT_EQ(0u, buffer.GetNumStorageBytes());
    ASSERT_TRUE(buffer.AddByte('g'));
    EXPECT_EQ("g", Queued(buffer));
}

// One addition grows to the first whole number of steps that fits; a size
// beyond 32 bits is refused at once and leaves the queue as it was.
TEST(DynaByteBufferTest, AdditionGrowsByWholeStepsOnce) {
    const struct {
        unsigned initial, step, queued, added;
        bool accepted;
        unsigned storage;
    } rows[] = {
        {4, 2, 0, 4, true, 4},   {4, 2, 0, 5, true, 6},     {4, 2, 0, 6, true, 6},
        {4, 2, 0, 7, true, 8},   {4, 3, 1, 7, true, 10},    {4, 3, 1, 6, true, 7},
        {0, 1024, 0, 1, true, 1024}, {8, 1024, 5, 0xFFFFFFFCu, false, 8},
        {8, 1024, 5, 0xFFFFFFFAu, false, 8},
    };
    const std::string filler(16, 'q');
    for (const auto& row : rows) {
        ADynaByteBuffer buffer(row.initial, row.step);
        ASSERT_TRUE(row.queued == 0 || buffer.AddToBuffer(filler.c_str(), row.queued));
        const std::string added(row.accepted ? row.added : 1, 'a');
        EXPECT_EQ(row.accepted, buffer.AddToBuffer(added.c_str(), row.added))
            << row.initial << "/" << row.step << " + " << row.added;
        EXPECT_EQ(row.storage, buffer.GetNumStorageBytes()) << row.initial << "/" << row.step
                                                            << " + " << row.added;
        EXPECT_EQ(row.queued + (row.accepted ? row.added : 0), buffer.GetNumDataBytes());
    }
}

TEST(DynaByteBufferTest, AddsZeroTerminatedText) {
    ADynaByteBuffer buffer;
    EXPECT_EQ(5120u, buffer.GetNumStorageBytes());
    ASSERT_TRUE(buffer.AddToBuffer("hello\0ignored", 0xFFFFFFFF));
    EXPECT_EQ("hello", Queued(buffer));
}

TEST(DynaByteBufferTest, GetDataRemovesUnlessKept) {
    ADynaByteBuffer buffer(2, 3);
    buffer.AddToBuffer("abcdef", 6);
    char dest[8] = {};
    EXPECT_FALSE(buffer.GetData(dest, 0, false));
    EXPECT_FALSE(buffer.GetData(dest, 7, false));
    ASSERT_TRUE(buffer.PeekData(dest, 2));
    EXPECT_EQ("abcdef", Queued(buffer));
    ASSERT_TRUE(buffer.GetData(dest, 2, true));
    EXPECT_EQ("abcdef", Queued(buffer));
    ASSERT_TRUE(buffer.GetData(dest, 4, false));
    EXPECT_EQ(0, std::memcmp("abcd", dest, 4));
    EXPECT_EQ("ef", Queued(buffer));
}

TEST(DynaByteBufferTest, GetDataUpToTwoByteDelimiter) {
    for (bool include : {false, true}) {
        ADynaByteBuffer buffer;
        buffer.AddToBuffer("ab\r\ncd", 6);
        char dest[10];
        std::memset(dest, 'Z', sizeof dest);
        ASSERT_TRUE(buffer.GetDataUpTo("\r\n", 2, dest, 10, nullptr, include, false));
        EXPECT_STREQ(include ? "ab\r\n" : "ab", dest);
        EXPECT_EQ("cd", Queued(buffer));
    }
}

TEST(DynaByteBufferTest, GetDataUpToRefusalsChangeNothing) {
    ADynaByteBuffer buffer;
    buffer.AddToBuffer("ab\r\ncd", 6);
    char dest[10];
    EXPECT_FALSE(buffer.GetDataUpTo("\n\n", 2, dest, 10, nullptr, false, false));
    EXPECT_FALSE(buffer.GetDataUpTo('x', dest, 10, nullptr, false, false));
    // Two bytes to copy need room for the terminator too.
    EXPECT_FALSE(buffer.GetDataUpTo("\r\n", 2, dest, 2, nullptr, false, false));
    EXPECT_FALSE(buffer.GetDataUpTo('\r', dest, 2, nullptr, false, false));
    EXPECT_EQ("ab\r\ncd", Queued(buffer));
}

TEST(DynaByteBufferTest, SingleByteDelimiterWithLengthOutput) {
    ADynaByteBuffer buffer;
    buffer.AddToBuffer("key=value;rest", 0xFFFFFFFF);
    char dest[16];
    std::memset(dest, 'Z', sizeof dest);
    unsigned int length = 0;
    ASSERT_TRUE(buffer.PeekDataUpTo('=', dest, 16, &length, true));
    EXPECT_EQ(4u, length);
    EXPECT_EQ('Z', dest[4]); // no terminator when the length is reported
    ASSERT_TRUE(buffer.GetDataUpTo('=', dest, 16, &length, false, false));
    EXPECT_EQ(3u, length);
    ASSERT_TRUE(buffer.GetDataUpTo(";", 1, dest, 16, nullptr, false, false));
    EXPECT_STREQ("value", dest);
    EXPECT_EQ("rest", Queued(buffer));
}

TEST(DynaByteBufferTest, SearchFindsPatternsAtTheEdges) {
    ADynaByteBuffer buffer(3, 1);
    buffer.AddToBuffer("aababc", 6);
    EXPECT_TRUE(buffer.IsInBuffer("abc", 3));
    EXPECT_TRUE(buffer.IsInBuffer("aab", 3));
    EXPECT_TRUE(buffer.IsInBuffer("", 0));
    EXPECT_FALSE(buffer.IsInBuffer("abcd", 4));
    EXPECT_FALSE(buffer.IsInBuffer("aababcx", 7));
    EXPECT_TRUE(buffer.IsInBuffer('c'));
    EXPECT_FALSE(buffer.IsInBuffer('x'));
    char dest[8];
    unsigned int length = 0;
    ASSERT_TRUE(buffer.PeekDataUpTo("abc", 3, dest, 8, &length, false));
    EXPECT_EQ(3u, length); // the first match, after the partial one at 1
}

TEST(DynaByteBufferTest, AllDataTerminatorOnlyWhenThereIsRoom) {
    ADynaByteBuffer buffer;
    buffer.AddToBuffer("abc", 3);
    char exact[3];
    char room[5];
    std::memset(room, 'Z', sizeof room);
    EXPECT_FALSE(buffer.PeekAllData(exact, 2, nullptr));
    EXPECT_FALSE(buffer.PeekAllData(exact, 0, nullptr));
    ASSERT_TRUE(buffer.PeekAllData(exact, 3, nullptr)); // ASan catches a terminator here
    EXPECT_EQ(0, std::memcmp("abc", exact, 3));
    ASSERT_TRUE(buffer.GetAllData(room, 5, nullptr, true));
    EXPECT_STREQ("abc", room);
    ASSERT_TRUE(buffer.GetAllData(room, 5, nullptr, false));
    EXPECT_EQ(0u, buffer.GetNumDataBytes());
}

TEST(DynaByteBufferTest, CopiesAreIndependent) {
    ADynaByteBuffer buffer(4, 4);
    buffer.AddToBuffer("abc", 3);
    ADynaByteBuffer copy(buffer);
    copy.AddByte('d');
    EXPECT_EQ("abc", Queued(buffer));
    EXPECT_EQ("abcd", Queued(copy));
    ADynaByteBuffer assigned;
    assigned = copy;
    assigned = assigned;
    buffer.ClearBuffer();
    EXPECT_EQ("abcd", Queued(assigned));
    EXPECT_EQ(4u, assigned.GetNumStorageBytes());
}

// A producer adds numbered lines in pieces that split the lines at odd
// places while a consumer takes whole lines; the mutex keeps every line
// intact and in order. The consumer gives up after a deadline rather than
// hang.
TEST(DynaByteBufferTest, ProducerAndConsumerThreadsShareOneBuffer) {
    constexpr int kLines = 2000;
    ADynaByteBuffer buffer(16, 8);
    std::thread producer([&buffer] {
        std::string pending;
        for (int i = 0; i < kLines; ++i) {
            pending += std::to_string(i) + "\n";
            if (pending.size() >= 7) {
                buffer.AddToBuffer(pending.data(), 5);
                pending.erase(0, 5);
            }
        }
        buffer.AddToBuffer(pending.data(), static_cast<unsigned int>(pending.size()));
    });
    int next = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (next < kLines && std::chrono::steady_clock::now() < deadline) {
        char line[16];
        if (buffer.GetDataUpTo('\n', line, sizeof line, nullptr, false, false)) {
            if (std::to_string(next) != line) {
                ADD_FAILURE() << "line " << next << " came as " << line;
                break;
            }
            ++next;
        } else {
            std::this_thread::yield();
        }
    }
    producer.join();
    EXPECT_EQ(kLines, next);
    EXPECT_EQ(0u, buffer.GetNumDataBytes());
}

} // namespace
