// The Windows mutex: an unnamed kernel mutex, private to the process.
#pragma once

#include <REDudi/threads.h>

#include <windows.h>

namespace REDudi {

class WIN32_Mutex : public Mutex {
public:
    WIN32_Mutex();
    ~WIN32_Mutex() override;

    bool IsValid() override;
    bool Acquire(unsigned int timeout, Thread* thread) override;
    void Acquire(Thread* thread) override;
    void Release() override;

private:
    // Set by acquisitions without a thread; kept for debugging only.
    DWORD owner_;
    HANDLE handle_;
};

} // namespace REDudi
