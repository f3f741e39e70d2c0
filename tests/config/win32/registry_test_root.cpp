#include "win32/registry_test_root.h"

#include <gtest/gtest.h>

#include <vector>

namespace REDudi {
namespace testing {

namespace {

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

} // namespace

RegistryTestRoot::RegistryTestRoot(const std::string& tag) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    key_ = "Software\\REDudiTests\\" + tag + "_" +
           (test != nullptr ? std::string(test->name()) : std::string("none")) + "_" +
           std::to_string(GetCurrentProcessId());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, key_.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_.c_str());
}

RegistryTestRoot::~RegistryTestRoot() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, key_.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_.c_str());
}

std::string RegistryTestRoot::Root() const {
    std::string root = key_;
    for (char& c : root) {
        if (c == '\\')
            c = '/';
    }
    return root;
}

namespace {

// One read through either family of registry functions (`Text` is the
// character type of the family).
template <class Text, class Open, class Query>
RawValue ReadRaw(const Text& key, const Text& name, Open open, Query query, DWORD slack) {
    RawValue value;
    HKEY handle;
    if (open(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != 0)
        return value;
    DWORD size = 0;
    if (query(handle, name.c_str(), nullptr, &value.type, nullptr, &size) == 0) {
        std::vector<char> data(size + slack);
        if (query(handle, name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(data.data()),
                  &size) == 0) {
            value.found = true;
            value.bytes.assign(data.data(), size);
        }
    }
    RegCloseKey(handle);
    return value;
}

} // namespace

RawValue ReadRawValue(const std::string& key, const std::string& name) {
    return ReadRaw(key, name, RegOpenKeyExA, RegQueryValueExA, 1);
}

RawValue ReadRawValueWide(const std::string& key, const std::string& name) {
    return ReadRaw(Widen(key), Widen(name), RegOpenKeyExW, RegQueryValueExW, 2);
}

bool KeyExists(const std::string& key) {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != 0)
        return false;
    RegCloseKey(handle);
    return true;
}

std::string WideBytes(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    bytes.append(2, '\0');
    return bytes;
}

} // namespace testing
} // namespace REDudi
