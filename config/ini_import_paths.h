// Where the INI importers file a section's key among the properties.
#pragma once

#include <REDudi/strings.h>

namespace REDudi {
namespace ini_import {

// "/" + section (unless it begins with "/") + "/" + key.
PString PropertyPath(const PString& section, const PString& key);

// A plug-in's key: sections whose name holds "properties" at position 0 or
// 1 keep their name; every other section goes below /properties/map, under
// the plug-in's name when there is one.
PString PluginPropertyPath(const PString& section, const PString& key, const PString& plugin);

} // namespace ini_import
} // namespace REDudi
