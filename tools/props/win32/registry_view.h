// What the tool looks at in the registry itself, beside the property
// manager: whether a key exists or may be opened, value names of any length,
// and the type a value is stored with.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace REDudi {
namespace props {

// The Win32 result of opening `key` below HKEY_LOCAL_MACHINE with `access`.
LONG OpenResult(const std::string& key, REGSAM access);

// Every value name of `key`, whatever the size of its data; false when the
// key cannot be enumerated.
bool ValueNames(const std::string& key, std::vector<std::string>& names);

// The type of a value, or REG_NONE with `found` false.
DWORD ValueType(const std::string& key, const std::string& name, bool& found);

// "REG_SZ", "REG_DWORD", ...
std::string TypeName(DWORD type);

// The system's message for a Win32 error code, on one line.
std::string ErrorText(LONG code);

} // namespace props
} // namespace REDudi
