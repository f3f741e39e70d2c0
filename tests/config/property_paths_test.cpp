// How property paths become registry keys and value names.
#include "config/property_paths.h"

#include <gtest/gtest.h>

using namespace REDudi;
using namespace REDudi::property_paths;

TEST(PropertyPathsTest, TrimRootTakesEachSeparatorKindInTurn) {
    struct Case {
        const char* root;
        const char* trimmed;
    } cases[] = {
        {"/Software/Example/", "Software/Example"},
        {"Software\\Example", "Software\\Example"},
        // Each kind is trimmed once, "/" first: a "/" behind a "\" stays.
        {"//\\\\a\\b//\\\\", "a\\b//"},
        {"\\/a", "/a"},
        {"a/\\", "a/"},
        {"a\\/", "a"},
        {"/", ""},
        {"/\\/\\", "/"},
        {"", ""},
    };
    for (const Case& c : cases) {
        PString root(c.root);
        TrimRoot(root);
        EXPECT_EQ(PString(c.trimmed), root) << "root " << c.root;
    }
}

TEST(PropertyPathsTest, SlashHandlerTurnsInnerSlashesIntoBackslashes) {
    struct Case {
        const char* text;
        const char* converted;
    } cases[] = {
        {"", ""},       {"/", ""}, {"a/b//", "a\\b"}, {"/a/b", "\\a\\b"}, {"a\\b/c", "a\\b\\c"},
        {"a\\", "a\\"},
    };
    for (const Case& c : cases) {
        PString text(c.text);
        SlashHandler(text);
        EXPECT_EQ(PString(c.converted), text) << "text " << c.text;
    }
}

TEST(PropertyPathsTest, ConvertToRegKeySplitsAtTheLastSlash) {
    struct Case {
        const char* root;
        const char* path;
        const char* key;
        const char* name;
    } cases[] = {
        {"Software/Example", "/Net/Port", "Software\\Example\\Net", "Port"},
        {"Software/Example", "/Port", "Software\\Example", "Port"},
        {"Software/Example", "/Net/", "Software\\Example\\Net", ""},
        // A path that already begins with the root, in any case, is not
        // prefixed again; the whole path is compared, not just its head.
        {"Software/Example", "software/EXAMPLE/Net/Port", "software\\EXAMPLE\\Net", "Port"},
        {"Software/Example", "Software/Example", "Software", "Example"},
        {"Software/Example", "Software/Exampl/x", "Software\\ExampleSoftware\\Exampl", "x"},
        {"", "/a/b", "\\a", "b"},
        {"", "/b", "", "b"},
        {"R", "/a\\b/c", "R\\a\\b", "c"},
        // No "/" at all: the outputs stay as they were.
        {"R", "Port", "untouched", "untouched"},
    };
    for (const Case& c : cases) {
        PString key("untouched");
        PString name("untouched");
        ConvertToRegKey(PString(c.root), PString(c.path), key, name);
        EXPECT_EQ(PString(c.key), key) << "root " << c.root << " path " << c.path;
        EXPECT_EQ(PString(c.name), name) << "root " << c.root << " path " << c.path;
    }
}

TEST(PropertyPathsTest, BeginsWithRootComparesOverTheRootsLength) {
    struct Case {
        const char* path;
        const char* root;
        bool begins;
    } cases[] = {
        {"abc/x", "ABC", true},  {"ab", "abc", false}, {"abc", "abc", true},
        {"abd/x", "abc", false}, {"x", "", true},      {"", "", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.begins, BeginsWithRoot(PString(c.path), PString(c.root)))
            << "path " << c.path << " root " << c.root;
}
