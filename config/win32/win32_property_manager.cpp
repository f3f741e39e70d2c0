#include "config/win32/win32_property_manager.h"

#include "config/property_paths.h"

#include <cstring>
#include <vector>

namespace REDudi {

namespace {

// Registry access masks the operations ask for.
const REGSAM kEnumerateAccess = DELETE | KEY_ENUMERATE_SUB_KEYS;
const REGSAM kEnumerateValuesAccess = DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE;
const DWORD kNameUnits = 256;
const DWORD kDataBytes = 256;

// Closes a key when the operation leaves, however it leaves.
class OpenKey {
public:
    OpenKey() = default;
    ~OpenKey() {
        if (key_ != nullptr)
            RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    HKEY* Out() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Reads one value's data with the query function `query` (A or W), followed
// by `slack` bytes of zeros. Most values fit a small buffer, so one query
// usually does; a larger value is sized first and read again, also when it
// grew in between.
template <class Query>
bool ReadValueData(Query query, std::vector<char>& data, DWORD slack) {
    const DWORD kFirstTry = 256;
    data.assign(kFirstTry + slack, 0);
    DWORD read = kFirstTry;
    LONG result = query(reinterpret_cast<BYTE*>(data.data()), &read);
    for (int attempt = 0; result == ERROR_MORE_DATA && attempt < 4; ++attempt) {
        DWORD size = 0;
        if (query(nullptr, &size) != ERROR_SUCCESS)
            return false;
        data.assign(size + slack, 0);
        read = size;
        result = query(reinterpret_cast<BYTE*>(data.data()), &read);
    }
    if (result != ERROR_SUCCESS)
        return false;
    data.resize(read);
    return true;
}

// The narrow text of value `name` of an open key, up to its first NUL.
bool QueryText(HKEY key, const PString& name, PString& value) {
    std::vector<char> data;
    auto query = [&](BYTE* buffer, DWORD* size) {
        return RegQueryValueExA(key, name.c_str(), nullptr, nullptr, buffer, size);
    };
    if (!ReadValueData(query, data, 1))
        return false;
    value.assign(data.data(), strnlen(data.data(), data.size()));
    return true;
}

// The case-insensitive test for an unchanged value.
bool SameTextIgnoringCase(const PString& a, const PString& b) {
    return a.size() == b.size() && a.CompareNoCase(b) == 0;
}

} // namespace

PropertyManager* PropertyManager::GetNewPropertyManager() {
    try {
        return new WIN32_PropertyManager();
    } catch (...) {
        return nullptr;
    }
}

PropertyManager* PropertyManager::GetNewPropertyManager(const PString& root) {
    try {
        return new WIN32_PropertyManager(root);
    } catch (...) {
        return nullptr;
    }
}

WIN32_PropertyManager::WIN32_PropertyManager() {}

WIN32_PropertyManager::WIN32_PropertyManager(const PString& root) {
    PropertyManager::SetPropertiesRoot(root);
}

void WIN32_PropertyManager::SetPropertiesRoot(const PString& root) {
    PString trimmed(root);
    property_paths::TrimRoot(trimmed);
    PropertyManager::SetPropertiesRoot(trimmed);
}

void WIN32_PropertyManager::SlashHandler(PString& text) {
    property_paths::SlashHandler(text);
}

void WIN32_PropertyManager::PropertyPrefixHandler(PString& path) {
    property_paths::PrefixWithRoot(GetPropertiesRoot(), path);
}

PString WIN32_PropertyManager::KeyPathOf(const PString& path) {
    PString key(path);
    PropertyPrefixHandler(key);
    SlashHandler(key);
    return key;
}

bool WIN32_PropertyManager::ConvertToRegKey(const PString& path, PString& key, PString& name) {
    property_paths::ConvertToRegKey(GetPropertiesRoot(), path, key, name);
    return true;
}

bool WIN32_PropertyManager::ConvertToRegKeyWide(const PString& path, UString& key, UString& name) {
    PString narrowKey;
    PString narrowName;
    ConvertToRegKey(path, narrowKey, narrowName);
    return ConvertANSIToUnicode(narrowKey, key) && ConvertANSIToUnicode(narrowName, name);
}

bool WIN32_PropertyManager::GetProperty(const PString& path, PString& value) {
    value.clear();
    PString key;
    PString name;
    ConvertToRegKey(path, key, name);
    OpenKey open;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, open.Out()) !=
        ERROR_SUCCESS)
        return false;
    return QueryText(open.Get(), name, value);
}

bool WIN32_PropertyManager::GetPropertyWide(const PString& path, UString& value) {
    value.clear();
    UString key;
    UString name;
    if (!ConvertToRegKeyWide(path, key, name))
        return false;
    OpenKey open;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, reinterpret_cast<const wchar_t*>(key.c_str()), 0,
                      KEY_QUERY_VALUE, open.Out()) != ERROR_SUCCESS)
        return false;
    std::vector<char> data;
    auto query = [&](BYTE* buffer, DWORD* size) {
        return RegQueryValueExW(open.Get(), reinterpret_cast<const wchar_t*>(name.c_str()), nullptr,
                                nullptr, buffer, size);
    };
    if (!ReadValueData(query, data, 2))
        return false;
    std::size_t units = data.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        unsigned short unit;
        std::memcpy(&unit, &data[2 * i], 2);
        if (unit == 0)
            break;
        value.push_back(unit);
    }
    return true;
}

