#include "files/win32/tree_containment.h"

#include <REDudi/files.h>

#include <windows.h>

#include <cstring>
#include <new>

namespace REDudi {

namespace {

bool IsDotEntry(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Whether `destination` is `source` itself or lies inside its tree. The test
// is textual and case-insensitive and also holds for paths that do not exist
// yet; it finds every directory that listing the source tree would find, and
// more, so moves and renames need not list the tree to refuse such a target.
bool IsIntoItself(const AFileSpec& source, const AFileSpec& destination) {
    return IsSamePlace(source.GetFullPath(), destination.GetFullPath()) ||
           IsInsideTree(source.GetFullPath(), destination.GetFullPath());
}

// Whether a directory entry the search has just returned might still not be
// found under the path built for it: names that Windows rewrites when it
// resolves a path (an ending dot or space), names the ANSI code page could not
// represent (returned with "?" or mapped to other characters), links, and
// paths beyond MAX_PATH. For any other entry the lookup would only repeat what
// the search said, at the price of a second file-system query per entry,
// which would double the cost of a listing; so only these are looked up.
bool NeedsExistenceCheck(const WIN32_FIND_DATAA& found, const PString& path) {
    if (path.empty() || path.size() >= MAX_PATH ||
        (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return true;
    const char* name = found.cFileName;
    const std::size_t length = std::strlen(name);
    if (length == 0 || name[length - 1] == '.' || name[length - 1] == ' ')
        return true;
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c > 0x7E || c == '?' || c == '*')
            return true;
    }
    return false;
}

// `directory` with `name` appended.
bool HasWildcard(const PString& name) {
    return name.find_first_of("*?") != std::string::npos;
}

AFileSpec Child(const AFileSpec& directory, const PString& name) {
    AFileSpec child(directory);
    child += name;
    return child;
}

// Every operation answers false rather than throwing: running out of memory
// halfway through a tree ends the operation like any other failing step.
template <class Operation>
bool Safely(Operation operation) noexcept {
    try {
        return operation();
    } catch (...) {
        return false;
    }
}

// Closes a search however the listing loop is left.
class SearchHandle {
public:
    explicit SearchHandle(HANDLE handle) : handle_(handle) {}
    ~SearchHandle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            FindClose(handle_);
    }
    SearchHandle(const SearchHandle&) = delete;
    SearchHandle& operator=(const SearchHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

} // namespace

FileManager* FileManager::GetNewFileManager() {
    try {
        return new WIN32_FileManager();
    } catch (const std::bad_alloc&) {
        return nullptr;
    } catch (...) {
        return nullptr;
    }
}

WIN32_FileManager::WIN32_FileManager() {}

WIN32_FileManager::~WIN32_FileManager() {}

PString WIN32_FileManager::RetrieveUniversalWildcard() const {
    return PString("*");
}

UString WIN32_FileManager::RetrieveUniversalWildcardUnicode() const {
    UString wildcard;
    wildcard += static_cast<unsigned short>('*');
    return wildcard;
}

bool WIN32_FileManager::InternalGetFileList(const AFileSpec& spec, std::list<AFileSpec>& out,
                                            bool recursive, bool includeFiles,
                                            bool includeDirectories) const {
    return Safely([&]() -> bool {
        if (!spec.IsObjectValid())
            return false;
        AFileSpec pattern(spec);
        // A name with a wildcard is a pattern and never a directory: the
        // recursion passes such patterns, and asking Windows about them costs
        // a file-system lookup per directory listed.
        if (!HasWildcard(spec.GetFileName()) && spec.IsDirectory())
            pattern += RetrieveUniversalWildcard();
        if (!includeFiles && !includeDirectories)
            return false;

        WIN32_FIND_DATAA found;
        SearchHandle search(FindFirstFileA(pattern.GetFullPath().c_str(), &found));
        if (search.get() == INVALID_HANDLE_VALUE)
            return true;
        // Every entry lies in the pattern's parent; it is worked out once.
        const AFileSpec parent = pattern.GetParentDirectory();
        const PString wildcard = pattern.GetFileName();
        do {
            if (IsDotEntry(found.cFileName))
                continue;
            // Built in a list of its own, so that it joins `out` without a copy.
            std::list<AFileSpec> entry(1, parent);
            entry.back() += PString(found.cFileName);
            if (NeedsExistenceCheck(found, entry.back().GetFullPath()) &&
                !entry.back().IsExisting())
                continue;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                const AFileSpec subpattern =
                    recursive ? Child(entry.back(), wildcard) : AFileSpec::GetInvalid();
                if (includeDirectories)
                    out.splice(out.end(), entry);
                if (recursive &&
                    !InternalGetFileList(subpattern, out, true, includeFiles, includeDirectories))
                    return false;
            } else if (includeFiles) {
                out.splice(out.end(), entry);
            }
        } while (FindNextFileA(search.get(), &found));
        return true;
    });
}

bool WIN32_FileManager::IsParent(bool& isParent, const AFileSpec& ancestor,
                                 const AFileSpec& candidate) const {
    return Safely([&]() -> bool {
        isParent = false;
        if (!DirExists(ancestor) || !DirExists(candidate))
            return true;
        std::list<AFileSpec> tree;
        if (!InternalGetFileList(ancestor, tree, true, false, true))
            return false;
        for (const AFileSpec& directory : tree) {
            if (directory == candidate) {
                isParent = true;
                break;
            }
        }
        return true;
    });
}

bool WIN32_FileManager::CreateDir(const AFileSpec& directory) const {
    return Safely([&]() -> bool {
        if (!directory.IsObjectValid())
            return false;
        if (DirExists(directory))
            return true;
        if (!CreateDir(directory.GetParentDirectory()))
            return false;
        return CreateDirectoryA(directory.GetFullPath().c_str(), nullptr) != FALSE;
    });
}

bool WIN32_FileManager::DeleteDir(const AFileSpec& directory, bool recursive) const {
    return Safely([&]() -> bool {
        if (!DirExists(directory))
            return false;
        if (recursive) {
            std::list<AFileSpec> subdirectories;
            if (!GetDirListing(subdirectories, directory, false))
                return false;
            for (const AFileSpec& subdirectory : subdirectories) {
                if (!DeleteDir(subdirectory, true))
                    return false;
            }
            if (!DeleteAllFiles(directory, false))
                return false;
        }
        std::list<AFileSpec> remaining;
        if (!InternalGetFileList(directory, remaining, false, true, true))
            return false;
        // A directory that is not empty is left in place, and that is no error.
        if (!remaining.empty())
            return true;
        return RemoveDirectoryA(directory.GetFullPath().c_str()) != FALSE;
    });
}

bool WIN32_FileManager::CopyDir(const AFileSpec& source, const AFileSpec& destination,
                                bool overwrite, bool copyFiles, bool createDestination) const {
    return Safely([&]() -> bool {
        if (!DirExists(source) || !destination.IsObjectValid())
            return false;
        // Beyond the plain existence checks: a copy into its own tree would
        // list its own output and recurse until the path overflows.
        if (IsIntoItself(source, destination))
            return false;
        if (!DirExists(destination)) {
            if (!createDestination)
                return true;
            if (!CreateDir(destination))
                return false;
        }
        const AFileSpec target = Child(destination, source.GetFileName());
        if (!CreateDir(target))
            return false;
        std::list<AFileSpec> subdirectories;
        if (!GetDirListing(subdirectories, source, false))
            return false;
        for (const AFileSpec& subdirectory : subdirectories) {
            if (!CopyDir(subdirectory, target, overwrite, copyFiles, true))
                return false;
        }
        if (copyFiles && !CopyAllFiles(source, target, overwrite, false, true))
            return false;
        return true;
    });
}

bool WIN32_FileManager::MoveDir(const AFileSpec& source, const AFileSpec& destination,
                                bool overwrite) const {
    return Safely([&]() -> bool {
        if (!DirExists(source) || !destination.IsObjectValid())
            return false;
        if (IsIntoItself(source, destination))
            return false;
        if (!CopyDir(source, destination, overwrite, true, true))
            return false;
        return DeleteDir(source, true);
    });
}

bool WIN32_FileManager::RenameDir(const AFileSpec& source, const AFileSpec& newName,
                                  bool overwrite) const {
    return Safely([&]() -> bool {
        if (!DirExists(source) || !newName.IsObjectValid())
            return false;
        if (IsIntoItself(source, newName))
            return false;
        if (!CreateDir(newName))
            return false;
        if (!CopyAllFiles(source, newName, overwrite, true, true))
            return false;
        return DeleteDir(source, true);
    });
}

bool WIN32_FileManager::GetDirListing(std::list<AFileSpec>& list, const AFileSpec& spec,
                                      bool recursive) const {
    return Safely(
        [&]() -> bool { return InternalGetFileList(spec, list, recursive, false, true); });
}

bool WIN32_FileManager::GetFileListing(std::list<AFileSpec>& list, const AFileSpec& spec,
                                       bool recursive) const {
    return Safely(
        [&]() -> bool { return InternalGetFileList(spec, list, recursive, true, false); });
}

bool WIN32_FileManager::CreateFileSpec(const AFileSpec& file, bool overwrite) const {
    return Safely([&]() -> bool {
        if (FileExists(file) && !overwrite)
            return true;
        if (!file.IsObjectValid())
            return false;
        HANDLE handle =
            CreateFileA(file.GetFullPath().c_str(), 0, 0, nullptr,
                        overwrite ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(handle);
        return true;
    });
}

// A file is never copied onto itself: opening the destination for writing
// would truncate the source.
bool WIN32_FileManager::CopyFileSpec(const AFileSpec& source, const AFileSpec& destination,
                                     bool overwrite, bool createDirectories) const {
    return Safely([&]() -> bool {
        if (!FileExists(source) || DirExists(destination))
            return false;
        if (!overwrite && FileExists(destination))
            return true;
        if (!destination.IsObjectValid() ||
            IsSamePlace(source.GetFullPath(), destination.GetFullPath()))
            return false;
        // CopyFileA refuses a read-only destination on Windows, but not everywhere
        // its files live (Wine running as root writes through the read-only bit).
        if (overwrite) {
            const DWORD attributes = GetFileAttributesA(destination.GetFullPath().c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_READONLY) != 0)
                return false;
        }
        const AFileSpec parent = destination.GetParentDirectory();
        if (!DirExists(parent)) {
            if (!createDirectories)
                return true;
            if (!CreateDir(parent))
                return false;
        }
        return CopyFileA(source.GetFullPath().c_str(), destination.GetFullPath().c_str(), FALSE) !=
               FALSE;
    });
}

bool WIN32_FileManager::DeleteFileSpec(const AFileSpec& file) const {
    return Safely([&]() -> bool {
        if (!FileExists(file))
            return false;
        return DeleteFileA(file.GetFullPath().c_str()) != FALSE;
    });
}

bool WIN32_FileManager::MoveFileSpec(const AFileSpec& source, const AFileSpec& destination,
                                     bool overwrite) const {
    return Safely([&]() -> bool {
        if (!FileExists(source) || DirExists(destination))
            return false;
        if (FileExists(destination) && !overwrite)
            return true;
        if (!CreateDir(destination.GetParentDirectory()))
            return false;
        if (!CopyFileSpec(source, destination, overwrite, true))
            return false;
        return DeleteFileSpec(source);
    });
}

bool WIN32_FileManager::RenameFileSpec(const AFileSpec& source, const AFileSpec& destination,
                                       bool overwrite) const {
    return Safely([&]() -> bool { return MoveFileSpec(source, destination, overwrite); });
}

bool WIN32_FileManager::DeleteFiles(const AFileSpec& pattern, bool recursive) const {
    return Safely([&]() -> bool {
        const AFileSpec parent = pattern.GetParentDirectory();
        if (!DirExists(parent) || pattern.IsDirectory())
            return false;
        std::list<AFileSpec> files;
        if (!GetFileListing(files, pattern, false))
            return false;
        for (const AFileSpec& file : files) {
            if (!DeleteFileSpec(Child(parent, file.GetFileName())))
                return false;
        }
        if (recursive) {
            const PString wildcard = pattern.GetFileName();
            std::list<AFileSpec> subdirectories;
            if (!GetDirListing(subdirectories, parent, false))
                return false;
            for (const AFileSpec& subdirectory : subdirectories) {
                if (!DeleteFiles(Child(Child(parent, subdirectory.GetFileName()), wildcard), true))
                    return false;
            }
        }
        return true;
    });
}

bool WIN32_FileManager::DeleteAllFiles(const AFileSpec& directory, bool recursive) const {
    return Safely([&]() -> bool {
        if (!DirExists(directory))
            return false;
        return DeleteFiles(Child(directory, RetrieveUniversalWildcard()), recursive);
    });
}

// A recursive copy into a directory below the source directory is refused:
// the copy would meet its own output among the subdirectories.
bool WIN32_FileManager::CopyFiles(const AFileSpec& destinationDirectory,
                                  const AFileSpec& sourcePattern, bool overwrite, bool recursive,
                                  bool keepStructure) const {
    return Safely([&]() -> bool {
        const AFileSpec sourceDirectory = sourcePattern.GetParentDirectory();
        if (sourcePattern.IsDirectory() || !DirExists(sourceDirectory) ||
            !destinationDirectory.IsObjectValid())
            return false;
        if (recursive) {
            if (!DirExists(sourceDirectory))
                return false;
            if (IsInsideTree(sourceDirectory.GetFullPath(), destinationDirectory.GetFullPath()))
                return false;
            if (keepStructure && !DirExists(destinationDirectory) &&
                !CreateDir(destinationDirectory))
                return false;
            const PString wildcard = sourcePattern.GetFileName();
            std::list<AFileSpec> subdirectories;
            if (!GetDirListing(subdirectories, sourceDirectory, false))
                return false;
            for (const AFileSpec& subdirectory : subdirectories) {
                const PString name = subdirectory.GetFileName();
                const AFileSpec destination =
                    keepStructure ? Child(destinationDirectory, name) : destinationDirectory;
                if (!CopyFiles(destination, Child(Child(sourceDirectory, name), wildcard),
                               overwrite, true, keepStructure))
                    return false;
            }
        }
        std::list<AFileSpec> files;
        if (!GetFileListing(files, sourcePattern, false))
            return false;
        for (const AFileSpec& file : files) {
            if (!CopyFileSpec(file, Child(destinationDirectory, file.GetFileName()), overwrite,
                              true))
                return false;
        }
        return true;
    });
}

bool WIN32_FileManager::CopyAllFiles(const AFileSpec& sourceDirectory,
                                     const AFileSpec& destinationDirectory, bool overwrite,
                                     bool recursive, bool keepStructure) const {
    return Safely([&]() -> bool {
        if (!DirExists(sourceDirectory))
            return false;
        return CopyFiles(destinationDirectory, Child(sourceDirectory, RetrieveUniversalWildcard()),
                         overwrite, recursive, keepStructure);
    });
}

bool WIN32_FileManager::FindMatchingFile(bool& found, const AFileSpec& pattern,
                                         bool recursive) const {
    return Safely([&]() -> bool {
        const AFileSpec parent = pattern.GetParentDirectory();
        if (pattern.IsDirectory() || !DirExists(parent))
            return false;
        std::list<AFileSpec> files;
        if (!GetFileListing(files, pattern, false))
            return false;
        found = !files.empty();
        if (!recursive || found)
            return true;
        const PString wildcard = pattern.GetFileName();
        std::list<AFileSpec> subdirectories;
        if (!GetDirListing(subdirectories, parent, false))
            return false;
        for (const AFileSpec& subdirectory : subdirectories) {
            if (found)
                break;
            if (!FindMatchingFile(found, Child(Child(parent, subdirectory.GetFileName()), wildcard),
                                  true))
                return false;
        }
        return true;
    });
}

} // namespace REDudi
