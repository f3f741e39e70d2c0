// Files and paths: the FileSpec that names a file or directory by
// its full path, its narrow and wide facades, the file manager that creates,
// copies, moves, lists and deletes files and directory trees, and the simple
// path. Every path given as text is relative to the FileSpec's current
// path; a new FileSpec names the directory of the process's executable.
#pragma once

#include <REDudi/export.h>
#include <REDudi/strings.h>

#include <cstdio>
#include <list>

namespace REDudi {

// Names one file or directory by its full path. The virtual functions are
// declared in a fixed order that is part of the binary interface.
class REDUDI_API FileSpec {
public:
    virtual ~FileSpec();
    // Takes the source's path; null leaves an empty path.
    virtual void Copy(FileSpec* source) = 0;
    // A new FileSpec with the same path, owned by the caller, or null.
    virtual FileSpec* Clone() const = 0;
    // Byte-for-byte, case-sensitive comparison of the two paths.
    virtual bool IsEqual(FileSpec* other) = 0;
    virtual PString GetFullPath() = 0;
    virtual bool IsExisting() const = 0;
    virtual bool IsFile() const = 0;
    virtual bool IsDirectory() const = 0;
    // Appends `relativePath` and resolves ".", ".." and doubled delimiters.
    virtual void SetRelativePath(const PString& relativePath) = 0;
    // "file://" and the full path, escaped as %xx except letters, digits, ":/,.".
    virtual PString GetURL();
    // The directory of an existing file, otherwise the path itself.
    virtual PString GetDirectoryPath() = 0;
    // A new FileSpec of the parent directory, owned by the caller, or null.
    virtual FileSpec* GetParentDirectory() const = 0;
    // Moves the file name under the directory named by `directory`.
    virtual void SetParentDirectory(FileSpec* directory) = 0;
    virtual PString GetFileName() = 0;
    virtual PString GetVolumeName() = 0;
    virtual PString GetDriveName() = 0;
    // The byte form of the path: its bytes, no terminator, no header.
    virtual unsigned int GetPersistentDataSize() const = 0;
    virtual unsigned int GetPersistentData(void* buffer, unsigned int size) const = 0;
    virtual bool SetPersistentData(const void* data, unsigned int size) = 0;
    // fopen of the path; the caller closes the stream.
    virtual FILE* Open(const char* mode) const = 0;
    virtual bool SetToApplicationDirectory() = 0;
    virtual bool SetToSystemDirectory() = 0;
    virtual bool SetToTemporaryDirectory() = 0;
    // A temporary directory in which a file could be created.
    virtual bool SetToVerifiedTemporaryDirectory() = 0;
    // The "preferences" directory beside the executable, created if missing.
    virtual bool SetToPreferencesDirectory() = 0;
    virtual bool SetToCurrentDirectory() = 0;
    // The marshalled form: the same bytes as the byte form.
    virtual bool GetIQVFileSpecMarshalSize(unsigned int& size) const = 0;
    virtual bool GetMarshalledIQVFileSpec(void* buffer, unsigned int size) const = 0;
    virtual bool SetFromMarshalledIQVFileSpec(const void* data, unsigned int size) = 0;

    // A new FileSpec of the application directory owned by the caller,
    // or null.
    static FileSpec* GetNewFileSpec();

protected:
    FileSpec();
    FileSpec(const FileSpec& other);
    FileSpec& operator=(const FileSpec& other);

    virtual PString RetrievePathDelimiter() = 0;
    virtual char RetrievePathDelimiterCharacter() const = 0;
    virtual PString RetrieveExtensionDelimiter() = 0;
    virtual char RetrieveExtensionDelimiterCharacter() const = 0;
    virtual PString RetrieveDriveDelimiter() = 0;
    virtual char RetrieveDriveDelimiterCharacter() const = 0;
};

#ifdef _WIN32
// The Windows FileSpec: one full path with backslashes and a drive
// letter, every part cut out of it when asked for; ANSI file functions.
class REDUDI_API WIN32AU_FileSpec : public FileSpec {
public:
    // Starts at the application directory (an empty path if that fails).
    WIN32AU_FileSpec();
    WIN32AU_FileSpec(const WIN32AU_FileSpec& other);
    WIN32AU_FileSpec& operator=(const WIN32AU_FileSpec& other);
    ~WIN32AU_FileSpec() override;

