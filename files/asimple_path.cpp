#include "foundation/platform/facade.h"

#include <REDudi/files.h>

namespace REDudi {

static_assert(sizeof(ASimplePath) == sizeof(void*), "an ASimplePath is its pointer alone");

namespace {

using Validity = facade::PointerTest;
using Forward = facade::Forwarder<Validity, facade::Open>;

} // namespace

ASimplePath::ASimplePath() : path_(SimplePath::GetNewSimplePath()) {}

ASimplePath::ASimplePath(const PString& relativePath) : path_(SimplePath::GetNewSimplePath()) {
    SetRelativePath(relativePath);
}

ASimplePath::ASimplePath(const ASimplePath& other) : path_(SimplePath::GetNewSimplePath()) {
    *this = other;
}

ASimplePath::~ASimplePath() {
    facade::DeleteGuarded::Destroy(path_);
}

// The own object is reused when it is usable, so a copy of an invalid facade
// is a valid path with nothing in it.
void ASimplePath::CopyFrom(SimplePath* source) {
    if (!Validity::Test(path_)) {
        facade::DeleteGuarded::Destroy(path_);
        path_ = SimplePath::GetNewSimplePath();
    }
    if (Validity::Test(path_))
        path_->Copy(source);
}

ASimplePath& ASimplePath::operator=(const ASimplePath& other) {
    if (this != &other)
        CopyFrom(other.path_);
    return *this;
}

ASimplePath& ASimplePath::operator=(SimplePath* path) {
    if (path != path_)
        CopyFrom(path);
    return *this;
}

ASimplePath& ASimplePath::operator+=(const PString& relativePath) {
    SetRelativePath(relativePath);
    return *this;
}

bool ASimplePath::operator==(const ASimplePath& other) const {
    if (!IsObjectValid() || !other.IsObjectValid())
        return false;
    return path_->IsEqual(other.path_);
}

bool ASimplePath::operator!=(const ASimplePath& other) const {
    return !(*this == other);
}

bool ASimplePath::IsObjectValid() const {
    return Validity::Test(path_);
}

bool ASimplePath::IsExisting() const {
    return Forward::Call(path_, [](SimplePath* p) { return p->IsExisting(); });
}

bool ASimplePath::IsFile() const {
    return Forward::Call(path_, [](SimplePath* p) { return p->IsFile(); });
}

bool ASimplePath::IsDirectory() const {
    return Forward::Call(path_, [](SimplePath* p) { return p->IsDirectory(); });
}

bool ASimplePath::SetRelativePath(const PString& relativePath) {
    return Forward::Call(path_, [&](SimplePath* p) { return p->SetRelativePath(relativePath); });
}

bool ASimplePath::SetToApplicationDirectory() {
    return Forward::Call(path_, [](SimplePath* p) { return p->SetToApplicationDirectory(); });
}

PString ASimplePath::GetFullPath() const {
    return Forward::Call(path_, [](SimplePath* p) { return p->GetFullPath(); });
}

PString ASimplePath::GetFileName() const {
    return Forward::Call(path_, [](SimplePath* p) { return p->GetFileName(); });
}

FILE* ASimplePath::Open(const PString& mode) const {
    return Forward::Call(path_, [&](SimplePath* p) { return p->Open(mode); });
}

const void* ASimplePath::GetPlatformNativePath() const {
    return Forward::Call(path_, [](SimplePath* p) { return p->GetPlatformNativePath(); });
}

} // namespace REDudi