bool WIN32_PropertyManager::GetProperty(const PString& path, UString& value) {
    if (GetPropertyWide(path, value))
        return true;
    PString narrow;
    if (!GetProperty(path, narrow))
        return false;
    return ConvertANSIToUnicode(narrow, value);
}

bool WIN32_PropertyManager::SetProperty(const PString& path, const PString& value) {
    PString key;
    PString name;
    ConvertToRegKey(path, key, name);
    OpenKey open;
    PString current;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, key.c_str(), open.Out()) != ERROR_SUCCESS) {
        // A value that may be read but not written still counts as set
        // when it already holds the text.
        return GetProperty(path, current) && SameTextIgnoringCase(current, value);
    }
    // The key that is written serves the comparison too, which spares the
    // second open of a separate read.
    if (QueryText(open.Get(), name, current) && SameTextIgnoringCase(current, value))
        return true;
    // The registry counts a terminating NUL itself when the byte after the
    // data is one, as it is behind every string's text; a copy followed by
    // another byte keeps the stored data exactly the text.
    std::vector<char> data(value.begin(), value.end());
    data.push_back('\x01');
    return RegSetValueExA(open.Get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
}

bool WIN32_PropertyManager::SetPropertyWide(const PString& path, const UString& value) {
    UString key;
    UString name;
    if (!ConvertToRegKeyWide(path, key, name))
        return false;
    OpenKey open;
    if (RegCreateKeyW(HKEY_LOCAL_MACHINE, reinterpret_cast<const wchar_t*>(key.c_str()),
                      open.Out()) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(open.Get(), reinterpret_cast<const wchar_t*>(name.c_str()), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(2 * value.size() + 2)) == ERROR_SUCCESS;
}

bool WIN32_PropertyManager::SetProperty(const PString& path, const UString& value) {
    if (SetPropertyWide(path, value))
        return true;
    PString narrow;
    if (!ConvertUnicodeToANSI(value, narrow))
        return false;
    return SetProperty(path, narrow);
}

bool WIN32_PropertyManager::UnsetProperty(const PString& path) {
    PString key;
    PString name;
    ConvertToRegKey(path, key, name);
    OpenKey open;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_WRITE, open.Out()) != ERROR_SUCCESS)
        return false;
    return RegDeleteValueA(open.Get(), name.c_str()) == ERROR_SUCCESS;
}

