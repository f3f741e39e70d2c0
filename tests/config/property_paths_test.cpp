// How property paths and INI sections become registry keys and value names.
#include "config/ini_import_paths.h"
#include "config/property_paths.h"

#include <gtest/gtest.h>

using namespace REDudi;
using namespace REDudi::property_paths;

TEST(PropertyPathsTest, TrimRootAndSlashHandler) {
    const char* rows[][3] = {
        // text, as a trimmed root, with inner slashes as backslashes
        {"/Software/Example/", "Software/Example", "\\Software\\Example"},
        {"Software\\Example", "Software\\Example", "Software\\Example"},
        // Each kind is trimmed once, "/" first: a "/" behind a "\" stays.
        {"//\\\\a\\b//\\\\", "a\\b//", "\\\\\\\\a\\b\\\\\\\\"},
        {"\\/a", "/a", "\\\\a"},
        {"a/\\", "a/", "a\\\\"},
        {"a\\/", "a", "a\\"},
        {"/", "", ""},
        {"/\\/\\", "/", "\\\\\\\\"},
        {"", "", ""},
        {"a/b//", "a/b", "a\\b"},
    };
    for (auto& row : rows) {
        PString root(row[0]), text(row[0]);
        TrimRoot(root);
        SlashHandler(text);
        EXPECT_EQ(PString(row[1]), root) << "root " << row[0];
        EXPECT_EQ(PString(row[2]), text) << "text " << row[0];
    }
}

TEST(PropertyPathsTest, ConvertToRegKeySplitsAtTheLastSlash) {
    const char* rows[][4] = {
        // root, path, key, value name
        {"Software/Example", "/Net/Port", "Software\\Example\\Net", "Port"},
        {"Software/Example", "/Port", "Software\\Example", "Port"},
        {"Software/Example", "/Net/", "Software\\Example\\Net", ""},
        // A root already there, in any case, is not prefixed again; all of it counts.
        {"Software/Example", "software/EXAMPLE/Net/Port", "software\\EXAMPLE\\Net", "Port"},
        {"Software/Example", "Software/Example", "Software", "Example"},
        {"Software/Example", "Software/Exampl/x", "Software\\ExampleSoftware\\Exampl", "x"},
        {"", "/a/b", "\\a", "b"},
        {"", "/b", "", "b"},
        {"R", "/a\\b/c", "R\\a\\b", "c"},
        // No "/" at all: the outputs stay as they were.
        {"R", "Port", "untouched", "untouched"},
    };
    for (auto& row : rows) {
        PString key("untouched"), name("untouched");
        ConvertToRegKey(PString(row[0]), PString(row[1]), key, name);
        EXPECT_EQ(PString(row[2]), key) << "root " << row[0] << " path " << row[1];
        EXPECT_EQ(PString(row[3]), name) << "root " << row[0] << " path " << row[1];
    }
    struct Begins {
        const char *path, *root;
        bool begins;
    } begins[] = {{"abc/x", "ABC", true},  {"ab", "abc", false}, {"abc", "abc", true},
                  {"abd/x", "abc", false}, {"x", "", true},      {"", "", true}};
    for (const Begins& row : begins)
        EXPECT_EQ(row.begins, BeginsWithRoot(PString(row.path), PString(row.root)))
            << "path " << row.path << " root " << row.root;
}

TEST(IniImportPathsTest, SectionsBecomePropertyPaths) {
    const char* rows[][3] = {{"Net", "Port", "/Net/Port"},
                             {"/Net", "Port", "/Net/Port"},
                             {"Net\\Proxy", "Port", "/Net\\Proxy/Port"},
                             {"", "Port", "//Port"},
                             {"/", "Port", "//Port"},
                             {"Net", "", "/Net/"}};
    for (auto& row : rows)
        EXPECT_EQ(PString(row[2]), ini_import::PropertyPath(PString(row[0]), PString(row[1])))
            << row[0] << " " << row[1];
    // Plug-in sections are filed by where they name "properties".
    const char* plugins[][3] = {
        {"Display", "Viewer", "/properties/map/Viewer/Display/k"},
        {"Display", "", "/properties/map/Display/k"},
        {"properties/ui", "Viewer", "/properties/ui/k"},
        {"properties", "Viewer", "/properties/k"},
        {"/properties/ui", "Viewer", "/properties/ui/k"},
        {"xproperties", "Viewer", "xproperties/k"},
        {"myproperties", "Viewer", "/properties/map/Viewer/myproperties/k"},
        {"Properties", "Viewer", "/properties/map/Viewer/Properties/k"},
    };
    for (auto& row : plugins)
        EXPECT_EQ(PString(row[2]),
                  ini_import::PluginPropertyPath(PString(row[0]), PString("k"), PString(row[1])))
            << row[0] << " " << row[1];
}
