#include <REDudi/system.h>

#include "foundation/platform/facade.h"

namespace REDudi {

static_assert(sizeof(AModuleHandle) == 2 * sizeof(void*),
              "an AModuleHandle is its virtual table and its pointer");

ModuleHandle::ModuleHandle() {}

ModuleHandle::ModuleHandle(const ModuleHandle&) {}

ModuleHandle::~ModuleHandle() {}

bool ModuleHandle::IsValid() const {
    return true;
}

ModuleHandle& ModuleHandle::Assign(const ModuleHandle&) {
    return *this;
}

bool ModuleHandle::IsEqual(const ModuleHandle&) const {
    return true;
}

ModuleHandle& ModuleHandle::operator=(const ModuleHandle&) {
    return *this;
}

namespace {

using Validity = facade::ImplementationTest;
using Destruction = facade::DeleteDirect;

// A fresh implementation holding the same module as `source`; null when the
// factory gives nothing usable.
ModuleHandle* DuplicateOf(const ModuleHandle* source) {
    ModuleHandle* fresh = ModuleHandle::GetNewModuleHandle();
    if (fresh == nullptr)
        return nullptr;
    if (!fresh->IsValid()) {
        Destruction::Destroy(fresh);
        return nullptr;
    }
    if (source != nullptr)
        fresh->Assign(*source);
    return fresh;
}

} // namespace

AModuleHandle::AModuleHandle() : handle_(ModuleHandle::GetNewModuleHandle()) {}

AModuleHandle::AModuleHandle(const AModuleHandle& other) : handle_(nullptr) {
    *this = other;
}

AModuleHandle::~AModuleHandle() {
    Destruction::Destroy(handle_);
}

bool AModuleHandle::IsValid() const {
    return Validity::Test(handle_);
}

AModuleHandle& AModuleHandle::operator=(const AModuleHandle& other) {
    if (&other == this)
        return *this;
    // The source's implementation is read before ours goes, in case both
    // ever were one object.
    ModuleHandle* fresh = DuplicateOf(other.handle_);
    Destruction::Destroy(handle_);
    handle_ = fresh;
    return *this;
}

AModuleHandle& AModuleHandle::operator=(const ModuleHandle& other) {
    if (&other == handle_)
        return *this;
    ModuleHandle* fresh = DuplicateOf(&other);
    Destruction::Destroy(handle_);
    handle_ = fresh;
    return *this;
}

bool AModuleHandle::operator==(const AModuleHandle& other) const {
    if (!IsValid() || other.handle_ == nullptr)
        return false;
    return handle_->IsEqual(*other.handle_);
}

bool AModuleHandle::operator!=(const AModuleHandle& other) const {
    return !(*this == other);
}

const ModuleHandle* AModuleHandle::GetAsModuleHandle() const {
    return handle_;
}

} // namespace REDudi
