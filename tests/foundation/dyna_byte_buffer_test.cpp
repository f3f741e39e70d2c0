#include <REDudi/bytes.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

using namespace REDudi;
using namespace std::string_literals;

namespace {

std::string Queued(const ADynaByteBuffer& buffer) {
    char dest[256];
    unsigned int length = 0;
    return buffer.PeekAllData(dest, sizeof dest, &length) ? std::string(dest, length)
                                                          : "<too large>";
}

// Storage size, then what is queued.
std::string State(const ADynaByteBuffer& buffer) {
    return std::to_string(buffer.GetNumStorageBytes()) + " " + Queued(buffer);
}

// Trimming fits the storage to the data, clearing keeps it; copies own their bytes.
TEST(DynaByteBufferTest, TrimClearAndCopies) {
    ADynaByteBuffer buffer(4, 2);
    ASSERT_TRUE(buffer.AddToBuffer("abcde", 5) && buffer.Trim());
    EXPECT_EQ("5 abcde", State(buffer));
    ASSERT_TRUE(buffer.AddByte('f'));
    EXPECT_EQ("7 abcdef", State(buffer));
    buffer.ClearBuffer();
    EXPECT_EQ("7 ", State(buffer));
    EXPECT_TRUE(buffer.Trim());
    EXPECT_EQ("0 ", State(buffer));
    ASSERT_TRUE(buffer.AddByte('g'));
    EXPECT_EQ("5120 ", State(ADynaByteBuffer()));
    ADynaByteBuffer copy(buffer), assigned;
    copy.AddByte('h');
    assigned = copy;
    assigned = assigned;
    copy.ClearBuffer();
    EXPECT_EQ("2 g", State(buffer));
    EXPECT_EQ("2 gh", State(assigned));
}

// One addition grows by whole steps at once; beyond 32 bits it is refused, queue kept.
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
        SCOPED_TRACE("row " + std::to_string(&row - rows));
        ADynaByteBuffer buffer(row[0], row[1]);
        ASSERT_TRUE(row[2] == 0 || buffer.AddToBuffer(filler.c_str(), row[2]));
        const std::string added(row[4] ? row[3] : 1, 'a');
        EXPECT_EQ(row[4] != 0, buffer.AddToBuffer(added.c_str(), row[3]));
        EXPECT_EQ(row[5], buffer.GetNumStorageBytes());
        EXPECT_EQ(row[2] + (row[4] ? row[3] : 0), buffer.GetNumDataBytes());
    }
}

