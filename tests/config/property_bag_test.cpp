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
    PString value("kept");
    EXPECT_FALSE(bag->SetProperty("Name", static_cast<const char*>(nullptr)));
    EXPECT_FALSE(bag->SetProperty(nullptr, "v"));
    EXPECT_FALSE(bag->SetProperty(nullptr, 5u, 1));
    EXPECT_FALSE(wide->SetProperty("Name", static_cast<const unsigned short*>(nullptr)));
    EXPECT_FALSE(bag->GetProperty(nullptr, value));
    EXPECT_FALSE(bag->GetProperty("Name", value, 0));
    EXPECT_EQ("kept", value);
    EXPECT_TRUE(bag->Begin().AtEnd());
    EXPECT_TRUE(wide->Begin().AtEnd());
}

// An indexed name is the name followed by the index in decimal; numbers are
// stored as their decimal text.
TEST_F(PropertyBagTest, IndexedNamesAndNumbersAreDecimal) {
    struct Row {
        const char* name;
        unsigned int index;
        const char* key;
    } rows[] = {{"Port", 0, "Port0"},
                {"Port", 12, "Port12"},
                {"X", 4294967295u, "X4294967295"},
                {"", 7, "7"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        PString value, number = std::to_string(row.index).c_str();
        UString wideValue;
        ASSERT_TRUE(bag->SetProperty(row.key, row.key));
        EXPECT_TRUE(bag->GetVariableValue(PString(row.name), value, row.index));
        EXPECT_EQ(row.key, value);
        ASSERT_TRUE(bag->SetProperty(row.name, row.index, row.index));
        ASSERT_TRUE(wide->SetProperty(row.name, row.index, row.index));
        EXPECT_TRUE(bag->GetVariableValue(PString(row.key), value));
        EXPECT_TRUE(wide->GetVariableValue(PString(row.key), wideValue));
        EXPECT_EQ(number, value);
        EXPECT_EQ(Wide(number), wideValue);
    }
}

// Narrow numbers follow atol, wide ones wcstoul; an empty wide text is no number.
TEST_F(PropertyBagTest, NumbersFollowAtolAndWcstoul) {
    struct Row {
        const char* text;
        unsigned int narrow;
        bool wideFound;
        unsigned int wide;
    } rows[] = {{"", 0, false, 99},
                {"abc", 0, true, 0},
                {"  17x", 17, true, 17},
                {"-1", 0xFFFFFFFFu, true, 4294967295u},
                {"2147483647", 2147483647u, true, 2147483647u},
                {"2147483648", 2147483647u, true, 2147483648u},
                {"-2147483648", 0x80000000u, true, 2147483648u},
                {"-2147483649", 0x80000000u, true, 2147483647u},
                {"4294967296", 2147483647u, true, 4294967295u}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        ASSERT_TRUE(bag->SetProperty("n", row.text));
        ASSERT_TRUE(wide->SetProperty("n", Wide(row.text).c_str()));
        unsigned int narrow = 99, wideValue = 99;
        EXPECT_TRUE(bag->GetProperty("n", narrow));
        EXPECT_EQ(row.wideFound, wide->GetProperty("n", wideValue));
        EXPECT_EQ(row.narrow, narrow);
        EXPECT_EQ(row.wide, wideValue);
    }
    unsigned int untouched = 99;
    EXPECT_FALSE(bag->GetProperty("missing", untouched, 1));
    EXPECT_EQ(99u, untouched);
}

TEST_F(PropertyBagTest, IterationRunsInByteOrderOfCaseSensitiveKeys) {
    for (const char* key : {"b", "A", "a", "\xE9", "B", "a"}) {
        ASSERT_TRUE(bag->SetProperty(key, key));
        ASSERT_TRUE(wide->SetProperty(key, Wide("w").c_str()));
    }
    std::string narrowOrder, wideOrder;
    PString key;
    for (PropertyBag::Iterator it = bag->Begin(); !it.AtEnd() && it.GetKey(key); it.Next())
        narrowOrder += key;
    PropertyBagUnicode::Iterator wit = wide->Begin();
    for (bool more = wit.First(); more && !wit.AtEnd() && wit.GetKey(key); wit.Next())
        wideOrder += key;
    EXPECT_EQ("ABab\xE9", narrowOrder);
    EXPECT_EQ(narrowOrder, wideOrder);
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
    std::unique_ptr<PropertyBag> copy(new PropertyBag(*bag)),
        other(PropertyBag::GetNewPropertyBag());
    ASSERT_TRUE(copy->SetProperty("b", "2"));
    ASSERT_TRUE(other->SetProperty("z", "9"));
    bag.reset();
    PString value;
    EXPECT_TRUE(copy->GetProperty("a", value)); // would fail on a shared, deleted lock
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
    const int kThreads = 4, kRounds = 300;
    std::vector<std::future<int>> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.push_back(std::async(std::launch::async, [this, t] {
            int bad = 0;
            std::string mine = "t" + std::to_string(t), text(64, static_cast<char>('a' + t));
            for (int i = 0; i < kRounds; ++i) {
                PString value;
                bag->SetProperty(mine.c_str(), text.c_str(), static_cast<unsigned int>(i % 50));
                bag->SetProperty("shared", text.c_str());
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
