// A registry branch per test below HKEY_LOCAL_MACHINE, and raw value reads and writes.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace REDudi {
namespace testing {

// A value exactly as stored, read narrow or wide, or "<missing>".
inline std::string ReadRawValue(const std::string& key, const std::string& name, bool wide = false,
                                DWORD* type = nullptr) {
    std::wstring wideKey(key.begin(), key.end()), wideName(name.begin(), name.end());
    HKEY handle;
    if ((wide ? RegOpenKeyExW(HKEY_LOCAL_MACHINE, wideKey.c_str(), 0, KEY_QUERY_VALUE, &handle)
              : RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle)) != 0)
        return "<missing>";
    std::vector<char> data(1 << 16);
    DWORD size = static_cast<DWORD>(data.size());
    BYTE* bytes = reinterpret_cast<BYTE*>(data.data());
    LONG result = wide ? RegQueryValueExW(handle, wideName.c_str(), nullptr, type, bytes, &size)
                       : RegQueryValueExA(handle, name.c_str(), nullptr, type, bytes, &size);
    RegCloseKey(handle);
    return result == 0 ? std::string(data.data(), size) : "<missing>";
}

inline bool KeyExists(const std::string& key) {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != 0)
        return false;
    RegCloseKey(handle);
    return true;
}

// A branch per process and test, removed before and after, whatever the test did.
class RegistryTestRoot {
public:
    explicit RegistryTestRoot(const std::string& tag)
        : key_("Software\\REDudiTests\\" + tag + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
               std::to_string(GetCurrentProcessId())) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, key_.c_str());
    }
    ~RegistryTestRoot() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, key_.c_str()); }
    RegistryTestRoot(const RegistryTestRoot&) = delete;
    RegistryTestRoot& operator=(const RegistryTestRoot&) = delete;

    // The branch, or the key `below` it, relative to HKEY_LOCAL_MACHINE.
    std::string Key(const std::string& below = "") const {
        return below.empty() ? key_ : key_ + "\\" + below;
    }
    // The branch with "/" separators, as a properties root.
    std::string Root() const {
        std::string root = key_;
        for (char& c : root)
            c = c == '\\' ? '/' : c;
        return root;
    }
    std::string Stored(const std::string& below, const std::string& name) const {
        return ReadRawValue(Key(below), name);
    }
    // Stores exactly `bytes` (a byte behind them keeps the registry from adding a NUL).
    void Plant(const std::string& below, const std::string& name, const std::string& bytes,
               DWORD type = REG_SZ) const {
        HKEY key;
        std::string data = bytes + "x";
        ASSERT_EQ(0, RegCreateKeyA(HKEY_LOCAL_MACHINE, Key(below).c_str(), &key));
        EXPECT_EQ(0, RegSetValueExA(key, name.c_str(), 0, type,
                                    reinterpret_cast<const BYTE*>(data.data()),
                                    static_cast<DWORD>(bytes.size())));
        RegCloseKey(key);
    }

private:
    std::string key_;
};

} // namespace testing
} // namespace REDudi