unsigned long WIN32_PropertyManager::RegDeleteKeyNT(HKEY parent, const char* subKey) {
    if (subKey == nullptr || *subKey == '\0')
        return ERROR_BADKEY;
    OpenKey open;
    LONG result = RegOpenKeyExA(parent, subKey, 0, kEnumerateAccess, open.Out());
    if (result != ERROR_SUCCESS)
        return result;
    // Children are always taken at index 0: each one deleted moves the next
    // one there.
    for (;;) {
        char child[kNameUnits];
        DWORD length = kNameUnits;
        result = RegEnumKeyExA(open.Get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            return RegDeleteKeyA(parent, subKey);
        if (result != ERROR_SUCCESS)
            return result;
        result = RegDeleteKeyNT(open.Get(), child);
        if (result != ERROR_SUCCESS)
            return result;
    }
}

bool WIN32_PropertyManager::DeleteKey(const PString& path) {
    if (path.empty())
        return false;
    PString key = KeyPathOf(path);
    return RegDeleteKeyNT(HKEY_LOCAL_MACHINE, key.c_str()) == ERROR_SUCCESS;
}

namespace {
// Calls `visit(name, length)` for each named sub-key of `key` until the
// enumeration ends; false when `key` cannot be opened.
template <class Visit>
bool ForEachSubKey(const PString& key, Visit visit) {
    OpenKey open;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, kEnumerateAccess, open.Out()) !=
        ERROR_SUCCESS)
        return false;
    for (DWORD index = 0;; ++index) {
        char name[kNameUnits];
        DWORD length = kNameUnits;
        if (RegEnumKeyExA(open.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return true;
        if (length != 0)
            visit(name, length);
    }
}
} // namespace

bool WIN32_PropertyManager::QuerySubKeys(const PString& path, SubKeyCallback callback,
                                         void* context) {
    if (path.empty() || callback == nullptr)
        return false;
    return ForEachSubKey(KeyPathOf(path), [&](char* name, DWORD) { callback(name, context); });
}

bool WIN32_PropertyManager::QueryProperties(const PString& path, PropertyCallback callback,
                                            void* context) {
    if (path.empty() || callback == nullptr)
        return false;
    OpenKey open;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPathOf(path).c_str(), 0, kEnumerateValuesAccess,
                      open.Out()) != ERROR_SUCCESS)
        return false;
    for (DWORD index = 0;; ++index) {
        char name[kNameUnits];
        DWORD nameLength = kNameUnits;
        // Narrow values are stored without a NUL; the zeros past the data
        // buffer keep the callback's text terminated.
        unsigned char data[kDataBytes + 2] = {};
        DWORD dataSize = kDataBytes;
        if (RegEnumValueA(open.Get(), index, name, &nameLength, nullptr, nullptr, data,
                          &dataSize) != ERROR_SUCCESS)
            break;
        if (dataSize == 0)
            data[0] = 0;
        callback(name, data, context);
    }
    return true;
}

bool WIN32_PropertyManager::QueryProperties(const PString& path, WidePropertyCallback callback,
                                            void* context) {
    if (path.empty() || callback == nullptr)
        return false;
    UString key;
    if (!ConvertANSIToUnicode(KeyPathOf(path), key))
        throw 123;
    OpenKey open;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, reinterpret_cast<const wchar_t*>(key.c_str()), 0,
                      kEnumerateValuesAccess, open.Out()) != ERROR_SUCCESS)
        throw 123;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kNameUnits];
        DWORD nameLength = kNameUnits;
        unsigned short data[kDataBytes / 2 + 1] = {};
        DWORD dataSize = kDataBytes;
        if (RegEnumValueW(open.Get(), index, name, &nameLength, nullptr, nullptr,
                          reinterpret_cast<BYTE*>(data), &dataSize) != ERROR_SUCCESS)
            break;
        if (dataSize == 0)
            data[0] = 0;
        UString wideName;
        for (DWORD i = 0; i < nameLength; ++i)
            wideName.push_back(static_cast<unsigned short>(name[i]));
        PString narrowName;
        // The key is closed by `open` on the way out.
        if (!ConvertUnicodeToANSI(wideName, narrowName))
            throw 123;
        callback(&narrowName[0], data, context);
    }
    return true;
}

bool WIN32_PropertyManager::GetSubKeyList(const PString& path, std::list<PString>& names) {
    if (path.empty())
        return false;
    names.clear();
    return ForEachSubKey(KeyPathOf(path),
                         [&](char* name, DWORD length) { names.push_back(PString(name, length)); });
}

bool WIN32_PropertyManager::GetPropertyList(const PString& path, std::list<PString>& names) {
    if (path.empty())
        return false;
    names.clear();
    OpenKey open;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPathOf(path).c_str(), 0, kEnumerateValuesAccess,
                      open.Out()) != ERROR_SUCCESS)
        return false;
    LONG result = ERROR_SUCCESS;
    for (DWORD index = 0;; ++index) {
        char name[kNameUnits];
        DWORD nameLength = kNameUnits;
        BYTE data[kDataBytes];
        DWORD dataSize = kDataBytes;
        result =
            RegEnumValueA(open.Get(), index, name, &nameLength, nullptr, nullptr, data, &dataSize);
        if (result != ERROR_SUCCESS)
            break;
        names.push_back(PString(name, nameLength));
    }
    return result == ERROR_NO_MORE_ITEMS;
}

} // namespace REDudi
