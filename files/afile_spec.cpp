#include "foundation/platform/facade.h"

#include <REDudi/files.h>

namespace REDudi {

static_assert(sizeof(AFileSpec) == sizeof(void*), "an AFileSpec is its pointer alone");

namespace {

using Validity = facade::PointerTest;
using Forward = facade::Forwarder<Validity, facade::Open>;

FileSpec* NewSpec() {
    FileSpec* spec = FileSpec::GetNewFileSpec();
    return Validity::Test(spec) ? spec : nullptr;
}

} // namespace

AFileSpec::AFileSpec() : spec_(NewSpec()) {}

AFileSpec::AFileSpec(const PString& relativePath) : spec_(NewSpec()) {
    if (spec_ != nullptr)
        spec_->SetRelativePath(relativePath);
}

AFileSpec::AFileSpec(FileSpec* spec) : spec_(NewSpec()) {
    if (spec_ != nullptr)
        spec_->Copy(spec);
}

AFileSpec::AFileSpec(const AFileSpec& other) : spec_(nullptr) {
    *this = other;
}

AFileSpec::AFileSpec(InvalidTag) : spec_(nullptr) {}

AFileSpec::~AFileSpec() {
    Release();
}

// Guarded deletion; a destructor that throws still leaves the pointer null.
void AFileSpec::Release() {
    facade::DeleteGuarded::Destroy(spec_);
}

AFileSpec& AFileSpec::operator=(const AFileSpec& other) {
    if (this == &other)
        return *this;
    Release();
    if (!other.IsObjectValid())
        return *this;
    spec_ = NewSpec();
    if (spec_ != nullptr)
        spec_->Copy(other.spec_);
    return *this;
}

AFileSpec& AFileSpec::operator=(FileSpec* spec) {
    if (spec == spec_)
        return *this;
    Release();
    spec_ = NewSpec();
    if (spec_ != nullptr)
        spec_->Copy(spec);
    return *this;
}

AFileSpec& AFileSpec::operator=(const PString& relativePath) {
    Release();
    spec_ = NewSpec();
    if (spec_ != nullptr)
        spec_->SetRelativePath(relativePath);
    return *this;
}

AFileSpec& AFileSpec::operator+=(const PString& relativePath) {
    SetRelativePath(relativePath);
    return *this;
}

bool AFileSpec::operator==(const AFileSpec& other) const {
    if (!IsObjectValid() || !other.IsObjectValid())
        return false;
    return spec_->IsEqual(other.spec_);
}

bool AFileSpec::operator!=(const AFileSpec& other) const {
    return !(*this == other);
}

AFileSpec AFileSpec::GetInvalid() {
    return AFileSpec(InvalidTag());
}

FileSpec* AFileSpec::GetFileSpec() const {
    return spec_;
}

bool AFileSpec::IsObjectValid() const {
    return Validity::Test(spec_);
}

bool AFileSpec::IsExisting() const {
    return Forward::Call(spec_, [](FileSpec* s) { return s->IsExisting(); });
}

bool AFileSpec::IsFile() const {
    return Forward::Call(spec_, [](FileSpec* s) { return s->IsFile(); });
}

bool AFileSpec::IsDirectory() const {
    return Forward::Call(spec_, [](FileSpec* s) { return s->IsDirectory(); });
}

void AFileSpec::SetRelativePath(const PString& relativePath) {
    Forward::Call(spec_, [&](FileSpec* s) { s->SetRelativePath(relativePath); });
}

PString AFileSpec::GetURL() const {
    return Forward::Call(spec_, [](FileSpec* s) { return s->GetURL(); });
}

PString AFileSpec::GetFullPath() const {
    return Forward::Call(spec_, [](FileSpec* s) { return s->GetFullPath(); });
}

PString AFileSpec::GetDirectoryPath() const {
    return Forward::Call(spec_, [](FileSpec* s) { return s->GetDirectoryPath(); });
}

PString AFileSpec::GetFileName() const {
    return Forward::Call(spec_, [](FileSpec* s) { return s->GetFileName(); });
}

PString AFileSpec::GetVolumeName() const {
    return Forward::Call(spec_, [](FileSpec* s) { return s->GetVolumeName(); });
}

PString AFileSpec::GetDriveName() const {
    return Forward::Call(spec_, [](FileSpec* s) { return s->GetDriveName(); });
}

unsigned int AFileSpec::GetPersistentDataSize() const {
    return Forward::Call(spec_, [](FileSpec* s) { return s->GetPersistentDataSize(); });
}

unsigned int AFileSpec::GetPersistentData(void* buffer, unsigned int size) const {
    return Forward::Call(spec_, [=](FileSpec* s) { return s->GetPersistentData(buffer, size); });
}

bool AFileSpec::SetPersistentData(const void* data, unsigned int size) {
    return Forward::Call(spec_, [=](FileSpec* s) { return s->SetPersistentData(data, size); });
}

FILE* AFileSpec::Open(const char* mode) const {
    return Forward::Call(spec_, [=](FileSpec* s) { return s->Open(mode); });
}

bool AFileSpec::SetToApplicationDirectory() {
    return Forward::Call(spec_, [](FileSpec* s) { return s->SetToApplicationDirectory(); });
}

bool AFileSpec::SetToSystemDirectory() {
    return Forward::Call(spec_, [](FileSpec* s) { return s->SetToSystemDirectory(); });
}

bool AFileSpec::SetToTemporaryDirectory() {
    return Forward::Call(spec_, [](FileSpec* s) { return s->SetToTemporaryDirectory(); });
}

bool AFileSpec::SetToVerifiedTemporaryDirectory() {
    return Forward::Call(spec_, [](FileSpec* s) { return s->SetToVerifiedTemporaryDirectory(); });
}

bool AFileSpec::SetToPreferencesDirectory() {
    return Forward::Call(spec_, [](FileSpec* s) { return s->SetToPreferencesDirectory(); });
}

bool AFileSpec::SetToCurrentDirectory() {
    return Forward::Call(spec_, [](FileSpec* s) { return s->SetToCurrentDirectory(); });
}

bool AFileSpec::GetIQVFileSpecMarshalSize(unsigned int& size) const {
    return Forward::Call(spec_, [&](FileSpec* s) { return s->GetIQVFileSpecMarshalSize(size); });
}

bool AFileSpec::GetMarshalledIQVFileSpec(void* buffer, unsigned int size) const {
    return Forward::Call(spec_,
                         [=](FileSpec* s) { return s->GetMarshalledIQVFileSpec(buffer, size); });
}

bool AFileSpec::SetFromMarshalledIQVFileSpec(const void* data, unsigned int size) {
    return Forward::Call(spec_,
                         [=](FileSpec* s) { return s->SetFromMarshalledIQVFileSpec(data, size); });
}

AFileSpec AFileSpec::GetParentDirectory() const {
    try {
        if (!IsObjectValid())
            return GetInvalid();
        FileSpec* parent = spec_->GetParentDirectory();
        if (parent == nullptr || QV_IsBadCodePtr(parent))
            return GetInvalid();
        AFileSpec result(parent);
        SafeDelete(parent);
        return result;
    } catch (...) {
        return GetInvalid();
    }
}

void AFileSpec::SetParentDirectory(const AFileSpec& directory) const {
    Forward::Call(spec_, [&](FileSpec* s) { s->SetParentDirectory(directory.spec_); });
}

} // namespace REDudi