// Requests on a full queue: the result, the bytes written (a terminator when no length
// is reported) and what stays queued. Refusals change nothing; limits from both sides.
TEST(DynaByteBufferTest, RequestTable) {
    using Request = bool (*)(ADynaByteBuffer&, char*, unsigned int*);
#define REQUEST(call)                                                                              \
    [](ADynaByteBuffer& b, char* d, unsigned int* n) -> bool { return (void)d, (void)n, call; }
    const std::string all = "ab\r\nac";
    const struct {
        const char* what;
        Request request;
        bool ok;
        std::string written, left;
    } rows[] = {
        // clang-format off
        {"get 0", REQUEST(b.GetData(d, 0, false)), false, "", all},
        {"get all 6", REQUEST(b.GetData(d, 6, false)), true, all, ""},
        {"get 7", REQUEST(b.GetData(d, 7, false)), false, "", all},
        {"get 2 kept", REQUEST(b.GetData(d, 2, true)), true, "ab", all},
        {"peek 4", REQUEST(b.PeekData(d, 4)), true, "ab\r\n", all},
        {"get to null", REQUEST(b.GetData(nullptr, 2, false)), false, "", all},
        {"up to CRLF", REQUEST(b.GetDataUpTo("\r\n", 2, d, 10, nullptr, false, false)), true, "ab\0"s, "ac"},
        {"up to CRLF incl", REQUEST(b.GetDataUpTo("\r\n", 2, d, 10, nullptr, true, false)), true, "ab\r\n\0"s, "ac"},
        {"up to, dest 3", REQUEST(b.GetDataUpTo("\r\n", 2, d, 3, nullptr, false, false)), true, "ab\0"s, "ac"},
        {"up to, dest 2", REQUEST(b.GetDataUpTo("\r\n", 2, d, 2, nullptr, false, false)), false, "", all},
        {"up to byte, dest 2", REQUEST(b.GetDataUpTo('\r', d, 2, nullptr, false, false)), false, "", all},
        {"up to absent", REQUEST(b.GetDataUpTo("\n\n", 2, d, 10, nullptr, false, false)), false, "", all},
        {"up to absent byte", REQUEST(b.GetDataUpTo('x', d, 10, nullptr, false, false)), false, "", all},
        {"up to null delimiter", REQUEST(b.GetDataUpTo(nullptr, 2, d, 10, nullptr, false, false)), false, "", all},
        {"up to empty delimiter", REQUEST(b.GetDataUpTo(nullptr, 0, d, 10, nullptr, false, false)), true, "\0"s, all},
        {"up to, null dest", REQUEST(b.GetDataUpTo("\r\n", 2, nullptr, 10, nullptr, false, false)), false, "", all},
        {"peek up to, length", REQUEST(b.PeekDataUpTo('\n', d, 10, n, true)), true, "ab\r\n", all},
        {"up to byte kept", REQUEST(b.GetDataUpTo('\n', d, 10, nullptr, false, true)), true, "ab\r\0"s, all},
        {"up to ac, past a partial match", REQUEST(b.PeekDataUpTo("ac", 2, d, 10, n, false)), true, "ab\r\n", all},
        {"all, dest 6", REQUEST(b.GetAllData(d, 6, n, false)), true, all, ""},
        {"all, dest 5", REQUEST(b.GetAllData(d, 5, nullptr, false)), false, "", all},
        {"all, dest 0", REQUEST(b.GetAllData(d, 0, nullptr, false)), false, "", all},
        {"all, null dest", REQUEST(b.GetAllData(nullptr, 10, nullptr, false)), false, "", all},
        {"peek all, dest 6: no room for a terminator", REQUEST(b.PeekAllData(d, 6, nullptr)), true, all, all},
        {"peek all, dest 7", REQUEST(b.PeekAllData(d, 7, nullptr)), true, all + '\0', all},
        {"find at the end", REQUEST(b.IsInBuffer("ac", 2)), true, "", all},
        {"find all", REQUEST(b.IsInBuffer("ab\r\nac", 6)), true, "", all},
        {"find 7", REQUEST(b.IsInBuffer("ab\r\nacx", 7)), false, "", all},
        {"find past the end", REQUEST(b.IsInBuffer("acx", 3)), false, "", all},
        {"find empty", REQUEST(b.IsInBuffer("", 0)), true, "", all},
        {"find null, 0", REQUEST(b.IsInBuffer(nullptr, 0)), true, "", all},
        {"find null, 1", REQUEST(b.IsInBuffer(nullptr, 1)), false, "", all},
        {"find last byte", REQUEST(b.IsInBuffer('c')), true, "", all},
        {"find absent byte", REQUEST(b.IsInBuffer('x')), false, "", all},
        {"add null", REQUEST(b.AddToBuffer(nullptr, 3)), false, "", all},
        {"add null text", REQUEST(b.AddToBuffer(nullptr, 0xFFFFFFFF)), false, "", all},
        {"add text", REQUEST(b.AddToBuffer("x\0y", 0xFFFFFFFF)), true, "", all + "x"},
        {"add byte", REQUEST(b.AddByte('\0')), true, "", all + '\0'},
        // clang-format on
    };
#undef REQUEST
    for (const auto& row : rows) {
        ADynaByteBuffer buffer(6, 1);
        ASSERT_TRUE(buffer.AddToBuffer(all.data(), 6));
        char dest[16];
        std::memset(dest, 'Z', sizeof dest);
        unsigned int length = 99;
        EXPECT_EQ(row.ok, row.request(buffer, dest, &length)) << row.what;
        EXPECT_EQ(row.written + 'Z', std::string(dest, row.written.size() + 1)) << row.what;
        EXPECT_TRUE(length == 99 || length == row.written.size()) << row.what;
        EXPECT_EQ(row.left, Queued(buffer)) << row.what;
    }
}

// Lines added in pieces splitting them at odd places come out whole and in order.
TEST(DynaByteBufferTest, ProducerAndConsumerThreadsShareOneBuffer) {
    constexpr int kLines = 2000;
    ADynaByteBuffer buffer(16, 8);
    std::thread producer([&buffer] {
        std::string lines;
        for (int i = 0; i < kLines; ++i)
            lines += std::to_string(i) + "\n";
        for (std::size_t at = 0; at < lines.size(); at += 5)
            buffer.AddToBuffer(lines.substr(at, 5).c_str(), 0xFFFFFFFF); // up to the terminator
    });
    int next = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (next < kLines && std::chrono::steady_clock::now() < deadline) {
        char line[16];
        if (buffer.GetDataUpTo('\n', line, sizeof line, nullptr, false, false))
            EXPECT_EQ(std::to_string(next++), line);
        else
            std::this_thread::yield();
    }
    producer.join();
    EXPECT_EQ(kLines, next);
    EXPECT_EQ(0u, buffer.GetNumDataBytes());
}

} // namespace
