#include <REDudi/files.h>

#include <string>

namespace REDudi {

static_assert(sizeof(AFileSpecUnicode) == sizeof(void*), "an AFileSpecUnicode is its pointer alone");

namespace {

UString Widened(const PString& narrow) {
    UnicodeStdString wide;
    if (!ConvertANSIToUnicode(narrow, wide))
        return UString();
    return UString(wide);
}

} // namespace

AFileSpecUnicode::AFileSpecUnicode() {}

AFileSpecUnicode::AFileSpecUnicode(const UString& relativePath) {
    SetRelativePath(relativePath);
}

AFileSpecUnicode::AFileSpecUnicode(const AFileSpec& other) : spec_(other) {}

AFileSpecUnicode::AFileSpecUnicode(const AFileSpecUnicode& other) : spec_(other.spec_) {}

AFileSpecUnicode::~AFileSpecUnicode() {}

AFileSpecUnicode& AFileSpecUnicode::operator=(const AFileSpecUnicode& other) {
    spec_ = other.spec_;
    return *this;
}

AFileSpecUnicode& AFileSpecUnicode::operator=(const AFileSpec& other) {
    spec_ = other;
    return *this;
}

AFileSpecUnicode& AFileSpecUnicode::operator=(const UString& relativePath) {
    SetRelativePath(relativePath);
    return *this;
}

AFileSpecUnicode& AFileSpecUnicode::operator+=(const UString& relativePath) {
    SetRelativePath(relativePath);
    return *this;
}

bool AFileSpecUnicode::operator==(const AFileSpecUnicode& other) const {
    return spec_ == other.spec_;
}

bool AFileSpecUnicode::operator!=(const AFileSpecUnicode& other) const {
    return spec_ != other.spec_;
}

AFileSpecUnicode::operator AFileSpec() const {
    return spec_;
}

AFileSpec AFileSpecUnicode::GetAFileSpec() const {
    return spec_;
}

bool AFileSpecUnicode::IsObjectValid() const {
    return spec_.IsObjectValid();
}

bool AFileSpecUnicode::IsExisting() const {
    return IsObjectValid() && spec_.IsExisting();
}

bool AFileSpecUnicode::IsFile() const {
    return IsObjectValid() && spec_.IsFile();
}

bool AFileSpecUnicode::IsDirectory() const {
    return IsObjectValid() && spec_.IsDirectory();
}

// Text that has no exact ANSI form would name some other file: the facade
// becomes invalid instead.
void AFileSpecUnicode::SetRelativePath(const UString& relativePath) {
    if (!IsObjectValid())
        return;
    std::string narrow;
    if (!ConvertUnicodeToANSI(relativePath, narrow)) {
        spec_ = AFileSpec::GetInvalid();
        return;
    }
    spec_.SetRelativePath(PString(narrow));
}

UString AFileSpecUnicode::GetURLUnicode() const {
    return IsObjectValid() ? Widened(spec_.GetURL()) : UString();
}

UString AFileSpecUnicode::GetFullPathUnicode() const {
    return IsObjectValid() ? Widened(spec_.GetFullPath()) : UString();
}

UString AFileSpecUnicode::GetDirectoryPathUnicode() const {
    return IsObjectValid() ? Widened(spec_.GetDirectoryPath()) : UString();
}

UString AFileSpecUnicode::GetFileNameUnicode() const {
    return IsObjectValid() ? Widened(spec_.GetFileName()) : UString();
}

UString AFileSpecUnicode::GetVolumeNameUnicode() const {
    return IsObjectValid() ? Widened(spec_.GetVolumeName()) : UString();
}

UString AFileSpecUnicode::GetDriveNameUnicode() const {
    return GetVolumeNameUnicode();
}

FILE* AFileSpecUnicode::Open(const char* mode) const {
    return IsObjectValid() ? spec_.Open(mode) : nullptr;
}

bool AFileSpecUnicode::SetToApplicationDirectory() {
    return IsObjectValid() && spec_.SetToApplicationDirectory();
}

bool AFileSpecUnicode::SetToSystemDirectory() {
    return IsObjectValid() && spec_.SetToSystemDirectory();
}

bool AFileSpecUnicode::SetToTemporaryDirectory() {
    return IsObjectValid() && spec_.SetToTemporaryDirectory();
}

bool AFileSpecUnicode::SetToVerifiedTemporaryDirectory() {
    return IsObjectValid() && spec_.SetToVerifiedTemporaryDirectory();
}

bool AFileSpecUnicode::SetToPreferencesDirectory() {
    return IsObjectValid() && spec_.SetToPreferencesDirectory();
}

bool AFileSpecUnicode::SetToCurrentDirectory() {
    return IsObjectValid() && spec_.SetToCurrentDirectory();
}

AFileSpecUnicode AFileSpecUnicode::GetParentDirectoryUnicode() const {
    return AFileSpecUnicode(spec_.GetParentDirectory());
}

void AFileSpecUnicode::SetParentDirectoryUnicode(const AFileSpecUnicode& directory) const {
    spec_.SetParentDirectory(directory.spec_);
}

} // namespace REDudi
