#include "config/ini_import_paths.h"

namespace REDudi {
namespace ini_import {

PString PropertyPath(const PString& section, const PString& key) {
    PString path;
    if (section.empty() || section[0] != '/')
        path += "/";
    path += section;
    path += "/";
    path += key;
    return path;
}

PString PluginPropertyPath(const PString& section, const PString& key, const PString& plugin) {
    PString path;
    std::size_t found = section.find("properties");
    if (found == 0) {
        path = "/";
        path += section;
    } else if (found == 1) {
        path = section;
    } else {
        path = "/properties/map/";
        if (!plugin.empty()) {
            path += plugin;
            path += "/";
        }
        path += section;
    }
    path += "/";
    path += key;
    return path;
}

} // namespace ini_import
} // namespace REDudi