    void Copy(FileSpec* source) override;
    FileSpec* Clone() const override;
    bool IsEqual(FileSpec* other) override;
    PString GetFullPath() override;
    bool IsExisting() const override;
    bool IsFile() const override;
    bool IsDirectory() const override;
    void SetRelativePath(const PString& relativePath) override;
    PString GetDirectoryPath() override;
    FileSpec* GetParentDirectory() const override;
    void SetParentDirectory(FileSpec* directory) override;
    PString GetFileName() override;
    PString GetVolumeName() override;
    PString GetDriveName() override;
    unsigned int GetPersistentDataSize() const override;
    unsigned int GetPersistentData(void* buffer, unsigned int size) const override;
    bool SetPersistentData(const void* data, unsigned int size) override;
    FILE* Open(const char* mode) const override;
    bool SetToApplicationDirectory() override;
    bool SetToSystemDirectory() override;
    bool SetToTemporaryDirectory() override;
    bool SetToVerifiedTemporaryDirectory() override;
    bool SetToPreferencesDirectory() override;
    bool SetToCurrentDirectory() override;
    bool GetIQVFileSpecMarshalSize(unsigned int& size) const override;
    bool GetMarshalledIQVFileSpec(void* buffer, unsigned int size) const override;
    bool SetFromMarshalledIQVFileSpec(const void* data, unsigned int size) override;

protected:
    PString RetrievePathDelimiter() override;
    char RetrievePathDelimiterCharacter() const override;
    PString RetrieveExtensionDelimiter() override;
    char RetrieveExtensionDelimiterCharacter() const override;
    PString RetrieveDriveDelimiter() override;
    char RetrieveDriveDelimiterCharacter() const override;

    virtual bool HasEndingPathDelimiter(const PString& path) const;
    virtual bool HasEndingPathDelimiter() const;
    // Appends a delimiter even when one is there already.
    virtual void AppendPathDelimiter(PString& path) const;
    virtual void AppendPathDelimiter();
    // Removes one ending delimiter, if any.
    virtual void StripEndingPathDelimiter(PString& path) const;
    virtual void StripEndingPathDelimiter();

    PString ConvertUnixPathDelimitersToWin32(const PString& path) const;
    PString ConvertWin32PathDelimitersToUnix(const PString& path) const;
    PString RemoveDuplicateDelimiters(const PString& path) const;
    PString RemoveCurrentDirectoryReferences(const PString& path) const;
    PString RemoveParentDirectoryReferences(const PString& path) const;
    // Everything before the last delimiter once one ending delimiter is
    // stripped; empty when there is none.
    PString GetParentDirectoryAsString() const;
    PString GetParentDirectoryAsString(const PString& path) const;
    // The "Temp" directory under the Windows directory; empty path on failure.
    bool SetToWinDirRelativeTempDirectory();
    // Creates and deletes a probe file in the directory.
    bool VerifyAccessToDirectory() const;

private:
    explicit WIN32AU_FileSpec(const PString& path);
    bool TakeApplicationDirectory();

    PString path_;
};
#endif

// AFileSpec, the exported value that owns its own FileSpec. A
// facade whose object is missing is invalid and answers false, 0, null or an
// empty string; copies of an invalid facade are invalid.
class REDUDI_API AFileSpec {
public:
    // The application directory.
    AFileSpec();
    // `relativePath` under the application directory.
    AFileSpec(const PString& relativePath);
    // The path of `spec`, which stays the caller's; null gives an empty path.
    AFileSpec(FileSpec* spec);
    AFileSpec(const AFileSpec& other);
    ~AFileSpec();

    AFileSpec& operator=(const AFileSpec& other);
    AFileSpec& operator=(FileSpec* spec);
    // Starts again at the application directory.
    AFileSpec& operator=(const PString& relativePath);
    // Appends to the current path.
    AFileSpec& operator+=(const PString& relativePath);
    bool operator==(const AFileSpec& other) const;
    bool operator!=(const AFileSpec& other) const;

