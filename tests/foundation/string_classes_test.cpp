#include <REDudi/strings.h>

#include <gtest/gtest.h>

#include <stdexcept>

using REDudi::PString;
using REDudi::UString;

namespace {

UString U(std::initializer_list<unsigned short> units) {
    return UString(REDudi::UnicodeStdString(units));
}

// Comparisons are bytewise and unsigned: 0xE9 orders after 'z'.
TEST(PStringTest, ComparisonTable) {
    const struct {
        PString left;
        const char* right;
        int order;
    } rows[] = {{"abc", "abc", 0}, {"abc", "abC", 1},  {"ab", "abc", -1}, {"b", "abc", 1},
                {"", "", 0},       {"", "a", -1},      {"\xE9", "z", 1},  {"a", "\xE9", -1},
                {"abd", "abc", 1}, {"abc", "abcd", -1}};
    for (const auto& row : rows) {
        const PString right(row.right);
        const std::string what = std::string(row.left) + " vs " + row.right;
        EXPECT_EQ(row.order == 0, row.left == row.right) << what;
        EXPECT_EQ(row.order == 0, row.left == right) << what;
        EXPECT_EQ(row.order != 0, row.left != row.right) << what;
        EXPECT_EQ(row.order < 0, row.left < row.right) << what;
        EXPECT_EQ(row.order <= 0, row.left <= right) << what;
        EXPECT_EQ(row.order > 0, row.left > row.right) << what;
        EXPECT_EQ(row.order >= 0, row.left >= right) << what;
        EXPECT_EQ(row.order, (row.left.Compare(right) > 0) - (row.left.Compare(right) < 0)) << what;
        if (right.size() == 1) {
            EXPECT_EQ(row.order == 0, row.left == row.right[0]) << what;
            EXPECT_EQ(row.order < 0, row.left < row.right[0]) << what;
            EXPECT_EQ(row.order >= 0, row.left >= row.right[0]) << what;
            EXPECT_EQ(row.order,
                      (row.left.Compare(row.right[0]) > 0) - (row.left.Compare(row.right[0]) < 0))
                << what;
        }
    }
}

// ASCII is folded; bytes 0x80-0xFF compare as signed chars, before 'A'.
TEST(PStringTest, CompareNoCaseTable) {
    const PString three("abc");
    const int rows[][2] = {
        // result, expected
        {PString("hello").CompareNoCase(PString("HeLLo")), 0},
        {PString("abc").CompareNoCase(PString("ABCD")), -1},
        {PString("abd").CompareNoCase(PString("ABC")), 1},
        {PString("\xE9").CompareNoCase(PString("A")), -1},
        {PString("A").CompareNoCase(PString("\xE9")), 1},
        {three.CompareNoCase(1, 2, PString("BC")), 0},
        {three.CompareNoCase(1, 100, "bcxyz", 2), 0},
        {three.CompareNoCase(0, 2, PString("xAbx"), 1, 2), 0},
        {three.CompareNoCase(3, 2, PString("")), 0},
        {three.CompareNoCase(3, 2, PString("a")), -1},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row[1], row[0]) << "row " << &row - rows;
    EXPECT_THROW(three.CompareNoCase(9, 1, PString("ab"), 3, 1), std::out_of_range);
    EXPECT_THROW(three.CompareNoCase(0, 1, PString("ab"), 3, 1), std::out_of_range);
    try {
        three.CompareNoCase(4, 2, PString("a"));
        ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ("invalid string position", e.what());
    }
}

// Counts past the end are cut; Mid at the size gives empty, beyond it throws.
TEST(PStringTest, Extraction) {
    const PString abc("abc");
    std::string all;
    for (const auto& got : {abc.Left(2), abc.Left(3), abc.Left(10), abc.Left(0), abc.Right(2),
                            abc.Right(3), abc.Right(5), abc.Right(0), abc.Mid(1, 1), abc.Mid(1, 99),
                            abc.Mid(2), abc.Mid(3), abc.Mid(4), abc.Mid(3, 1)})
        all += got + "|";
    EXPECT_EQ("ab|abc|abc||bc|abc|abc||b|bc|c||||", all);
    EXPECT_THROW(abc.Mid(4, 1), std::out_of_range);
}

// InsertBefore throws when the text is missing; ReplaceAll never rescans what it put in.
TEST(PStringTest, EditingTable) {
    using Edit = void (*)(PString&);
    const struct {
        const char* before;
        Edit edit;
        const char* after;
    } rows[] = {
        {"abcabc", [](PString& s) { s.InsertBefore(PString("c"), PString("X")); }, "abXcabc"},
        {"abcabc", [](PString& s) { s.InsertBefore('a', "<"); }, "<abcabc"},
        {"abc", [](PString& s) { s.InsertBefore(PString(""), PString(">")); }, ">abc"},
        {"aba", [](PString& s) { s.ReplaceAll('a', PString("aa")); }, "aabaa"},
        {"a\\b\\\\c", [](PString& s) { s.ReplaceAll('\\', "\\\\"); }, "a\\\\b\\\\\\\\c"},
        {"aabb", [](PString& s) { s.ReplaceAll(PString("ab"), PString("")); }, "ab"},
        {"abab", [](PString& s) { s.ReplaceAll(PString("ab"), PString("abab")); }, "abababab"},
        {"keep", [](PString& s) { s.ReplaceAll(PString(""), PString("x")); }, "keep"},
        {"a-b-c", [](PString& s) { s.ReplaceAll('-', ""); }, "abc"},
        {"x", [](PString& s) { const PString& self = s; s = self; }, "x"},
        {"abc", [](PString& s) { s = 'x'; }, "x"},
        {"x", [](PString& s) { (s += PString("!")) += "?"; s += '.'; }, "x!?."},
        {"x", [](PString& s) { s.Prepend(PString("Global\\")); }, "Global\\x"},
    };
    for (const auto& row : rows) {
        PString s(row.before);
        row.edit(s);
        EXPECT_EQ(row.after, s) << row.before;
    }
    PString t("abcabc");
    EXPECT_THROW(t.InsertBefore(PString("z"), PString("X")), std::out_of_range);
    EXPECT_THROW(t.InsertBefore('z', "X"), std::out_of_range);
    EXPECT_EQ("abcabc", t);
}

// Counts calls of the virtual Assign and reverses Compare, which Compare(CharT) follows.
template <class Str>
class Instrumented : public Str {
public:
    using Str::Str;
    using Str::operator=;
    using Str::Assign;
    using Str::Compare;
    typename Str::Base& Assign(const typename Str::Base& other) override {
        ++assigned;
        return Str::Assign(other);
    }
    int Compare(const typename Str::Base& other) const override { return -Str::Compare(other); }
    int assigned = 0;
};

template <class Str>
void CheckEveryAssignmentIsVirtual(const Str& text) {
    using Base = typename Str::Base;
    using Std = typename Base::StdString;
    const std::pair<const char*, void (*)(Str&, const Str&)> forms[] = {
        {"copy", [](Str& s, const Str& t) { s = t; }},
        {"move", [](Str& s, const Str& t) { s = Str(t); }},
        {"base copy",
         [](Str& s, const Str& t) { static_cast<Base&>(s) = static_cast<const Base&>(t); }},
        {"base move", [](Str& s, const Str& t) { static_cast<Base&>(s) = Base(t); }},
        {"C string", [](Str& s, const Str& t) { s = t.c_str(); }},
        {"standard string", [](Str& s, const Str& t) { s = static_cast<const Std&>(t); }},
    };
    for (const auto& form : forms) {
        Instrumented<Str> target;
        form.second(target, text);
        EXPECT_EQ(1, target.assigned) << form.first;
        EXPECT_TRUE(target == text) << form.first;
    }
}

TEST(StringVirtualsTest, AssignmentAndCompareOfUnitGoThroughTheVirtuals) {
    CheckEveryAssignmentIsVirtual(PString("text"));
    CheckEveryAssignmentIsVirtual(U({'t', 0xE9, 0xD83D, 0xDE00}));
    const Instrumented<PString> reversed("a");
    EXPECT_LT(0, reversed.Compare(PString("b")));
    EXPECT_LT(0, reversed.Compare('b'));
}

// 16-bit units compare unsigned and are edited one at a time.
TEST(UStringTest, WorksOnSingleUnitsIncludingSurrogates) {
    UString pair = U({0xD83D, 0xDE00});
    EXPECT_TRUE(pair < U({0xD83D, 0xDE01}) && pair > U({0xD83C}) && U({0xFFFF}) > U({0x0041}));
    pair.ReplaceAll(static_cast<unsigned short>(0xD83D), U({0x0041, 0x0042}));
    EXPECT_EQ(U({0x0041, 0x0042, 0xDE00}), pair);
    EXPECT_EQ(U({0x0042, 0xDE00}), UString(pair.Right(2)));
    EXPECT_THROW(pair.Mid(4, 1), std::out_of_range);
    pair = static_cast<unsigned short>('z');
    EXPECT_EQ(U({'z'}), pair);
}

} // namespace
