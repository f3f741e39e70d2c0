// A registry branch of the running test's own below HKEY_LOCAL_MACHINE, and
// a reader of raw values that does not go through the library.
#pragma once

#include <windows.h>

#include <string>

namespace REDudi {
namespace testing {

// Names a branch unique to this process and test; the whole branch is
// removed on construction and again on destruction, whatever the test did.
class RegistryTestRoot {
public:
    explicit RegistryTestRoot(const std::string& tag);
    ~RegistryTestRoot();
    RegistryTestRoot(const RegistryTestRoot&) = delete;
    RegistryTestRoot& operator=(const RegistryTestRoot&) = delete;

    // The branch with "\" separators, relative to HKEY_LOCAL_MACHINE.
    const std::string& Key() const { return key_; }
    // The same with "/" separators, as a properties root.
    std::string Root() const;

private:
    std::string key_;
};

struct RawValue {
    bool found = false;
    DWORD type = 0;
    std::string bytes;
};

// The value `name` of `key` below HKEY_LOCAL_MACHINE exactly as stored.
RawValue ReadRawValue(const std::string& key, const std::string& name);
// The same read through the wide registry functions.
RawValue ReadRawValueWide(const std::string& key, const std::string& name);
bool KeyExists(const std::string& key);

// Narrow bytes of 16-bit text with its terminating NUL, as the wide form stores it.
std::string WideBytes(const std::u16string& text);

} // namespace testing
} // namespace REDudi