    static AFileSpec GetInvalid();
    // The owned object, still owned by the facade.
    FileSpec* GetFileSpec() const;
    bool IsObjectValid() const;

    bool IsExisting() const;
    bool IsFile() const;
    bool IsDirectory() const;
    void SetRelativePath(const PString& relativePath);
    PString GetURL() const;
    PString GetFullPath() const;
    PString GetDirectoryPath() const;
    PString GetFileName() const;
    PString GetVolumeName() const;
    PString GetDriveName() const;
    unsigned int GetPersistentDataSize() const;
    unsigned int GetPersistentData(void* buffer, unsigned int size) const;
    bool SetPersistentData(const void* data, unsigned int size);
    FILE* Open(const char* mode) const;
    bool SetToApplicationDirectory();
    bool SetToSystemDirectory();
    bool SetToTemporaryDirectory();
    bool SetToVerifiedTemporaryDirectory();
    bool SetToPreferencesDirectory();
    bool SetToCurrentDirectory();
    bool GetIQVFileSpecMarshalSize(unsigned int& size) const;
    bool GetMarshalledIQVFileSpec(void* buffer, unsigned int size) const;
    bool SetFromMarshalledIQVFileSpec(const void* data, unsigned int size);
    // Invalid when there is no parent (a drive such as D:).
    AFileSpec GetParentDirectory() const;
    void SetParentDirectory(const AFileSpec& directory) const;

private:
    struct InvalidTag {};
    explicit AFileSpec(InvalidTag);
    void Release();

    FileSpec* spec_;
};

// The FileSpec for wide (UTF-16) text: converts at its boundary
// and does the work through the narrow facade. Text that cannot be converted
// to the ANSI code page makes the facade invalid.
class REDUDI_API AFileSpecUnicode {
public:
    AFileSpecUnicode();
    AFileSpecUnicode(const UString& relativePath);
    AFileSpecUnicode(const AFileSpec& other);
    AFileSpecUnicode(const AFileSpecUnicode& other);
    ~AFileSpecUnicode();

    AFileSpecUnicode& operator=(const AFileSpecUnicode& other);
    AFileSpecUnicode& operator=(const AFileSpec& other);
    // Both append to the current path.
    AFileSpecUnicode& operator=(const UString& relativePath);
    AFileSpecUnicode& operator+=(const UString& relativePath);
    bool operator==(const AFileSpecUnicode& other) const;
    bool operator!=(const AFileSpecUnicode& other) const;
    operator AFileSpec() const;
    AFileSpec GetAFileSpec() const;

