// The Windows module information: module handles, file names and the file
// versions of version resources.
#pragma once

#include <REDudi/system.h>

namespace REDudi {

class WIN32AU_ModuleInfo : public ModuleInfo {
public:
    bool GetModulesHandle(const UString& name, ModuleHandle*& handle) override;
    bool GetModulesHandle(const PString& name, ModuleHandle*& handle) override;
    bool GetModuleFilename(const ModuleHandle* module, UString& fileName) override;
    bool GetModuleFilename(const ModuleHandle* module, PString& fileName) override;
    bool GetModuleFileVersion(const ModuleHandle* module, UString& version) override;
    bool GetModuleFileVersion(const ModuleHandle* module, PString& version) override;
    bool GetModuleFileVersion(const UString& path, UString& version) override;
    bool GetModuleFileVersion(const PString& path, PString& version) override;
};

} // namespace REDudi
