#include <REDudi/config.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

using namespace REDudi;

namespace {

UString Wide(const std::string& ascii) {
    return UString(UnicodeStdString(ascii.begin(), ascii.end()));
}

class PropertyBagTest : public ::testing::Test {
protected:
    std::unique_ptr<PropertyBag> bag{PropertyBag::GetNewPropertyBag()};
    std::unique_ptr<PropertyBagUnicode> wide{PropertyBagUnicode::GetNewPropertyBag()};
};

TEST_F(PropertyBagTest, NullArgumentsAreRefusedAndStoreNothing) {
    EXPECT_FALSE(bag->SetProperty("Name", static_cast<const char*>(nullptr)));
    EXPECT_FALSE(bag->SetProperty(nullptr, "v"));
    EXPECT_FALSE(bag->SetProperty(nullptr, 5u, 1));
    EXPECT_FALSE(wide->SetProperty("Name", static_cast<const unsigned short*>(nullptr)));
    PString value("kept");
    EXPECT_FALSE(bag->GetProperty(nullptr, value));
    EXPECT_FALSE(bag->GetProperty("Name", value, 0));
    EXPECT_EQ("kept", value);
    EXPECT_TRUE(bag->Begin().AtEnd());
    EXPECT_TRUE(wide->Begin().AtEnd());
}

TEST_F(PropertyBagTest, IndexedNamesAreNameFollowedByDecimalIndex) {
    struct Row {
        const char* name;
        unsigned int index;
        const char* key;
    } rows[] = {{"Port", 0, "Port0"}, {"Port", 12, "Port12"}, {"Item", 3, "Item3"},
                {"X", 4294967295u, "X4294967295"}, {"", 7, "7"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        ASSERT_TRUE(bag->SetProperty(row.key, row.key));
        PString value;
        EXPECT_TRUE(bag->GetVariableValue(PString(row.name), value, row.index));
        EXPECT_EQ(row.key, value);
        ASSERT_TRUE(bag->SetProperty(row.name, "set by index", row.index));
        EXPECT_TRUE(bag->GetVariableValue(PString(row.key), value));
        EXPECT_EQ("set by index", value);
        UString wideValue;
        ASSERT_TRUE(wide->SetProperty(row.name, 5u, row.index));
        EXPECT_TRUE(wide->GetVariableValue(PString(row.key), wideValue));
        EXPECT_EQ(Wide("5"), wideValue);
    }
}

TEST_F(PropertyBagTest, NarrowNumbersFollowAtol) {
    struct Row {
        const char* text;
        unsigned int expected;
    } rows[] = {{"", 0},          {"abc", 0},           {"42", 42},
                {"  17x", 17},    {"-1", 0xFFFFFFFFu},  {"2147483647", 2147483647u},
                {"2147483648", 2147483647u}, {"-2147483648", 0x80000000u},
                {"-2147483649", 0x80000000u}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        ASSERT_TRUE(bag->SetProperty("n", row.text));
        unsigned int value = 99;
        EXPECT_TRUE(bag->GetProperty("n", value));
        EXPECT_EQ(row.expected, value);
    }
    unsigned int untouched = 99;
    EXPECT_FALSE(bag->GetProperty("missing", untouched, 1));
    EXPECT_EQ(99u, untouched);
}

TEST_F(PropertyBagTest, WideNumbersFollowWcstoulAndEmptyIsNoNumber) {
    struct Row {
        const char* text;
        bool found;
        unsigned int expected;
    } rows[] = {{"", false, 99},      {"abc", true, 0},
                {" 123z", true, 123}, {"4294967295", true, 4294967295u},
                {"4294967296", true, 4294967295u}, {"-1", true, 4294967295u}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        ASSERT_TRUE(wide->SetProperty("n", Wide(row.text).c_str()));
        unsigned int value = 99;
        EXPECT_EQ(row.found, wide->GetProperty("n", value));
        EXPECT_EQ(row.expected, value);
    }
    for (unsigned int number : {0u, 4294967295u}) {
        ASSERT_TRUE(wide->SetProperty("s", number, 2));
        ASSERT_TRUE(bag->SetProperty("s", number, 2));
        UString text;
        PString narrow;
        ASSERT_TRUE(wide->GetProperty("s2", text));
        ASSERT_TRUE(bag->GetProperty("s2", narrow));
        EXPECT_EQ(std::to_string(number), narrow);
        EXPECT_EQ(Wide(narrow), text);
    }
}

TEST_F(PropertyBagTest, IterationRunsInByteOrderOfCaseSensitiveKeys) {
    for (const char* key : {"b", "A", "a", "\xE9", "B", "a"}) {
        ASSERT_TRUE(bag->SetProperty(key, key));
        ASSERT_TRUE(wide->SetProperty(key, Wide("w").c_str()));
    }
    std::string narrowOrder, wideOrder;
    PString key;
    for (PropertyBag::Iterator it = bag->Begin(); !it.AtEnd(); it.Next()) {
        ASSERT_TRUE(it.GetKey(key));
        narrowOrder += key;
    }
    PropertyBagUnicode::Iterator wit = wide->Begin();
    for (bool more = wit.First(); more && !wit.AtEnd(); wit.Next()) {
        ASSERT_TRUE(wit.GetKey(key));
        wideOrder += key;
    }
    EXPECT_EQ("ABab\xE9", narrowOrder);
    EXPECT_EQ(narrowOrder, wideOrder);
    EXPECT_TRUE(wit.AtEnd());
    EXPECT_FALSE(wit.Next()); // stays at the end
    UString value;
    EXPECT_FALSE(wit.GetValue(value));
    EXPECT_TRUE(bag->Clear());
    EXPECT_TRUE(bag->Begin().AtEnd());
    PropertyBag::Iterator unbound;
    EXPECT_TRUE(unbound.AtEnd());
    EXPECT_FALSE(unbound.First());
}

TEST_F(PropertyBagTest, CopiesAreIndependentAndOwnTheirLock) {
    ASSERT_TRUE(bag->SetProperty("a", "1"));
    std::unique_ptr<PropertyBag> copy(new PropertyBag(*bag));
    ASSERT_TRUE(copy->SetProperty("b", "2"));
    bag.reset();
    PString value;
    EXPECT_TRUE(copy->GetProperty("a", value)); // would fail on a shared, deleted lock
    std::unique_ptr<PropertyBag> other(PropertyBag::GetNewPropertyBag());
    ASSERT_TRUE(other->SetProperty("z", "9"));
    *other = *copy;
    copy.reset();
    EXPECT_FALSE(other->GetProperty("z", value));
    EXPECT_TRUE(other->GetProperty("b", value));
    ASSERT_TRUE(wide->SetProperty("w", Wide("x").c_str()));
    PropertyBagUnicode wideCopy(*wide);
    wide.reset();
    UString wideValue;
    EXPECT_TRUE(wideCopy.GetProperty("w", wideValue));
}

// Writers and readers share one bag; every value read must be one stored
// whole, and no entry may be lost.
TEST_F(PropertyBagTest, ThreadsFillAndReadOneBagAtOnce) {
    const int kThreads = 4, kRounds = 2000;
    std::vector<std::future<int>> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.push_back(std::async(std::launch::async, [this, t] {
            int bad = 0;
            std::string mine = "t" + std::to_string(t), text(64, static_cast<char>('a' + t));
            for (int i = 0; i < kRounds; ++i) {
                bag->SetProperty(mine.c_str(), text.c_str(), static_cast<unsigned int>(i % 50));
                bag->SetProperty("shared", text.c_str());
                PString value;
                bad += bag->GetProperty("shared", value) &&
                       value.find_first_not_of(value[0]) != std::string::npos;
            }
            return bad;
        }));
    }
    for (auto& worker : workers) {
        ASSERT_EQ(std::future_status::ready, worker.wait_for(std::chrono::seconds(30)));
        EXPECT_EQ(0, worker.get());
    }
    int entries = 0;
    for (PropertyBag::Iterator it = bag->Begin(); !it.AtEnd(); it.Next())
        ++entries;
    EXPECT_EQ(kThreads * 50 + 1, entries);
}

} // namespace
