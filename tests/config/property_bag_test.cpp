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

// Indexed names and numbers are decimal text; null arguments store nothing.
TEST_F(PropertyBagTest, IndexedNamesAndNumbersAreDecimal) {
    const char* rows[][3] = {{"Port", "0", "Port0"},
                             {"Port", "12", "Port12"},
                             {"X", "4294967295", "X4294967295"},
                             {"", "7", "7"}};
    for (auto& row : rows) {
        SCOPED_TRACE(row[2]);
        const unsigned int index = static_cast<unsigned int>(std::stoul(row[1]));
        PString value;
        UString wideValue;
        ASSERT_TRUE(bag->SetProperty(row[2], row[2]));
        EXPECT_TRUE(bag->GetVariableValue(PString(row[0]), value, index));
        EXPECT_EQ(row[2], value);
        ASSERT_TRUE(bag->SetProperty(row[0], index, index));
        ASSERT_TRUE(wide->SetProperty(row[0], index, index));
        EXPECT_TRUE(bag->GetVariableValue(PString(row[2]), value));
        EXPECT_TRUE(wide->GetVariableValue(PString(row[2]), wideValue));
        EXPECT_EQ(row[1], value);
        EXPECT_EQ(Wide(row[1]), wideValue);
    }
    PString value("kept");
    UString wideValue;
    for (bool refused : {bag->SetProperty("Name", static_cast<const char*>(nullptr)),
                         bag->SetProperty(nullptr, "v"), bag->SetProperty(nullptr, 5u, 1),
                         wide->SetProperty("Name", static_cast<const unsigned short*>(nullptr)),
                         bag->GetProperty(nullptr, value), bag->GetProperty("Name", value, 0),
                         wide->GetProperty("Name", wideValue)})
        EXPECT_FALSE(refused);
    EXPECT_EQ("kept", value);
    // Narrow numbers follow atol, wide ones wcstoul (an empty text: "none").
    const char* numbers[][2] = {{"", "0 none 99"},
                                {"abc", "0 0"},
                                {"  17x", "17 17"},
                                {"-1", "4294967295 4294967295"},
                                {"2147483647", "2147483647 2147483647"},
                                {"2147483648", "2147483647 2147483648"},
                                {"-2147483648", "2147483648 2147483648"},
                                {"-2147483649", "2147483648 2147483647"},
                                {"4294967296", "2147483647 4294967295"}};
    for (auto& row : numbers) {
        ASSERT_TRUE(bag->SetProperty("n", row[0]));
        ASSERT_TRUE(wide->SetProperty("n", Wide(row[0]).c_str()));
        unsigned int narrow = 99, number = 99;
        EXPECT_TRUE(bag->GetProperty("n", narrow));
        const bool found = wide->GetProperty("n", number);
        EXPECT_EQ(std::to_string(narrow) + (found ? " " : " none ") + std::to_string(number),
                  row[1])
            << row[0];
    }
    unsigned int untouched = 99;
    EXPECT_FALSE(bag->GetProperty("missing", untouched, 1));
    EXPECT_EQ(99u, untouched);
}

// Byte order of case-sensitive keys; copies own their entries and their lock.
TEST_F(PropertyBagTest, IterationOrderAndIndependentCopies) {
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
    EXPECT_FALSE(PropertyBag::Iterator().First());

    std::unique_ptr<PropertyBag> copy(new PropertyBag(*bag)),
        other(PropertyBag::GetNewPropertyBag());
    ASSERT_TRUE(copy->SetProperty("z", "2"));
    ASSERT_TRUE(other->SetProperty("y", "9"));
    EXPECT_TRUE(bag->Clear());
    EXPECT_TRUE(bag->Begin().AtEnd());
    bag.reset();
    PString text;
    EXPECT_TRUE(copy->GetProperty("a", text));
    *other = *copy;
    copy.reset();
    EXPECT_FALSE(other->GetProperty("y", text));
    EXPECT_TRUE(other->GetProperty("z", text));
    PropertyBagUnicode wideCopy(*wide);
    wide.reset();
    EXPECT_TRUE(wideCopy.GetProperty("a", value));
}

// Every value read must be one stored whole, and no entry may be lost.
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
