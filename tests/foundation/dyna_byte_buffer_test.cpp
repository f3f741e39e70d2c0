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

// Trimming fits the storage to the data; clearing keeps the storage.
TEST(DynaByteBufferTest, TrimClearAndCopies) {
    ADynaByteBuffer buffer(4, 2);
    ASSERT_TRUE(buffer.AddToBuffer("abcde", 5));
    ASSERT_TRUE(buffer.Trim());
    EXPECT_EQ(5u, buffer.GetNumStorageBytes());
    ASSERT_TRUE(buffer.AddByte('f'));
    EXPECT_EQ(7u, buffer.GetNumStorageBytes());
    EXPECT_EQ("abcdef", Queued(buffer));
    buffer.ClearBuffer();
    EXPECT_EQ(7u, buffer.GetNumStorageBytes());
    EXPECT_TRUE(buffer.Trim());
    EXPECT_EQ(0u, buffer.GetNumStorageBytes());
    ASSERT_TRUE(buffer.AddByte('g'));
    EXPECT_EQ("g", Queued(buffer));
    EXPECT_EQ(5120u, ADynaByteBuffer().GetNumStorageBytes());
    // Copies own their bytes.
    ADynaByteBuffer copy(buffer), assigned;
    copy.AddByte('h');
    assigned = copy;
    assigned = assigned;
    copy.ClearBuffer();
    EXPECT_EQ("g", Queued(buffer));
    EXPECT_EQ("gh", Queued(assigned));
}

// One addition grows to the first whole number of steps that fits; a size
// beyond 32 bits is refused at once and leaves the queue as it was.
TEST(DynaByteBufferTest, AdditionGrowsByWholeStepsOnce) {
    // Initial size, step, bytes queued, bytes added, accepted, storage after.
    const unsigned rows[][6] = {{4, 2, 0, 4, 1, 4},
                                {4, 2, 0, 5, 1, 6},
                                {4, 2, 0, 6, 1, 6},
                                {4, 2, 0, 7, 1, 8},
                                {4, 3, 1, 7, 1, 10},
                                {4, 3, 1, 6, 1, 7},
                                {0, 1024, 0, 1, 1, 1024},
                                {8, 1024, 5, 0xFFFFFFFCu, 0, 8},
                                {8, 1024, 5, 0xFFFFFFFAu, 0, 8}};
    const std::string filler(16, 'q');
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row[0]) + "/" + std::to_string(row[1]) + " + " +
                     std::to_string(row[3]));
        ADynaByteBuffer buffer(row[0], row[1]);
        ASSERT_TRUE(row[2] == 0 || buffer.AddToBuffer(filler.c_str(), row[2]));
        const std::string added(row[4] ? row[3] : 1, 'a');
        EXPECT_EQ(row[4] != 0, buffer.AddToBuffer(added.c_str(), row[3]));
        EXPECT_EQ(row[5], buffer.GetNumStorageBytes());
        EXPECT_EQ(row[2] + (row[4] ? row[3] : 0), buffer.GetNumDataBytes());
    }
}

