// Where the importers file a section's key.
#include "config/ini_import_paths.h"

#include <gtest/gtest.h>

using namespace REDudi;

TEST(IniImportPathsTest, SectionsBecomePropertyPaths) {
    struct Case {
        const char* section;
        const char* key;
        const char* path;
    } cases[] = {
        {"Net", "Port", "/Net/Port"},
        {"/Net", "Port", "/Net/Port"},
        {"Net\\Proxy", "Port", "/Net\\Proxy/Port"},
        {"", "Port", "//Port"},
        {"/", "Port", "//Port"},
        {"Net", "", "/Net/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PString(c.path), ini_import::PropertyPath(PString(c.section), PString(c.key)))
            << c.section << " " << c.key;
}

TEST(IniImportPathsTest, PluginSectionsAreFiledByWhereTheyNameProperties) {
    struct Case {
        const char* section;
        const char* plugin;
        const char* path;
    } cases[] = {
        {"Display", "Viewer", "/properties/map/Viewer/Display/k"},
        {"Display", "", "/properties/map/Display/k"},
        {"properties/ui", "Viewer", "/properties/ui/k"},
        {"properties", "Viewer", "/properties/k"},
        {"/properties/ui", "Viewer", "/properties/ui/k"},
        {"xproperties", "Viewer", "xproperties/k"},
        {"myproperties", "Viewer", "/properties/map/Viewer/myproperties/k"},
        {"Properties", "Viewer", "/properties/map/Viewer/Properties/k"},
        {"propertie", "", "/properties/map/propertie/k"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PString(c.path), ini_import::PluginPropertyPath(PString(c.section), PString("k"),
                                                                  PString(c.plugin)))
            << c.section << " " << c.plugin;
}
