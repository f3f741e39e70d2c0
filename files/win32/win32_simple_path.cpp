#include <REDudi/files.h>
#include <REDudi/platform.h>

#include <windows.h>

#include <cstring>

namespace REDudi {

namespace {

constexpr DWORD kModulePathCapacity = 261;

} // namespace

SimplePath* SimplePath::GetNewSimplePath() {
    try {
        SimplePath* path = new WIN32_SimplePath();
        if (QV_IsBadCodePtr(path))
            return nullptr;
        return path;
    } catch (...) {
        return nullptr;
    }
}

WIN32_SimplePath::WIN32_SimplePath() : attributes_(INVALID_FILE_ATTRIBUTES) {
    SetToApplicationDirectory();
}

WIN32_SimplePath::WIN32_SimplePath(const WIN32_SimplePath& other)
    : SimplePath(other), path_(other.path_), attributes_(other.attributes_) {}

WIN32_SimplePath& WIN32_SimplePath::operator=(const WIN32_SimplePath& other) {
    path_ = other.path_;
    attributes_ = other.attributes_;
    return *this;
}

WIN32_SimplePath::~WIN32_SimplePath() {}

void WIN32_SimplePath::RefreshAttributes() {
    attributes_ = GetFileAttributesA(path_.c_str());
}

PString WIN32_SimplePath::GetFullPath() {
    return path_;
}

const void* WIN32_SimplePath::GetPlatformNativePath() const {
    return &path_;
}

bool WIN32_SimplePath::IsExisting() const {
    return attributes_ != INVALID_FILE_ATTRIBUTES;
}

bool WIN32_SimplePath::IsFile() const {
    return IsExisting() && (attributes_ & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool WIN32_SimplePath::IsDirectory() const {
    return IsExisting() && (attributes_ & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool WIN32_SimplePath::SetRelativePath(const PString& relativePath) {
    if (relativePath.empty())
        return false;
    const PString conformed = ConformRelativePath(relativePath);
    if (conformed.empty())
        return false;
    path_ += '\\';
    path_ += conformed;
    RefreshAttributes();
    return true;
}

// The first character is left as it is, even a slash.
PString WIN32_SimplePath::ConformRelativePath(const PString& relativePath) {
    PString conformed(relativePath);
    for (std::size_t i = 1; i < conformed.size(); ++i) {
        if (conformed[i] == '/')
            conformed[i] = '\\';
    }
    const std::size_t first = conformed.find_first_not_of('\\');
    if (first == std::string::npos)
        return PString();
    const std::size_t last = conformed.find_last_not_of('\\');
    return PString(conformed.substr(first, last - first + 1));
}

PString WIN32_SimplePath::GetFileName() {
    const std::size_t last = path_.rfind('\\');
    if (last == std::string::npos)
        return PString();
    return path_.Mid(static_cast<unsigned int>(last + 1));
}

FILE* WIN32_SimplePath::Open(const PString& mode) const {
    return std::fopen(path_.c_str(), mode.c_str());
}

bool WIN32_SimplePath::SetToApplicationDirectory() {
    char module[kModulePathCapacity];
    const DWORD length = GetModuleFileNameA(nullptr, module, kModulePathCapacity);
    if (length == 0 || length > kModulePathCapacity)
        return false;
    PString directory(module, length);
    if (!GetParentDirectory(directory))
        return false;
    path_ = directory;
    RefreshAttributes();
    return IsDirectory();
}

bool WIN32_SimplePath::GetParentDirectory(PString& path) const {
    try {
        const std::size_t end = path.find_last_not_of('\\');
        path.resize(end == std::string::npos ? 0 : end + 1);
        const std::size_t last = path.rfind('\\');
        if (last == std::string::npos)
            return false;
        path.resize(last);
        return true;
    } catch (...) {
        return false;
    }
}

void WIN32_SimplePath::Copy(SimplePath* source) {
    path_ = PString();
    if (source != nullptr && !QV_IsBadCodePtr(source)) {
        path_ = source->GetFullPath();
        RefreshAttributes();
    } else {
        attributes_ = INVALID_FILE_ATTRIBUTES;
    }
}

bool WIN32_SimplePath::IsEqual(SimplePath* other) const {
    if (other == nullptr || QV_IsBadCodePtr(other))
        return false;
    const PString otherPath = other->GetFullPath();
    return otherPath.size() == path_.size() &&
           std::memcmp(otherPath.data(), path_.data(), path_.size()) == 0;
}

} // namespace REDudi
