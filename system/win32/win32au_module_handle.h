// The Windows module handle: the HINSTANCE of a module of this process.
#pragma once

#include <REDudi/system.h>

#include <windows.h>

namespace REDudi {

class WIN32AU_ModuleHandle : public ModuleHandle {
public:
    WIN32AU_ModuleHandle();
    explicit WIN32AU_ModuleHandle(HINSTANCE handle);
    WIN32AU_ModuleHandle(const WIN32AU_ModuleHandle& other);

    ModuleHandle& Assign(const ModuleHandle& other) override;
    bool IsEqual(const ModuleHandle& other) const override;
    virtual WIN32AU_ModuleHandle& Assign(const WIN32AU_ModuleHandle& other);
    virtual bool IsEqual(const WIN32AU_ModuleHandle& other) const;
    virtual void SetHandle(HINSTANCE handle);
    virtual HINSTANCE GetHandle() const;

    WIN32AU_ModuleHandle& operator=(const WIN32AU_ModuleHandle& other);
    WIN32AU_ModuleHandle& operator=(HINSTANCE handle);

private:
    HINSTANCE handle_;
};

} // namespace REDudi