    bool IsObjectValid() const;
    bool IsExisting() const;
    bool IsFile() const;
    bool IsDirectory() const;
    void SetRelativePath(const UString& relativePath);
    UString GetURLUnicode() const;
    UString GetFullPathUnicode() const;
    UString GetDirectoryPathUnicode() const;
    UString GetFileNameUnicode() const;
    UString GetVolumeNameUnicode() const;
    UString GetDriveNameUnicode() const;
    FILE* Open(const char* mode) const;
    bool SetToApplicationDirectory();
    bool SetToSystemDirectory();
    bool SetToTemporaryDirectory();
    bool SetToVerifiedTemporaryDirectory();
    bool SetToPreferencesDirectory();
    bool SetToCurrentDirectory();
    AFileSpecUnicode GetParentDirectoryUnicode() const;
    void SetParentDirectoryUnicode(const AFileSpecUnicode& directory) const;

private:
    AFileSpec spec_;
};

// File-system operations on files and directory trees named by AFileSpec.
// Every operation stops at its first failing step and returns false, leaving
// what was done so far; nothing is rolled back. Stateless.
class REDUDI_API FileManager {
public:
    virtual bool DirExists(const AFileSpec& directory) const;
    // Creates missing parent directories first.
    virtual bool CreateDir(const AFileSpec& directory) const = 0;
    // Without `recursive` only an empty directory is removed.
    virtual bool DeleteDir(const AFileSpec& directory, bool recursive) const = 0;
    // Copies `source` into `destination`, as destination\<name of source>.
    virtual bool CopyDir(const AFileSpec& source, const AFileSpec& destination, bool overwrite,
                         bool copyFiles, bool createDestination) const = 0;
    // Moves `source` into `destination`, as destination\<name of source>.
    virtual bool MoveDir(const AFileSpec& source, const AFileSpec& destination,
                         bool overwrite) const = 0;
    // Moves the content of `source` into `newName`.
    virtual bool RenameDir(const AFileSpec& source, const AFileSpec& newName,
                           bool overwrite) const = 0;
    // Appends the matching directories, in pre-order when recursive.
    virtual bool GetDirListing(std::list<AFileSpec>& list, const AFileSpec& spec,
                               bool recursive) const = 0;
    virtual bool FileExists(const AFileSpec& file) const;
    // With `overwrite` an existing file is truncated to length 0.
    virtual bool CreateFileSpec(const AFileSpec& file, bool overwrite) const = 0;
    virtual bool CopyFileSpec(const AFileSpec& source, const AFileSpec& destination, bool overwrite,
                              bool createDirectories) const = 0;
    virtual bool DeleteFileSpec(const AFileSpec& file) const = 0;
    virtual bool MoveFileSpec(const AFileSpec& source, const AFileSpec& destination,
                              bool overwrite) const = 0;
    virtual bool RenameFileSpec(const AFileSpec& source, const AFileSpec& destination,
                                bool overwrite) const = 0;
    // Appends the matching files; recursion enters matching directories only.
    virtual bool GetFileListing(std::list<AFileSpec>& list, const AFileSpec& spec,
                                bool recursive) const = 0;
    virtual bool DeleteFiles(const AFileSpec& pattern, bool recursive) const = 0;
    virtual bool DeleteAllFiles(const AFileSpec& directory, bool recursive) const = 0;
    // Note the order: destination first, then the source pattern.
    virtual bool CopyFiles(const AFileSpec& destinationDirectory, const AFileSpec& sourcePattern,
                           bool overwrite, bool recursive, bool keepStructure) const = 0;
    virtual bool CopyAllFiles(const AFileSpec& sourceDirectory,
                              const AFileSpec& destinationDirectory, bool overwrite, bool recursive,
                              bool keepStructure) const = 0;
    virtual bool FindMatchingFile(bool& found, const AFileSpec& pattern, bool recursive) const = 0;
    virtual ~FileManager();

    // A new manager owned by the caller, or null.
    static FileManager* GetNewFileManager();

protected:
    virtual PString RetrieveUniversalWildcard() const = 0;
    virtual UString RetrieveUniversalWildcardUnicode() const = 0;
};

#ifdef _WIN32
// The Windows file manager, built on FindFirstFileA and the ANSI file
// functions. Composite operations reach the primitives through the interface.
class REDUDI_API WIN32_FileManager : public FileManager {
public:
    WIN32_FileManager();
    ~WIN32_FileManager() override;

    bool CreateDir(const AFileSpec& directory) const override;
    bool DeleteDir(const AFileSpec& directory, bool recursive) const override;
    bool CopyDir(const AFileSpec& source, const AFileSpec& destination, bool overwrite,
                 bool copyFiles, bool createDestination) const override;
    bool MoveDir(const AFileSpec& source, const AFileSpec& destination,
                 bool overwrite) const override;
    bool RenameDir(const AFileSpec& source, const AFileSpec& newName,
                   bool overwrite) const override;
    bool GetDirListing(std::list<AFileSpec>& list, const AFileSpec& spec,
                       bool recursive) const override;
    bool CreateFileSpec(const AFileSpec& file, bool overwrite) const override;
    bool CopyFileSpec(const AFileSpec& source, const AFileSpec& destination, bool overwrite,
                      bool createDirectories) const override;
    bool DeleteFileSpec(const AFileSpec& file) const override;
    bool MoveFileSpec(const AFileSpec& source, const AFileSpec& destination,
                      bool overwrite) const override;
    bool RenameFileSpec(const AFileSpec& source, const AFileSpec& destination,
                        bool overwrite) const override;
    bool GetFileListing(std::list<AFileSpec>& list, const AFileSpec& spec,
                        bool recursive) const override;
    bool DeleteFiles(const AFileSpec& pattern, bool recursive) const override;
    bool DeleteAllFiles(const AFileSpec& directory, bool recursive) const override;
    bool CopyFiles(const AFileSpec& destinationDirectory, const AFileSpec& sourcePattern,
                   bool overwrite, bool recursive, bool keepStructure) const override;
    bool CopyAllFiles(const AFileSpec& sourceDirectory, const AFileSpec& destinationDirectory,
                      bool overwrite, bool recursive, bool keepStructure) const override;
    bool FindMatchingFile(bool& found, const AFileSpec& pattern, bool recursive) const override;

protected:
    PString RetrieveUniversalWildcard() const override;
    UString RetrieveUniversalWildcardUnicode() const override;

