// Each rewriting pass and whole appends, natively: the exact text each leaves.
#include "files/path_normalisation.h"

#include <gtest/gtest.h>

#include <string>

namespace REDudi {
namespace {

struct Row {
    const char* name;
    std::string (*pass)(const std::string&); // null: appends the text after '|' to the rest
    const char* input;
    const char* expected;
};

using namespace paths;
const Row kRows[] = {
    {"slashes", ToBackslashes, "a/b\\c//", "a\\b\\c\\\\"},
    {"backslashes", ToSlashes, "a\\b/c", "a/b/c"},
    {"dots in a row", RemoveCurrentDirectoryReferences, "a\\.\\.\\.\\b", "a\\b"},
    {"trailing dot stays", RemoveCurrentDirectoryReferences, "a\\.", "a\\."},
    {"dot name stays", RemoveCurrentDirectoryReferences, "a\\.b\\c.\\", "a\\.b\\c.\\"},
    {"leading dot stays", RemoveCurrentDirectoryReferences, ".\\a", ".\\a"},
    {"parents apart", RemoveParentDirectoryReferences, "a\\b\\..\\c\\d\\..\\e", "a\\c\\e"},
    {"parents past a drive", RemoveParentDirectoryReferences, "D:\\a\\..\\..\\..\\x", "D:\\x"},
    {"parent at the start", RemoveParentDirectoryReferences, "\\..\\x", "\\x"},
    {"empty component", RemoveParentDirectoryReferences, "a\\\\..\\b", "a\\b"},
    {"three dots", RemoveParentDirectoryReferences, "a\\b\\...\\c", "a\\b\\...\\c"},
    {"doubled", RemoveDuplicateDelimiters, "\\\\server\\\\\\a\\", "\\server\\a\\"},
    {"nothing appended", nullptr, "D:\\x\\|", "D:\\x\\"},
    {"only delimiters", nullptr, "D:\\x\\|\\\\", "D:\\x"},
    {"slashes appended", nullptr, "D:\\x|a/b", "D:\\x\\a\\b"},
    {"delimiters around", nullptr, "D:\\x|\\a\\\\b\\", "D:\\x\\a\\b"},
    {"dots", nullptr, "D:\\x|.\\a\\.\\.\\b", "D:\\x\\a\\b"},
    {"parent", nullptr, "D:\\x\\w|..\\y", "D:\\x\\y"},
    {"two parents", nullptr, "D:\\x\\w|..\\..\\y", "D:\\y"},
    {"trailing parent stays", nullptr, "D:\\x\\w|..", "D:\\x\\w\\.."},
    {"absolute text is relative", nullptr, "D:\\x|D:\\y", "D:\\x\\D:\\y"},
    {"parent of a drive", nullptr, "D:|..\\x", "D:\\x"},
    {"server", nullptr, "\\\\server\\share|a", "\\server\\share\\a"}};

TEST(PathNormalisation, EachRewritingGivesTheSubstitutionResult) {
    for (const Row& row : kRows) {
        const std::string input = row.input;
        const std::size_t bar = input.find('|');
        const std::string got = row.pass
                                    ? row.pass(input)
                                    : AppendRelative(input.substr(0, bar), input.substr(bar + 1));
        EXPECT_EQ(got, row.expected) << row.name;
    }
}

} // namespace
} // namespace REDudi
