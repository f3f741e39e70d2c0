// The registry-backed property manager. Every operation opens, uses and
// closes its own key below HKEY_LOCAL_MACHINE; nothing is cached.
#pragma once

#include <REDudi/property_manager.h>

#include <windows.h>

namespace REDudi {

class WIN32_PropertyManager : public PropertyManager {
public:
    WIN32_PropertyManager();
    explicit WIN32_PropertyManager(const PString& root);

    using PropertyManager::GetProperty;
    using PropertyManager::SetProperty;

    void SetPropertiesRoot(const PString& root) override;
    bool GetProperty(const PString& path, UString& value) override;
    bool GetProperty(const PString& path, PString& value) override;
    bool SetProperty(const PString& path, const UString& value) override;
    bool SetProperty(const PString& path, const PString& value) override;
    bool UnsetProperty(const PString& path) override;
    bool DeleteKey(const PString& path) override;
    bool QuerySubKeys(const PString& path, SubKeyCallback callback, void* context) override;
    bool QueryProperties(const PString& path, WidePropertyCallback callback,
                         void* context) override;
    bool QueryProperties(const PString& path, PropertyCallback callback, void* context) override;
    bool GetSubKeyList(const PString& path, std::list<PString>& names) override;
    bool GetPropertyList(const PString& path, std::list<PString>& names) override;

protected:
    bool GetPropertyWide(const PString& path, UString& value);
    bool SetPropertyWide(const PString& path, const UString& value);
    bool ConvertToRegKey(const PString& path, PString& key, PString& name);
    bool ConvertToRegKeyWide(const PString& path, UString& key, UString& name);
    unsigned long RegDeleteKeyNT(HKEY parent, const char* subKey);
    void PropertyPrefixHandler(PString& path);
    void SlashHandler(PString& text);

private:
    // The key a key operation works on: the root in front, "\" separators.
    PString KeyPathOf(const PString& path);
};

} // namespace REDudi
