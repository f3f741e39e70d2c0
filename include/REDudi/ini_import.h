// Import of INI files into the registry-backed properties: every key of a
// section becomes a property under the section's path.
#pragma once

#include <REDudi/config.h>
#include <REDudi/property_manager.h>

namespace REDudi {

class AFileSpec;

// Stores the key Port of the section Net as the property /Net/Port; a
// section name beginning with "/" is taken as the path itself.
class REDUDI_API APropertyManagerIniImport : public IIniFileEnumerator {
public:
    // Works below the root of a copy of `manager`.
    APropertyManagerIniImport(const APropertyManager& manager);
    APropertyManagerIniImport(const APropertyManagerIniImport& other);
    APropertyManagerIniImport& operator=(const APropertyManagerIniImport& other);

    // False when a property could not be written, which ends the import.
    bool EnumerateKeyValuePairsUserCallback(const char* section, const char* key,
                                            const char* value) override;
    virtual ~APropertyManagerIniImport();
    virtual bool IsValid() const;

protected:
    virtual bool Import(const PString& path, const PString& value);
    virtual bool Import();

public:
    // False when the file cannot be read or the manager has no root. A
    // failed property write ends the import early but is not reported.
    virtual bool Import(const AFileSpec& file);
    virtual bool Import(const PString& file);

protected:
    virtual bool OpenPluginIniFile(const AFileSpec& file);
    virtual bool OpenPluginIniFile(const PString& file);
    virtual void ClosePluginIniFile();

    APropertyManager manager_;
    IniFile iniFile_;
    bool open_;
    PString pluginName_;
};

// Imports a plug-in's INI file: the Name key of [General] names the plug-in,
// sections whose name begins with "properties" (or "/properties") are filed
// as they are, every other section below /properties/map/<plug-in name>.
class REDUDI_API APluginIniImport : public IIniFileEnumerator {
public:
    APluginIniImport(const APropertyManager& manager);
    APluginIniImport(const APluginIniImport& other);
    APluginIniImport& operator=(const APluginIniImport& other);

    bool EnumerateKeyValuePairsUserCallback(const char* section, const char* key,
                                            const char* value) override;
    virtual ~APluginIniImport();
    virtual bool IsValid() const;

protected:
    virtual bool Import(const PString& path, const PString& value);
    virtual bool Import();

public:
    virtual bool Import(const AFileSpec& file);
    virtual bool Import(const PString& file);

protected:
    virtual bool OpenPluginIniFile(const AFileSpec& file);
    virtual bool OpenPluginIniFile(const PString& file);
    virtual void ClosePluginIniFile();

    APropertyManager manager_;
    IniFile iniFile_;
    bool open_;
    // Kept from one import to the next unless a file names its plug-in.
    PString pluginName_;
};

} // namespace REDudi