    bool InternalGetFileList(const AFileSpec& spec, std::list<AFileSpec>& out, bool recursive,
                             bool includeFiles, bool includeDirectories) const;
    // Whether `candidate` lies inside the tree of `ancestor`.
    bool IsParent(bool& isParent, const AFileSpec& ancestor, const AFileSpec& candidate) const;
};
#endif

// A lighter path: starts at the application directory, is extended by
// relative paths without resolving "." or "..", and keeps a snapshot of its
// file attributes taken whenever the path changes.
class REDUDI_API SimplePath {
public:
    virtual ~SimplePath();
    virtual PString GetFullPath() = 0;
    // The address of the object's own path string (a PString).
    virtual const void* GetPlatformNativePath() const = 0;
    // The three answer from the snapshot taken when the path last changed.
    virtual bool IsExisting() const = 0;
    virtual bool IsFile() const = 0;
    virtual bool IsDirectory() const = 0;
    virtual bool SetRelativePath(const PString& relativePath) = 0;
    virtual PString GetFileName() = 0;
    virtual FILE* Open(const PString& mode) const = 0;
    virtual bool SetToApplicationDirectory() = 0;
    virtual void Copy(SimplePath* source) = 0;
    virtual bool IsEqual(SimplePath* other) const = 0;

    // A new path of the application directory owned by the caller, or null.
    static SimplePath* GetNewSimplePath();
};

#ifdef _WIN32
class REDUDI_API WIN32_SimplePath : public SimplePath {
public:
    WIN32_SimplePath();
    WIN32_SimplePath(const WIN32_SimplePath& other);
    WIN32_SimplePath& operator=(const WIN32_SimplePath& other);
    ~WIN32_SimplePath() override;

    PString GetFullPath() override;
    const void* GetPlatformNativePath() const override;
    bool IsExisting() const override;
    bool IsFile() const override;
    bool IsDirectory() const override;
    bool SetRelativePath(const PString& relativePath) override;
    PString GetFileName() override;
    FILE* Open(const PString& mode) const override;
    bool SetToApplicationDirectory() override;
    void Copy(SimplePath* source) override;
    bool IsEqual(SimplePath* other) const override;

protected:
    // Slashes after the first character become backslashes; backslashes at
    // both ends are trimmed.
    virtual PString ConformRelativePath(const PString& relativePath);
    // Cuts `path` to its directory; false when it has no delimiter.
    virtual bool GetParentDirectory(PString& path) const;

private:
    void RefreshAttributes();

    PString path_;
    unsigned long attributes_;
};
#endif

// The exported simple path. Assignment copies into the own object.
class REDUDI_API ASimplePath {
public:
    ASimplePath();
    ASimplePath(const PString& relativePath);
    ASimplePath(const ASimplePath& other);
    ~ASimplePath();

    ASimplePath& operator=(const ASimplePath& other);
    ASimplePath& operator=(SimplePath* path);
    ASimplePath& operator+=(const PString& relativePath);
    bool operator==(const ASimplePath& other) const;
    bool operator!=(const ASimplePath& other) const;

    bool IsObjectValid() const;
    bool IsExisting() const;
    bool IsFile() const;
    bool IsDirectory() const;
    bool SetRelativePath(const PString& relativePath);
    bool SetToApplicationDirectory();
    PString GetFullPath() const;
    PString GetFileName() const;
    FILE* Open(const PString& mode) const;
    const void* GetPlatformNativePath() const;

private:
    void CopyFrom(SimplePath* source);

    SimplePath* path_;
};

} // namespace REDudi
