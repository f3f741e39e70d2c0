// The rules that turn property paths and INI sections into registry keys:
// whatever the text, no "/" survives in a key name, trimming keeps a part of
// the root, and a plug-in key stays the last component.
#include "config/ini_import_paths.h"
#include "config/property_paths.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace REDudi;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t split = input.find('\n');
    PString root(input.substr(0, split).c_str());
    PString path(split == std::string::npos ? "" : input.substr(split + 1).c_str());
    PString trimmed(root), key("-"), name("-");
    property_paths::TrimRoot(trimmed);
    property_paths::ConvertToRegKey(trimmed, path, key, name);
    std::size_t slash = path.rfind('/');
    PString plugin = ini_import::PluginPropertyPath(root, path, trimmed);
    if (root.find(trimmed) == PString::npos ||
        (slash == PString::npos
             ? key != "-" || name != "-"
             : key.find('/') != PString::npos || name.compare(path.substr(slash + 1)) != 0) ||
        plugin.size() < path.size() + 1 ||
        plugin.compare(plugin.size() - path.size() - 1, PString::npos, "/" + path) != 0)
        std::abort();
    return 0;
}
