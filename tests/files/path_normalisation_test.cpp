// The rewriting passes on their own, natively: each row names its input and
// the exact text the repeated substitution leaves.
#include "files/path_normalisation.h"

#include <gtest/gtest.h>

#include <string>

namespace REDudi {
namespace {

struct Row {
    const char* name;
    std::string (*pass)(const std::string&);
    const char* input;
    const char* expected;
};

const Row kRows[] = {
    {"slashes", paths::ToBackslashes, "a/b\\c//", "a\\b\\c\\\\"},
    {"backslashes", paths::ToSlashes, "a\\b/c", "a/b/c"},
    {"dot", paths::RemoveCurrentDirectoryReferences, "D:\\x\\.\\a", "D:\\x\\a"},
    {"dots in a row", paths::RemoveCurrentDirectoryReferences, "a\\.\\.\\.\\b", "a\\b"},
    {"trailing dot stays", paths::RemoveCurrentDirectoryReferences, "a\\.", "a\\."},
    {"dot name stays", paths::RemoveCurrentDirectoryReferences, "a\\.b\\c.\\", "a\\.b\\c.\\"},
    {"leading dot stays", paths::RemoveCurrentDirectoryReferences, ".\\a", ".\\a"},
    {"parent", paths::RemoveParentDirectoryReferences, "D:\\x\\w\\..\\y", "D:\\x\\y"},
    {"two parents", paths::RemoveParentDirectoryReferences, "D:\\x\\w\\..\\..\\y", "D:\\y"},
    {"parents apart", paths::RemoveParentDirectoryReferences, "a\\b\\..\\c\\d\\..\\e", "a\\c\\e"},
    {"trailing parent stays", paths::RemoveParentDirectoryReferences, "D:\\x\\..", "D:\\x\\.."},
    {"parent of a drive", paths::RemoveParentDirectoryReferences, "D:\\..\\x", "D:\\x"},
    {"parents past a drive", paths::RemoveParentDirectoryReferences, "D:\\a\\..\\..\\..\\x",
     "D:\\x"},
    {"parent at the start", paths::RemoveParentDirectoryReferences, "\\..\\x", "\\x"},
    {"empty component", paths::RemoveParentDirectoryReferences, "a\\\\..\\b", "a\\b"},
    {"three dots", paths::RemoveParentDirectoryReferences, "a\\b\\...\\c", "a\\b\\...\\c"},
    {"doubled", paths::RemoveDuplicateDelimiters, "\\\\server\\\\\\a\\", "\\server\\a\\"},
};

TEST(PathNormalisation, EachPassGivesTheSubstitutionResult) {
    for (const Row& row : kRows)
        EXPECT_EQ(row.pass(row.input), row.expected) << row.name;
}

struct AppendRow {
    const char* base;
    const char* relative;
    const char* expected;
};

const AppendRow kAppendRows[] = {
    {"D:\\x", "", "D:\\x"},
    {"D:\\x", "\\\\\\", "D:\\x"},
    {"D:\\x\\", "\\", "D:\\x"},
    {"D:\\x", "a/b", "D:\\x\\a\\b"},
    {"D:\\x", "\\a\\\\b\\", "D:\\x\\a\\b"},
    {"D:\\x", ".\\a", "D:\\x\\a"},
    {"D:\\x", "a\\.\\.\\b", "D:\\x\\a\\b"},
    {"D:\\x\\w", "..\\y", "D:\\x\\y"},
    {"D:\\x\\w", "..\\..\\y", "D:\\y"},
    {"D:\\x\\w", "..", "D:\\x\\w\\.."},
    {"D:\\x", "D:\\y", "D:\\x\\D:\\y"},
    {"D:", "..\\x", "D:\\x"},
    {"D:\\x", "a/./../b//", "D:\\x\\b"},
};

TEST(PathNormalisation, AppendRelativeJoinsAndNormalises) {
    for (const AppendRow& row : kAppendRows)
        EXPECT_EQ(paths::AppendRelative(row.base, row.relative), row.expected)
            << row.base << " + " << row.relative;
}

} // namespace
} // namespace REDudi
