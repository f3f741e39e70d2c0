#include <REDudi/system.h>

#include "foundation/platform/facade.h"

namespace REDudi {

static_assert(sizeof(AModuleInfo) == 2 * sizeof(void*),
              "an AModuleInfo is its virtual table and its pointer");

ModuleInfo::ModuleInfo() {}

ModuleInfo::~ModuleInfo() {}

bool ModuleInfo::IsValid() const {
    return true;
}

namespace {

using Validity = facade::Shielded<facade::ImplementationTest>;
using Forward = facade::Forwarder<Validity, facade::SwallowAll>;
using Destruction = facade::DeleteDirect;

// Looks `name` up and hands the result to `handle`, which is reset first.
template <class Text>
bool LookUpInto(ModuleInfo* info, const Text& name, AModuleHandle& handle) {
    return facade::SwallowAll::Run([&]() -> bool {
        handle = AModuleHandle();
        if (!Validity::Test(info))
            return false;
        ModuleHandle* found = nullptr;
        if (!info->GetModulesHandle(name, found) || found == nullptr)
            return false;
        handle = *found;
        delete found;
        return true;
    });
}

// The version of `module`'s file; both this facade's implementation and the
// module must be usable.
template <class Text>
bool VersionOf(ModuleInfo* info, const AModuleHandle& module, Text& version) {
    return facade::SwallowAll::Run([&]() -> bool {
        if (!module.IsValid() || !Validity::Test(info))
            return false;
        return info->GetModuleFileVersion(module.GetAsModuleHandle(), version);
    });
}

} // namespace

AModuleInfo::AModuleInfo() : info_(ModuleInfo::GetNewModuleInfo()) {}

AModuleInfo::AModuleInfo(const AModuleInfo& other) : info_(nullptr) {
    facade::ShareFrom<Destruction>(info_, other.info_);
}

AModuleInfo::~AModuleInfo() {
    facade::ReleaseShared<Destruction>(info_);
}

AModuleInfo& AModuleInfo::operator=(const AModuleInfo& other) {
    facade::ShareFrom<Destruction>(info_, other.info_);
    return *this;
}

bool AModuleInfo::IsValid() const {
    return Validity::Test(info_);
}

bool AModuleInfo::GetModulesHandle(AModuleHandle& handle) {
    return LookUpInto(info_, PString(), handle);
}

bool AModuleInfo::GetModulesHandle(const UString& name, AModuleHandle& handle) {
    return LookUpInto(info_, name, handle);
}

bool AModuleInfo::GetModulesHandle(const PString& name, AModuleHandle& handle) {
    return LookUpInto(info_, name, handle);
}

bool AModuleInfo::GetModuleFilename(UString& fileName) {
    return Forward::Call(info_,
                         [&](ModuleInfo* i) { return i->GetModuleFilename(nullptr, fileName); });
}

bool AModuleInfo::GetModuleFilename(PString& fileName) {
    return Forward::Call(info_,
                         [&](ModuleInfo* i) { return i->GetModuleFilename(nullptr, fileName); });
}

bool AModuleInfo::GetModuleFilename(const AModuleHandle& module, UString& fileName) {
    return Forward::Call(info_, [&](ModuleInfo* i) {
        return i->GetModuleFilename(module.GetAsModuleHandle(), fileName);
    });
}

bool AModuleInfo::GetModuleFilename(const AModuleHandle& module, PString& fileName) {
    return Forward::Call(info_, [&](ModuleInfo* i) {
        return i->GetModuleFilename(module.GetAsModuleHandle(), fileName);
    });
}

bool AModuleInfo::GetModuleFileVersion(UString& version) {
    return Forward::Call(info_, [&](ModuleInfo* i) {
        return i->GetModuleFileVersion(static_cast<const ModuleHandle*>(nullptr), version);
    });
}

bool AModuleInfo::GetModuleFileVersion(PString& version) {
    return Forward::Call(info_, [&](ModuleInfo* i) {
        return i->GetModuleFileVersion(static_cast<const ModuleHandle*>(nullptr), version);
    });
}

bool AModuleInfo::GetModuleFileVersion(const AModuleHandle& module, UString& version) {
    return VersionOf(info_, module, version);
}

bool AModuleInfo::GetModuleFileVersion(const AModuleHandle& module, PString& version) {
    return VersionOf(info_, module, version);
}

bool AModuleInfo::GetModuleFileVersion(const UString& path, UString& version) {
    return Forward::Call(info_,
                         [&](ModuleInfo* i) { return i->GetModuleFileVersion(path, version); });
}

bool AModuleInfo::GetModuleFileVersion(const PString& path, PString& version) {
    return Forward::Call(info_,
                         [&](ModuleInfo* i) { return i->GetModuleFileVersion(path, version); });
}

} // namespace REDudi