// Requests on a queue holding "ab\r\ncd": what each returns, what it copies
// (as text up to a terminator, or `length` bytes when it reports a length),
// and what stays queued. Refusals change nothing; every limit is tried from
// both sides.
TEST(DynaByteBufferTest, RequestTable) {
    using Request = bool (*)(ADynaByteBuffer&, char*, unsigned int*);
#define REQUEST(call)                                                                              \
    [](ADynaByteBuffer& b, char* d, unsigned int* n) -> bool { return (void)d, (void)n, call; }
    const std::string all = "ab\r\ncd";
    const struct {
        const char* what;
        Request request;
        bool ok;
        std::string copied, left;
    } rows[] = {
        // clang-format off
        {"get 0", REQUEST(b.GetData(d, 0, false)), false, "", all},
        {"get all 6", REQUEST(b.GetData(d, 6, false)), true, all, ""},
        {"get 7", REQUEST(b.GetData(d, 7, false)), false, "", all},
        {"get 2 kept", REQUEST(b.GetData(d, 2, true)), true, "ab", all},
        {"peek 4", REQUEST(b.PeekData(d, 4)), true, "ab\r\n", all},
        {"get to null", REQUEST(b.GetData(nullptr, 2, false)), false, "", all},
        {"up to CRLF", REQUEST(b.GetDataUpTo("\r\n", 2, d, 10, nullptr, false, false)), true, "ab", "cd"},
        {"up to CRLF incl", REQUEST(b.GetDataUpTo("\r\n", 2, d, 10, nullptr, true, false)), true, "ab\r\n", "cd"},
        {"up to, dest 3", REQUEST(b.GetDataUpTo("\r\n", 2, d, 3, nullptr, false, false)), true, "ab", "cd"},
        {"up to, dest 2", REQUEST(b.GetDataUpTo("\r\n", 2, d, 2, nullptr, false, false)), false, "", all},
        {"up to byte, dest 2", REQUEST(b.GetDataUpTo('\r', d, 2, nullptr, false, false)), false, "", all},
        {"up to absent", REQUEST(b.GetDataUpTo("\n\n", 2, d, 10, nullptr, false, false)), false, "", all},
        {"up to absent byte", REQUEST(b.GetDataUpTo('x', d, 10, nullptr, false, false)), false, "", all},
        {"up to null delimiter", REQUEST(b.GetDataUpTo(nullptr, 2, d, 10, nullptr, false, false)), false, "", all},
        {"up to empty delimiter", REQUEST(b.GetDataUpTo(nullptr, 0, d, 10, nullptr, false, false)), true, "", all},
        {"up to, null dest", REQUEST(b.GetDataUpTo("\r\n", 2, nullptr, 10, nullptr, false, false)), false, "", all},
        {"peek up to, length", REQUEST(b.PeekDataUpTo('\n', d, 10, n, true)), true, "ab\r\n", all},
        {"up to byte kept", REQUEST(b.GetDataUpTo('\n', d, 10, nullptr, false, true)), true, "ab\r", all},
        {"all, dest 6", REQUEST(b.GetAllData(d, 6, n, false)), true, all, ""},
        {"all, dest 5", REQUEST(b.GetAllData(d, 5, nullptr, false)), false, "", all},
        {"all, dest 0", REQUEST(b.GetAllData(d, 0, nullptr, false)), false, "", all},
        {"all, null dest", REQUEST(b.GetAllData(nullptr, 10, nullptr, false)), false, "", all},
        {"peek all, dest 7", REQUEST(b.PeekAllData(d, 7, nullptr)), true, all, all},
        {"add null", REQUEST(b.AddToBuffer(nullptr, 3)), false, "", all},
        {"add null text", REQUEST(b.AddToBuffer(nullptr, 0xFFFFFFFF)), false, "", all},
        {"add text", REQUEST(b.AddToBuffer("x\0y", 0xFFFFFFFF)), true, "", all + "x"},
        {"add byte", REQUEST(b.AddByte('\0')), true, "", all + '\0'},
        // clang-format on
    };
#undef REQUEST
    for (const auto& row : rows) {
        ADynaByteBuffer buffer(6, 1); // exactly full
        ASSERT_TRUE(buffer.AddToBuffer("ab\r\ncd", 6));
        char dest[16];
        std::memset(dest, 'Z', sizeof dest);
        unsigned int length = 99;
        EXPECT_EQ(row.ok, row.request(buffer, dest, &length)) << row.what;
        if (row.ok && !row.copied.empty()) {
            const bool counted = length != 99;
            EXPECT_EQ(row.copied, std::string(dest, counted ? length : row.copied.size()))
                << row.what;
            EXPECT_EQ('Z', dest[row.copied.size() + (counted ? 0 : 1)]) << row.what;
        }
        EXPECT_EQ(row.left, Queued(buffer)) << row.what;
    }
}

// An exactly full destination gets no terminator, a larger one does.
TEST(DynaByteBufferTest, TerminatorOnlyWhenThereIsRoom) {
    ADynaByteBuffer buffer;
    buffer.AddToBuffer("abc", 3);
    char dest[5] = "ZZZZ";
    ASSERT_TRUE(buffer.PeekAllData(dest, 3, nullptr));
    EXPECT_STREQ("abcZ", dest);
    ASSERT_TRUE(buffer.PeekAllData(dest, 5, nullptr));
    EXPECT_STREQ("abc", dest);
}

TEST(DynaByteBufferTest, SearchFindsPatternsAtTheEdges) {
    ADynaByteBuffer buffer(3, 1);
    buffer.AddToBuffer("aababc", 6);
    const struct {
        const char* pattern;
        unsigned int length;
        bool found;
    } rows[] = {{"abc", 3, true},    {"aab", 3, true},      {"", 0, true},
                {nullptr, 0, true},  {nullptr, 1, false},   {"abcd", 4, false},
                {"aababc", 6, true}, {"aababcx", 7, false}, {"bc", 2, true}};
    for (const auto& row : rows)
        EXPECT_EQ(row.found, buffer.IsInBuffer(row.pattern, row.length))
            << (row.pattern ? row.pattern : "(null)") << " " << row.length;
    EXPECT_TRUE(buffer.IsInBuffer('c'));
    EXPECT_TRUE(buffer.IsInBuffer('a'));
    EXPECT_FALSE(buffer.IsInBuffer('x'));
    char dest[8];
    unsigned int length = 0;
    ASSERT_TRUE(buffer.PeekDataUpTo("abc", 3, dest, 8, &length, false));
    EXPECT_EQ(3u, length); // the first match, after the partial one at 1
}

// A producer adds numbered lines in pieces that split them at odd places
// while a consumer takes whole lines, in order, or gives up at a deadline.
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
