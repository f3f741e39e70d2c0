// Modules and system information: handles of the modules loaded in this
// process with their file names and file versions, shared libraries loaded
// at run time with a load count of their own, and what the machine is
// (Windows version, memory, drives, processors).
#pragma once

#include <REDudi/export.h>
#include <REDudi/files.h>
#include <REDudi/platform.h>
#include <REDudi/strings.h>

namespace REDudi {

// ---------------------------------------------------------------------------
// Module handles and version information

// A module loaded in this process. The base holds nothing: it is always
// valid, assigning to it does nothing and it equals everything.
class REDUDI_API ModuleHandle {
public:
    virtual ~ModuleHandle();
    virtual bool IsValid() const;
    virtual ModuleHandle& Assign(const ModuleHandle& other);
    virtual bool IsEqual(const ModuleHandle& other) const;

    ModuleHandle& operator=(const ModuleHandle& other);

    // A new module handle with a null handle, owned by the caller, or null.
    static ModuleHandle* GetNewModuleHandle();

protected:
    ModuleHandle();
    ModuleHandle(const ModuleHandle& other);
};

// Names loaded modules and reads their file names and file versions. The
// version is the text of the resource's "FileVersion" string, not parsed.
class REDUDI_API ModuleInfo {
public:
    virtual ~ModuleInfo();
    virtual bool IsValid() const;
    // An empty name stands for the process's executable. The module is not
    // loaded and its reference count is not changed; the caller owns `handle`.
    virtual bool GetModulesHandle(const UString& name, ModuleHandle*& handle) = 0;
    virtual bool GetModulesHandle(const PString& name, ModuleHandle*& handle) = 0;
    // A null module stands for the process's executable.
    virtual bool GetModuleFilename(const ModuleHandle* module, UString& fileName) = 0;
    virtual bool GetModuleFilename(const ModuleHandle* module, PString& fileName) = 0;
    virtual bool GetModuleFileVersion(const ModuleHandle* module, UString& version) = 0;
    virtual bool GetModuleFileVersion(const ModuleHandle* module, PString& version) = 0;
    // The wide overload also tries the block of the user's language and the
    // ANSI code page.
    virtual bool GetModuleFileVersion(const UString& path, UString& version) = 0;
    virtual bool GetModuleFileVersion(const PString& path, PString& version) = 0;

    // A new module information object owned by the caller, or null.
    static ModuleInfo* GetNewModuleInfo();

protected:
    ModuleInfo();
};

// The exported module handle; a new one holds a null handle. Copies are
// independent objects holding the same handle.
class REDUDI_API AModuleHandle {
public:
    AModuleHandle();
    AModuleHandle(const AModuleHandle& other);
    virtual ~AModuleHandle();
    virtual bool IsValid() const;

    AModuleHandle& operator=(const AModuleHandle& other);
    AModuleHandle& operator=(const ModuleHandle& other);
    // True when both hold the same module; false when this one is unusable.
    bool operator==(const AModuleHandle& other) const;
    bool operator!=(const AModuleHandle& other) const;

    // The implementation, possibly null.
    const ModuleHandle* GetAsModuleHandle() const;

private:
    ModuleHandle* handle_;
};

// The exported module information. Every operation answers false on any
// failure, including an exception. Copies share one implementation.
class REDUDI_API AModuleInfo {
public:
    AModuleInfo();
    AModuleInfo(const AModuleInfo& other);
    virtual ~AModuleInfo();
    virtual bool IsValid() const;
    AModuleInfo& operator=(const AModuleInfo& other);

    // `handle` is reset to a null handle first.
    virtual bool GetModulesHandle(AModuleHandle& handle);
    virtual bool GetModulesHandle(const UString& name, AModuleHandle& handle);
    virtual bool GetModulesHandle(const PString& name, AModuleHandle& handle);
    // Without a module: the process's executable.
    virtual bool GetModuleFilename(UString& fileName);
    virtual bool GetModuleFilename(PString& fileName);
    virtual bool GetModuleFilename(const AModuleHandle& module, UString& fileName);
    virtual bool GetModuleFilename(const AModuleHandle& module, PString& fileName);
    virtual bool GetModuleFileVersion(UString& version);
    virtual bool GetModuleFileVersion(PString& version);
    virtual bool GetModuleFileVersion(const AModuleHandle& module, UString& version);
    virtual bool GetModuleFileVersion(const AModuleHandle& module, PString& version);
    virtual bool GetModuleFileVersion(const UString& path, UString& version);
    virtual bool GetModuleFileVersion(const PString& path, PString& version);

private:
    ModuleInfo* info_;
};

// ---------------------------------------------------------------------------
// Shared libraries

// A dynamic library loaded at run time. Every successful Open takes one
// system reference and is undone by one Close; ForceClose drops them all.
// The location can change only while the library is closed. Destroying the
// object does not unload the library.
class REDUDI_API SharedLibrary {
public:
    virtual ~SharedLibrary();
    virtual bool IsValid() const;
    // The file must exist and be a file, and the library must be closed.
    virtual bool SetLibraryFileSpec(const AFileSpec& spec);
    virtual bool GetLibraryFileSpec(AFileSpec& spec) const;
    virtual bool Open() = 0;
    // True also when the library was not open.
    virtual bool Close() = 0;
    // Null for an empty name, a closed library or an unknown symbol.
    virtual void* LookupSymbol(const PString& name) const = 0;
    virtual bool IsOpen() const = 0;
    // Drops this object's loads; with `all`, also those taken elsewhere in
    // the process, until the system unloads the module.
    virtual bool ForceClose(bool all) = 0;

