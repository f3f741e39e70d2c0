#include <REDudi/strings.h>

#include <gtest/gtest.h>

#include <stdexcept>

using REDudi::PString;
using REDudi::UString;

namespace {

UString U(std::initializer_list<unsigned short> units) {
    return UString(REDudi::UnicodeStdString(units));
}

TEST(PStringTest, EqualityAndOrderingAreBytewiseAndUnsigned) {
    PString abc("abc");
    EXPECT_TRUE(abc == "abc");
    EXPECT_TRUE(abc != PString("abC"));
    EXPECT_TRUE(PString("ab") < "abc");
    EXPECT_TRUE(PString("b") > "abc");
    EXPECT_TRUE(PString("b") >= 'b');
    EXPECT_TRUE(PString("b") <= 'b');
    EXPECT_TRUE(PString("a") < 'b');
    EXPECT_TRUE(PString("x") == 'x');
    EXPECT_FALSE(PString("xy") == 'x');

    PString accented("\xE9");
    EXPECT_TRUE(accented > "z");
    EXPECT_GT(accented.Compare(PString("z")), 0);
    EXPECT_GT(accented.Compare('z'), 0);
    EXPECT_EQ(0, abc.Compare(PString("abc")));
}

TEST(PStringTest, CompareNoCaseFoldsAsciiAndOrdersHighBytesFirst) {
    EXPECT_EQ(0, PString("hello").CompareNoCase(PString("HeLLo")));
    EXPECT_EQ(-1, PString("abc").CompareNoCase(PString("ABCD")));
    EXPECT_EQ(1, PString("abd").CompareNoCase(PString("ABC")));
    // 0xE9 is a negative char: it sorts before 'A' here, after 'z' in Compare.
    EXPECT_EQ(-1, PString("\xE9").CompareNoCase(PString("A")));
    EXPECT_EQ(1, PString("A").CompareNoCase(PString("\xE9")));

    PString three("abc");
    EXPECT_EQ(0, three.CompareNoCase(1, 2, PString("BC")));
    EXPECT_EQ(0, three.CompareNoCase(1, 100, "bcxyz", 2));
    EXPECT_EQ(0, three.CompareNoCase(0, 2, PString("xAbx"), 1, 2));
    EXPECT_EQ(0, three.CompareNoCase(3, 2, PString("")));
    EXPECT_EQ(-1, three.CompareNoCase(3, 2, PString("a")));
}

TEST(PStringTest, CompareNoCaseRejectsPositionsPastTheEnd) {
    PString three("abc");
    try {
        three.CompareNoCase(4, 2, PString("a"));
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ("invalid string position", e.what());
    }
    // The other string's position is checked first.
    try {
        three.CompareNoCase(9, 1, PString("ab"), 3, 1);
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ("invalid string position", e.what());
    }
    EXPECT_EQ("abc", three);
}

TEST(PStringTest, AssignmentReplacesContent) {
    PString s("abc");
    s = 'x';
    EXPECT_EQ("x", s);
    PString& self = s;
    s = self;
    EXPECT_EQ("x", s);
    s = PString("longer text");
    EXPECT_EQ("longer text", s);
    s += PString("!");
    s += "?";
    s += '.';
    EXPECT_EQ("longer text!?.", s);
}

TEST(PStringTest, LeftRightMidLimits) {
    PString abc("abc");
    EXPECT_EQ("abc", PString(abc.Left(10)));
    EXPECT_EQ("ab", PString(abc.Left(2)));
    EXPECT_EQ("bc", PString(abc.Right(2)));
    EXPECT_EQ("abc", PString(abc.Right(5)));
    EXPECT_EQ("b", PString(abc.Mid(1, 1)));
    EXPECT_EQ("bc", PString(abc.Mid(1, 99)));
    EXPECT_TRUE(abc.Mid(3).empty());
    EXPECT_TRUE(abc.Mid(4).empty());
    EXPECT_TRUE(abc.Mid(3, 1).empty());
    EXPECT_THROW(abc.Mid(4, 1), std::out_of_range);
}

TEST(PStringTest, InsertBeforeFirstOccurrenceOrFailsUnchanged) {
    PString s("abcabc");
    s.InsertBefore(PString("c"), PString("X"));
    EXPECT_EQ("abXcabc", s);
    s.InsertBefore('a', "<");
    EXPECT_EQ("<abXcabc", s);
    s.InsertBefore(PString(""), PString(">"));
    EXPECT_EQ("><abXcabc", s);

    PString t("abcabc");
    EXPECT_THROW(t.InsertBefore(PString("z"), PString("X")), std::out_of_range);
    EXPECT_THROW(t.InsertBefore('z', "X"), std::out_of_range);
    EXPECT_EQ("abcabc", t);
}

TEST(PStringTest, ReplaceAllNeverRescansReplacements) {
    PString s("aba");
    s.ReplaceAll('a', PString("aa"));
    EXPECT_EQ("aabaa", s);

    PString path("a\\b\\\\c");
    path.ReplaceAll('\\', "\\\\");
    EXPECT_EQ("a\\\\b\\\\\\\\c", path);

    PString t("aabb");
    t.ReplaceAll(PString("ab"), PString(""));
    EXPECT_EQ("ab", t);

    PString u("abab");
    u.ReplaceAll(PString("ab"), PString("abab"));
    EXPECT_EQ("abababab", u);

    PString v("keep");
    v.ReplaceAll(PString(""), PString("x"));
    EXPECT_EQ("keep", v);

    PString w("a-b-c");
    w.ReplaceAll('-', "");
    EXPECT_EQ("abc", w);
}

TEST(PStringTest, PrependPutsTextInFront) {
    PString s("X");
    s.Prepend(PString("Global\\"));
    EXPECT_EQ("Global\\X", s);
}

// A subclass that overrides the three-way compare sees Compare(CharT) follow.
class ReversedString : public PString {
public:
    using PString::Compare;
    using PString::PString;
    int Compare(const Base& other) const override { return -PString::Compare(other); }
};

TEST(PStringTest, CompareOfUnitGoesThroughVirtualCompare) {
    ReversedString s("a");
    EXPECT_LT(0, s.Compare(PString("b")));
    EXPECT_LT(0, s.Compare('b'));
}

// Counts what reaches the virtual Assign(String).
template <class Str>
class CountingAssign : public Str {
public:
    using Str::operator=;
    typename Str::Base& Assign(const typename Str::Base& other) override {
        ++assigned;
        return Str::Assign(other);
    }
    using Str::Assign;
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
        CountingAssign<Str> target;
        form.second(target, text);
        EXPECT_EQ(1, target.assigned) << form.first;
        EXPECT_TRUE(target == text) << form.first;
    }
}

TEST(StringAssignmentTest, EveryFormReachesTheVirtualAssign) {
    CheckEveryAssignmentIsVirtual(PString("text"));
    CheckEveryAssignmentIsVirtual(U({'t', 0xE9, 0xD83D, 0xDE00}));
}

TEST(UStringTest, WorksOnSingleUnitsIncludingSurrogates) {
    UString pair = U({0xD83D, 0xDE00});
    EXPECT_EQ(2u, pair.size());
    EXPECT_TRUE(pair < U({0xD83D, 0xDE01}));
    EXPECT_TRUE(pair > U({0xD83C}));
    EXPECT_TRUE(U({0xFFFF}) > U({0x0041}));

    pair.ReplaceAll(static_cast<unsigned short>(0xD83D), U({0x0041, 0x0042}));
    EXPECT_EQ(U({0x0041, 0x0042, 0xDE00}), pair);

    UString s = U({'a', 'b', 'c'});
    EXPECT_EQ(U({'b', 'c'}), UString(s.Right(2)));
    EXPECT_THROW(s.Mid(4, 1), std::out_of_range);
    s = static_cast<unsigned short>('z');
    EXPECT_EQ(U({'z'}), s);
}

} // namespace
