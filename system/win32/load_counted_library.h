// The load state that both shared-library families share: the module
// handle, the open flag and this object's own load count, guarded by a lock.
// Each Open takes one system reference on the library and each Close gives
// one back, so the system's count keeps a single copy loaded.
#pragma once

#include <REDudi/system.h>
#include <REDudi/threads.h>

#include "foundation/platform/facade.h"

#include <windows.h>

#include <cstdint>

namespace REDudi {

template <class Interface>
class LoadCountedLibrary : public Interface {
public:
    LoadCountedLibrary() : module_(nullptr), open_(false), loads_(0), lock_(Mutex::GetNewMutex()) {}

    // A copy shares the original's lock, which the last of them deletes.
    LoadCountedLibrary(const LoadCountedLibrary& other)
        : Interface(other), module_(nullptr), open_(false), loads_(0), lock_(nullptr) {
        CopyStateOf(other);
    }

    LoadCountedLibrary& operator=(const LoadCountedLibrary& other) {
        if (&other == this)
            return *this;
        Interface::operator=(other);
        ReleaseLock();
        CopyStateOf(other);
        return *this;
    }

    // The library itself stays loaded: whoever still uses it keeps working.
    ~LoadCountedLibrary() override { ReleaseLock(); }

    bool IsValid() const override {
        return Interface::IsValid() && lock_ != nullptr && !QV_IsBadCodePtr(lock_) &&
               lock_->IsValid();
    }

    bool IsOpen() const override {
        try {
            MutexLock hold(lock_, true);
            return IsOpenUnlocked();
        } catch (...) {
            return false;
        }
    }

    bool Open() override {
        try {
            if (!IsValid())
                return false;
            HMODULE module = LoadLibraryA(this->location_.GetFullPath().c_str());
            if (module == nullptr)
                return false;
            if (!VerifyRefCountIntegrity()) {
                Invalidate();
                // Not recorded, so not kept either.
                FreeLibrary(module);
                return false;
            }
            MutexLock hold(lock_, true);
            ++loads_;
            module_ = module;
            open_ = true;
            return true;
        } catch (...) {
            return false;
        }
    }

    bool Close() override {
        try {
            if (!IsValid())
                return false;
            if (!VerifyRefCountIntegrity()) {
                Invalidate();
                return false;
            }
            // The load is given up under the lock and its reference returned
            // outside it, so two threads never return the same one.
            HMODULE module = nullptr;
            {
                MutexLock hold(lock_, true);
                if (!IsOpenUnlocked())
                    return true;
                module = module_;
                if (--loads_ == 0) {
                    module_ = nullptr;
                    open_ = false;
                }
            }
            if (!FreeLibrary(module)) {
                Invalidate();
                return false;
            }
            return true;
        } catch (...) {
            return false;
        }
    }

    bool ForceClose(bool all) override {
        try {
            if (!IsValid())
                return false;
            if (!VerifyRefCountIntegrity()) {
                Invalidate();
                return false;
            }
            MutexLock hold(lock_, true);
            if (!IsOpenUnlocked())
                return true;
            for (std::uint32_t i = 0; i < loads_; ++i) {
                if (!FreeLibrary(module_)) {
                    open_ = false;
                    return false;
                }
            }
            // References taken elsewhere in the process go too, until the
            // system unloads the module and refuses the handle.
            if (all) {
                while (FreeLibrary(module_) == TRUE) {
                }
            }
            loads_ = 0;
            module_ = nullptr;
            open_ = false;
            return true;
        } catch (...) {
            return false;
        }
    }

    void* LookupSymbol(const PString& name) const override {
        try {
            if (name.empty() || !IsValid())
                return nullptr;
            MutexLock hold(lock_, true);
            if (!IsOpenUnlocked())
                return nullptr;
            return reinterpret_cast<void*>(GetProcAddress(module_, name.c_str()));
        } catch (...) {
            return nullptr;
        }
    }

protected:
    // Consistent: open with at least one load, or closed with none.
    bool VerifyRefCountIntegrity() const {
        try {
            MutexLock hold(lock_, true);
            return IsOpenUnlocked() ? loads_ > 0 : loads_ == 0;
        } catch (...) {
            return false;
        }
    }

    void Invalidate() {
        try {
            MutexLock hold(lock_, true);
            open_ = false;
        } catch (...) {
            open_ = false;
        }
    }

private:
    bool IsOpenUnlocked() const { return module_ != nullptr && open_; }

    void CopyStateOf(const LoadCountedLibrary& other) {
        module_ = other.module_;
        open_ = other.open_;
        loads_ = other.loads_;
        lock_ = other.lock_;
        if (lock_ != nullptr)
            facade::SharedOwners::AddOwner(lock_);
    }

    void ReleaseLock() {
        if (lock_ != nullptr && facade::SharedOwners::RemoveOwner(lock_))
            SafeDelete(lock_);
        lock_ = nullptr;
    }

    HMODULE module_;
    bool open_;
    std::uint32_t loads_;
    Mutex* lock_;
};

} // namespace REDudi