    // Null when the object cannot be made or, for the second, `spec` is
    // refused. The caller owns the result.
    static SharedLibrary* GetNewSharedLibrary();
    static SharedLibrary* GetNewSharedLibrary(const AFileSpec& spec);

protected:
    SharedLibrary();
    SharedLibrary(const SharedLibrary& other);
    SharedLibrary& operator=(const SharedLibrary& other);

    // The library's file; the application directory until one is set.
    AFileSpec location_;
};

// The same as SharedLibrary, with the library named by a simple path.
class REDUDI_API SharedLibrary2 {
public:
    virtual ~SharedLibrary2();
    virtual bool IsValid() const;
    virtual bool SetLibrary(const ASimplePath& path);
    virtual bool GetLibrary(ASimplePath& path) const;
    virtual bool Open() = 0;
    virtual bool Close() = 0;
    virtual void* LookupSymbol(const PString& name) const = 0;
    virtual bool IsOpen() const = 0;
    virtual bool ForceClose(bool all) = 0;

    static SharedLibrary2* GetNewSharedLibrary();
    static SharedLibrary2* GetNewSharedLibrary(const ASimplePath& path);

protected:
    SharedLibrary2();
    SharedLibrary2(const SharedLibrary2& other);
    SharedLibrary2& operator=(const SharedLibrary2& other);

    ASimplePath location_;
};

// The exported shared library. Every operation answers false (or null) on
// any failure, including an exception; an object constructed with a file
// that is refused is unusable.
class REDUDI_API ASharedLibrary {
public:
    ASharedLibrary();
    explicit ASharedLibrary(const AFileSpec& spec);
    virtual ~ASharedLibrary();
    virtual bool IsValid() const;
    virtual bool SetLibraryFileSpec(const AFileSpec& spec);
    virtual bool GetLibraryFileSpec(AFileSpec& spec) const;
    virtual bool Open();
    virtual bool Close();
    virtual void* LookupSymbol(const PString& name) const;
    virtual bool IsOpen() const;
    virtual bool ForceClose(bool all);

private:
    ASharedLibrary(const ASharedLibrary&);
    ASharedLibrary& operator=(const ASharedLibrary&);

    SharedLibrary* library_;
};

// The shared library of the second family: located by an ASimplePath, with
// the same load counting, symbol lookup and forced closing as ASharedLibrary.
class REDUDI_API ASharedLibrary2 {
public:
    ASharedLibrary2();
    explicit ASharedLibrary2(const ASimplePath& path);
    virtual ~ASharedLibrary2();
    virtual bool IsValid() const;
    virtual bool SetLibrary(const ASimplePath& path);
    virtual bool GetLibrary(ASimplePath& path) const;
    virtual bool Open();
    virtual bool Close();
    virtual void* LookupSymbol(const PString& name) const;
    virtual bool IsOpen() const;
    virtual bool ForceClose(bool all);

private:
    ASharedLibrary2(const ASharedLibrary2&);
    ASharedLibrary2& operator=(const ASharedLibrary2&);

    SharedLibrary2* library_;
};

// ---------------------------------------------------------------------------
// System information

// Answers a fixed set of questions about the machine. Sizes are whole
// megabytes; a query Windows refuses answers 0, false or an empty string.
class REDUDI_API SystemInfo {
public:
    enum e_OSType {
        OS_UNKNOWN = 0,
        OS_WIN95 = 1,
        OS_WIN98 = 2,
        OS_WINNT4 = 3,
        OS_WIN2000 = 4,
        OS_WINME = 5,
        // 6 to 10 are never reported.
        OS_WINXP = 11
    };

    SystemInfo(const SystemInfo& other);
    virtual ~SystemInfo();
    virtual e_OSType GetOS() = 0;
    // 0xFFFFFFFF for major and minor, 0 for the pack, when Windows refuses.
    virtual void GetOSVersion(unsigned int& major, unsigned int& minor,
                              unsigned int& servicePack) const = 0;
    // One more than the whole MiB of physical memory.
    virtual unsigned int GetRAMInMBs() const = 0;
    // The total size of the largest fixed drive, full or not; 0 without one.
    virtual unsigned int GetMaxDriveSpaceInMBs() const = 0;
    virtual unsigned int GetProcessorCount() const = 0;
    // Empty for an index beyond the processors.
    virtual PString GetProcessorModel(unsigned int index) = 0;
    // The registry's value, else measured within 5 seconds (0xFFFFFFFF when
    // that fails); 0 for an index beyond the processors.
    virtual unsigned int GetProcessorSpeedInMhz(unsigned int index) const = 0;
    virtual bool IsCDROMPresent() const = 0;
    virtual unsigned int GetTickCount() const = 0;
    virtual PString GetPlatformSpecifier() = 0;

    // A new object owned by the caller, or null.
    static SystemInfo* GetNewSystemInfo();

protected:
    SystemInfo();
};

// The exported system information. Without an implementation every query
// answers 0, false or an empty string. Copies share one implementation,
// which the last of them destroys.
class REDUDI_API ASystemInfo {
public:
    ASystemInfo();
    ASystemInfo(const ASystemInfo& other);
    ASystemInfo& operator=(const ASystemInfo& other);
    virtual ~ASystemInfo();

    bool IsValid() const;
    SystemInfo::e_OSType GetOS();
    void GetOSVersion(unsigned int& major, unsigned int& minor, unsigned int& servicePack) const;
    unsigned int GetRAMInMBs() const;
    unsigned int GetMaxDriveSpaceInMBs() const;
    unsigned int GetProcessorCount() const;
    PString GetProcessorModel(unsigned int index);
    unsigned int GetProcessorSpeedInMhz(unsigned int index) const;
    bool IsCDROMPresent() const;
    unsigned int GetTickCount() const;
    PString GetPlatformSpecifier();

private:
    SystemInfo* info_;
};

} // namespace REDudi
