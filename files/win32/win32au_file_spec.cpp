#include "files/path_normalisation.h"

#include <REDudi/files.h>
#include <REDudi/platform.h>

#include <windows.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace REDudi {

namespace {

// MAX_PATH and its terminator: the executable's path is read into this many
// characters.
constexpr DWORD kModulePathCapacity = 261;

bool IsBadSpec(FileSpec* spec) {
    return spec == nullptr || QV_IsBadCodePtr(spec);
}

DWORD AttributesOf(const PString& path) {
    return GetFileAttributesA(path.c_str());
}

bool IsDirectoryPath(const PString& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The two-call pattern of the directory queries: ask for the size, then for
// the text. Empty when either call fails or the answer no longer fits.
template <class Query>
PString QueryDirectory(Query query) {
    const DWORD needed = query(0, nullptr);
    if (needed == 0)
        return PString();
    std::vector<char> buffer(needed + 1, '\0');
    const DWORD length = query(needed, buffer.data());
    if (length == 0 || length >= needed)
        return PString();
    return PString(buffer.data(), length);
}

} // namespace

FileSpec* FileSpec::GetNewFileSpec() {
    try {
        FileSpec* spec = new WIN32AU_FileSpec();
        if (QV_IsBadCodePtr(spec))
            return nullptr;
        return spec;
    } catch (...) {
        return nullptr;
    }
}

// The same path as SetToApplicationDirectory(), read once per process and
// without asking the file system whether it is a directory: nobody sees that
// answer here, and every listing entry and copy of a facade makes a new
// FileSpec. The executable does not move while the process runs.
WIN32AU_FileSpec::WIN32AU_FileSpec() {
    static const PString applicationDirectory = [] {
        WIN32AU_FileSpec reader(PString{});
        reader.TakeApplicationDirectory();
        return reader.path_;
    }();
    path_ = applicationDirectory;
}

WIN32AU_FileSpec::WIN32AU_FileSpec(const PString& path) : path_(path) {}

WIN32AU_FileSpec::WIN32AU_FileSpec(const WIN32AU_FileSpec& other)
    : FileSpec(other), path_(other.path_) {}

WIN32AU_FileSpec& WIN32AU_FileSpec::operator=(const WIN32AU_FileSpec& other) {
    path_ = other.path_;
    return *this;
}

WIN32AU_FileSpec::~WIN32AU_FileSpec() {}

void WIN32AU_FileSpec::Copy(FileSpec* source) {
    path_ = PString();
    if (!IsBadSpec(source))
        path_ = source->GetFullPath();
}

FileSpec* WIN32AU_FileSpec::Clone() const {
    try {
        WIN32AU_FileSpec* clone = new WIN32AU_FileSpec();
        if (QV_IsBadCodePtr(clone))
            return nullptr;
        clone->path_ = path_;
        return clone;
    } catch (...) {
        return nullptr;
    }
}

bool WIN32AU_FileSpec::IsEqual(FileSpec* other) {
    if (IsBadSpec(other))
        return false;
    const PString otherPath = other->GetFullPath();
    return otherPath.size() == path_.size() &&
           std::memcmp(otherPath.data(), path_.data(), path_.size()) == 0;
}

PString WIN32AU_FileSpec::GetFullPath() {
    return path_;
}

bool WIN32AU_FileSpec::IsExisting() const {
    return AttributesOf(path_) != INVALID_FILE_ATTRIBUTES;
}

bool WIN32AU_FileSpec::IsDirectory() const {
    return IsDirectoryPath(path_);
}

bool WIN32AU_FileSpec::IsFile() const {
    return !IsDirectory() && IsExisting();
}

void WIN32AU_FileSpec::SetRelativePath(const PString& relativePath) {
    if (relativePath.empty())
        return;
    path_ = PString(paths::AppendRelative(path_, relativePath));
}

PString WIN32AU_FileSpec::GetDirectoryPath() {
    if (IsFile())
        return GetParentDirectoryAsString();
    return path_;
}

FileSpec* WIN32AU_FileSpec::GetParentDirectory() const {
    try {
        const PString parent = GetParentDirectoryAsString();
        if (parent.empty())
            return nullptr;
        WIN32AU_FileSpec* spec = new WIN32AU_FileSpec();
        if (QV_IsBadCodePtr(spec))
            return nullptr;
        spec->path_ = parent;
        return spec;
    } catch (...) {
        return nullptr;
    }
}

// The directory string is the full path of `directory`: the file name moves
// under the given directory, which is what a caller handing over a directory
// means.
void WIN32AU_FileSpec::SetParentDirectory(FileSpec* directory) {
    if (IsBadSpec(directory))
        return;
    PString rebuilt = directory->GetFullPath();
    if (rebuilt.empty())
        return;
    if (!HasEndingPathDelimiter(rebuilt))
        AppendPathDelimiter(rebuilt);
    rebuilt += GetFileName();
    path_ = rebuilt;
    StripEndingPathDelimiter();
}

PString WIN32AU_FileSpec::GetFileName() {
    const std::size_t last = path_.rfind(RetrievePathDelimiterCharacter());
    if (last == std::string::npos)
        return PString();
    return path_.Mid(static_cast<unsigned int>(last + 1));
}

PString WIN32AU_FileSpec::GetVolumeName() {
    return GetDriveName();
}

PString WIN32AU_FileSpec::GetDriveName() {
    const std::size_t colon = path_.find(RetrieveDriveDelimiterCharacter());
    if (colon == std::string::npos)
        return PString();
    return path_.Left(static_cast<unsigned int>(colon));
}

unsigned int WIN32AU_FileSpec::GetPersistentDataSize() const {
    return static_cast<unsigned int>(path_.size());
}

unsigned int WIN32AU_FileSpec::GetPersistentData(void* buffer, unsigned int size) const {
    if (buffer == nullptr || QV_IsBadCodePtr(buffer) || size == 0 ||
        QV_IsBadWritePtr(buffer, size) || path_.size() > size)
        return 0;
    std::memcpy(buffer, path_.data(), path_.size());
    return static_cast<unsigned int>(path_.size());
}

bool WIN32AU_FileSpec::SetPersistentData(const void* data, unsigned int size) {
    if (data == nullptr || QV_IsBadCodePtr(const_cast<void*>(data)) || size == 0 ||
        QV_IsBadReadPtr(data, size))
        return false;
    path_ = PString(static_cast<const char*>(data), size);
    StripEndingPathDelimiter();
    return true;
}

// A null or unreadable mode is refused rather than handed to fopen.
FILE* WIN32AU_FileSpec::Open(const char* mode) const {
    if (mode == nullptr || QV_IsBadStringPtr(mode, 64))
        return nullptr;
    return std::fopen(path_.c_str(), mode);
}

bool WIN32AU_FileSpec::TakeApplicationDirectory() {
    char module[kModulePathCapacity];
    const DWORD length = GetModuleFileNameA(nullptr, module, kModulePathCapacity);
    if (length == 0 || length > kModulePathCapacity)
        return false;
    path_ = GetParentDirectoryAsString(PString(module, length));
    StripEndingPathDelimiter();
    return true;
}

bool WIN32AU_FileSpec::SetToApplicationDirectory() {
    return TakeApplicationDirectory() && IsDirectory();
}

namespace {

// The pattern of the system, temporary and current directory: the answer
// must name a directory, otherwise the path stays as it was.
template <class Query>
bool TakeDirectory(PString& path, Query query) {
    try {
        const PString candidate = QueryDirectory(query);
        if (candidate.empty() || !IsDirectoryPath(candidate))
            return false;
        path = candidate;
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

bool WIN32AU_FileSpec::SetToSystemDirectory() {
    if (!TakeDirectory(path_, [](DWORD size, char* buffer) {
            return static_cast<DWORD>(GetSystemDirectoryA(buffer, size));
        }))
        return false;
    StripEndingPathDelimiter();
    return IsDirectory();
}

bool WIN32AU_FileSpec::SetToTemporaryDirectory() {
    if (!TakeDirectory(path_, [](DWORD size, char* buffer) { return GetTempPathA(size, buffer); }))
        return false;
    StripEndingPathDelimiter();
    return IsDirectory();
}

bool WIN32AU_FileSpec::SetToCurrentDirectory() {
    if (!TakeDirectory(path_,
                       [](DWORD size, char* buffer) { return GetCurrentDirectoryA(size, buffer); }))
        return false;
    StripEndingPathDelimiter();
    return IsDirectory();
}

bool WIN32AU_FileSpec::SetToVerifiedTemporaryDirectory() {
    if (SetToTemporaryDirectory() && VerifyAccessToDirectory())
        return true;
    if (SetToWinDirRelativeTempDirectory())
        return VerifyAccessToDirectory();
    return false;
}

bool WIN32AU_FileSpec::SetToPreferencesDirectory() {
    if (!SetToApplicationDirectory())
        return false;
    SetRelativePath("preferences");
    if (!IsDirectory() && !CreateDirectoryA(path_.c_str(), nullptr))
        return false;
    StripEndingPathDelimiter();
    return IsDirectory();
}

bool WIN32AU_FileSpec::GetIQVFileSpecMarshalSize(unsigned int& size) const {
    size = static_cast<unsigned int>(path_.size());
    return true;
}

bool WIN32AU_FileSpec::GetMarshalledIQVFileSpec(void* buffer, unsigned int size) const {
    if (size == 0 || size < path_.size() || buffer == nullptr || QV_IsBadCodePtr(buffer) ||
        QV_IsBadWritePtr(buffer, size))
        return false;
    std::memcpy(buffer, path_.data(), path_.size());
    return true;
}

bool WIN32AU_FileSpec::SetFromMarshalledIQVFileSpec(const void* data, unsigned int size) {
    if (size == 0 || data == nullptr || QV_IsBadCodePtr(const_cast<void*>(data)) ||
        QV_IsBadReadPtr(data, size))
        return false;
    path_ = PString(static_cast<const char*>(data), size);
    return true;
}

PString WIN32AU_FileSpec::RetrievePathDelimiter() {
    return PString("\\");
}

char WIN32AU_FileSpec::RetrievePathDelimiterCharacter() const {
    return '\\';
}

PString WIN32AU_FileSpec::RetrieveExtensionDelimiter() {
    return PString(".");
}

char WIN32AU_FileSpec::RetrieveExtensionDelimiterCharacter() const {
    return '.';
}

PString WIN32AU_FileSpec::RetrieveDriveDelimiter() {
    return PString(":");
}

char WIN32AU_FileSpec::RetrieveDriveDelimiterCharacter() const {
    return ':';
}

bool WIN32AU_FileSpec::HasEndingPathDelimiter(const PString& path) const {
    return !path.empty() && path.back() == RetrievePathDelimiterCharacter();
}

bool WIN32AU_FileSpec::HasEndingPathDelimiter() const {
    return HasEndingPathDelimiter(path_);
}

void WIN32AU_FileSpec::AppendPathDelimiter(PString& path) const {
    path += RetrievePathDelimiterCharacter();
}

void WIN32AU_FileSpec::AppendPathDelimiter() {
    AppendPathDelimiter(path_);
}

void WIN32AU_FileSpec::StripEndingPathDelimiter(PString& path) const {
    if (HasEndingPathDelimiter(path))
        path.pop_back();
}

void WIN32AU_FileSpec::StripEndingPathDelimiter() {
    StripEndingPathDelimiter(path_);
}

PString WIN32AU_FileSpec::ConvertUnixPathDelimitersToWin32(const PString& path) const {
    return PString(paths::ToBackslashes(path));
}

PString WIN32AU_FileSpec::ConvertWin32PathDelimitersToUnix(const PString& path) const {
    return PString(paths::ToSlashes(path));
}

PString WIN32AU_FileSpec::RemoveDuplicateDelimiters(const PString& path) const {
    return PString(paths::RemoveDuplicateDelimiters(path));
}

PString WIN32AU_FileSpec::RemoveCurrentDirectoryReferences(const PString& path) const {
    return PString(paths::RemoveCurrentDirectoryReferences(path));
}

PString WIN32AU_FileSpec::RemoveParentDirectoryReferences(const PString& path) const {
    return PString(paths::RemoveParentDirectoryReferences(path));
}

PString WIN32AU_FileSpec::GetParentDirectoryAsString() const {
    return GetParentDirectoryAsString(path_);
}

PString WIN32AU_FileSpec::GetParentDirectoryAsString(const PString& path) const {
    PString copy(path);
    StripEndingPathDelimiter(copy);
    const std::size_t last = copy.rfind(RetrievePathDelimiterCharacter());
    if (last == std::string::npos)
        return PString();
    return copy.Left(static_cast<unsigned int>(last));
}

bool WIN32AU_FileSpec::SetToWinDirRelativeTempDirectory() {
    try {
        const UINT needed = GetWindowsDirectoryA(nullptr, 0);
        if (needed == 0) {
            path_ = PString();
            return false;
        }
        std::vector<char> buffer(needed + 1, '\0');
        const UINT length = GetWindowsDirectoryA(buffer.data(), needed + 1);
        path_ = PString(buffer.data(), length <= needed ? length : 0);
        if (!IsDirectory()) {
            path_ = PString();
            return false;
        }
        SetRelativePath("Temp");
        StripEndingPathDelimiter();
        if (IsDirectory())
            return true;
        path_ = PString();
        return false;
    } catch (...) {
        path_ = PString();
        return false;
    }
}

bool WIN32AU_FileSpec::VerifyAccessToDirectory() const {
    try {
        PString directory(path_);
        if (!HasEndingPathDelimiter(directory))
            AppendPathDelimiter(directory);
        // The thread's identifier keeps threads probing one directory at the
        // same moment apart; the tick count keeps successive probes apart.
        WIN32AU_FileSpec probe(*this);
        bool found = false;
        for (int attempt = 0; attempt < 20 && !found; ++attempt) {
            probe.path_ = directory;
            probe.path_ += "tqv_" + std::to_string(GetCurrentThreadId()) + "_" +
                           std::to_string(GetTickCount()) + ".tmp";
            found = !probe.IsExisting();
        }
        if (!found)
            return false;
        HANDLE handle = CreateFileA(probe.path_.c_str(), 0, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(handle);
        if (!probe.IsFile())
            return false;
        DeleteFileA(probe.path_.c_str());
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace REDudi
