// The two INI importers. They share every step but the callback, which
// decides where a key is filed.
#include <REDudi/files.h>
#include <REDudi/ini_import.h>

#include "config/ini_import_paths.h"

#include <vector>

namespace REDudi {

namespace {

// A null text from the INI file (a key without a value) counts as empty.
PString TextOf(const char* text) {
    return PString(text != nullptr ? text : "");
}

bool OpenIniFile(IniFile& iniFile, const PString& file) {
    std::vector<char> path(file.begin(), file.end());
    path.push_back('\0');
    return iniFile.Open(path.data());
}

} // namespace

// The steps both importers share, written once for either class.
#define REDUDI_INI_IMPORT_COMMON(Importer)                                                         \
    Importer::Importer(const APropertyManager& manager) : open_(false) {                           \
        manager_ = manager;                                                                        \
    }                                                                                              \
                                                                                                   \
    Importer::Importer(const Importer& other)                                                      \
        : IIniFileEnumerator(other), iniFile_(other.iniFile_), open_(other.open_),                 \
          pluginName_(other.pluginName_) {                                                         \
        manager_ = other.manager_;                                                                 \
    }                                                                                              \
                                                                                                   \
    Importer& Importer::operator=(const Importer& other) {                                         \
        if (this != &other) {                                                                      \
            manager_ = other.manager_;                                                             \
            iniFile_ = other.iniFile_;                                                             \
            open_ = other.open_;                                                                   \
            pluginName_ = other.pluginName_;                                                       \
        }                                                                                          \
        return *this;                                                                              \
    }                                                                                              \
                                                                                                   \
    Importer::~Importer() {                                                                        \
        iniFile_.Close();                                                                          \
        open_ = false;                                                                             \
        pluginName_.clear();                                                                       \
    }                                                                                              \
                                                                                                   \
    bool Importer::IsValid() const {                                                               \
        return manager_.IsValid();                                                                 \
    }                                                                                              \
                                                                                                   \
    bool Importer::Import(const PString& path, const PString& value) {                             \
        return manager_.SetProperty(path, value);                                                  \
    }                                                                                              \
                                                                                                   \
    /* The result does not tell whether a failed write stopped the import. */                      \
    bool Importer::Import() {                                                                      \
        if (!open_ || !IsValid())                                                                  \
            return false;                                                                          \
        bool stopped = false;                                                                      \
        return iniFile_.EnumerateKeyValuePairs(this, stopped);                                     \
    }                                                                                              \
                                                                                                   \
    bool Importer::Import(const AFileSpec& file) {                                                 \
        if (!OpenPluginIniFile(file))                                                              \
            return false;                                                                          \
        bool result = Import();                                                                    \
        ClosePluginIniFile();                                                                      \
        return result;                                                                             \
    }                                                                                              \
                                                                                                   \
    bool Importer::Import(const PString& file) {                                                   \
        if (!OpenPluginIniFile(file))                                                              \
            return false;                                                                          \
        bool result = Import();                                                                    \
        ClosePluginIniFile();                                                                      \
        return result;                                                                             \
    }                                                                                              \
                                                                                                   \
    bool Importer::OpenPluginIniFile(const AFileSpec& file) {                                      \
        open_ = iniFile_.Open(file);                                                               \
        return open_;                                                                              \
    }                                                                                              \
                                                                                                   \
    bool Importer::OpenPluginIniFile(const PString& file) {                                        \
        open_ = OpenIniFile(iniFile_, file);                                                       \
        return open_;                                                                              \
    }                                                                                              \
                                                                                                   \
    void Importer::ClosePluginIniFile() {                                                          \
        iniFile_.Close();                                                                          \
        open_ = false;                                                                             \
    }

REDUDI_INI_IMPORT_COMMON(APropertyManagerIniImport)
REDUDI_INI_IMPORT_COMMON(APluginIniImport)

#undef REDUDI_INI_IMPORT_COMMON

bool APropertyManagerIniImport::EnumerateKeyValuePairsUserCallback(const char* section,
                                                                   const char* key,
                                                                   const char* value) {
    if (section == nullptr && key == nullptr && value == nullptr)
        return false;
    return Import(ini_import::PropertyPath(TextOf(section), TextOf(key)), TextOf(value));
}

bool APluginIniImport::EnumerateKeyValuePairsUserCallback(const char* section, const char* key,
                                                          const char* value) {
    if (section == nullptr && key == nullptr && value == nullptr)
        return false;
    PString sectionName = TextOf(section);
    PString keyName = TextOf(key);
    if (sectionName == "General" && keyName == "Name") {
        pluginName_ = TextOf(value);
        return true;
    }
    return Import(ini_import::PluginPropertyPath(sectionName, keyName, pluginName_), TextOf(value));
}

} // namespace REDudi
