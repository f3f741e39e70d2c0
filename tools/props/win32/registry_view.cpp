#include "win32/registry_view.h"

#include <cstdio>

namespace REDudi {
namespace props {

LONG OpenResult(const std::string& key, REGSAM access) {
    HKEY handle;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, access, &handle);
    if (result == ERROR_SUCCESS)
        RegCloseKey(handle);
    return result;
}

bool ValueNames(const std::string& key, std::vector<std::string>& names) {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != 0)
        return false;
    // Names are at most 16383 characters.
    std::vector<char> name(16384);
    LONG result = ERROR_SUCCESS;
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        result =
            RegEnumValueA(handle, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS)
            break;
        names.emplace_back(name.data(), length);
    }
    RegCloseKey(handle);
    return result == ERROR_NO_MORE_ITEMS;
}

DWORD ValueType(const std::string& key, const std::string& name, bool& found) {
    found = false;
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != 0)
        return REG_NONE;
    DWORD type = REG_NONE;
    found = RegQueryValueExA(handle, name.c_str(), nullptr, &type, nullptr, nullptr) == 0;
    RegCloseKey(handle);
    return type;
}

std::string TypeName(DWORD type) {
    switch (type) {
    case REG_NONE:
        return "REG_NONE";
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN:
        return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK:
        return "REG_LINK";
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    case REG_QWORD:
        return "REG_QWORD";
    default: {
        char text[32];
        std::snprintf(text, sizeof text, "type %lu", static_cast<unsigned long>(type));
        return text;
    }
    }
}

std::string ErrorText(LONG code) {
    if (code == ERROR_ACCESS_DENIED)
        return "access denied";
    if (code == ERROR_FILE_NOT_FOUND)
        return "not found";
    char buffer[512] = {};
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(code), 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.'))
        text.pop_back();
    if (text.empty())
        text = "error " + std::to_string(code);
    return text;
}

} // namespace props
} // namespace REDudi
