// The Windows events: an unnamed manual-reset event (WIN32_Event) and an
// unnamed auto-reset one (WIN32_Guard), both private to the process.
#pragma once

#include <REDudi/threads.h>

#include <windows.h>

namespace REDudi {

class WIN32_Event : public Event {
public:
    WIN32_Event();
    ~WIN32_Event() override;

    void Reset() override;
    void Signal() override;
    bool IsValid() override;
    bool Wait(Thread* thread) override;
    bool Wait(unsigned int timeout, Thread* thread) override;

private:
    HANDLE handle_;
};

class WIN32_Guard : public Guard {
public:
    WIN32_Guard();
    ~WIN32_Guard() override;

    void Reset() override;
    void Signal() override;
    bool IsValid() override;
    bool Wait(Thread* thread) override;
    bool Wait(unsigned int timeout, Thread* thread) override;

private:
    HANDLE handle_;
};

} // namespace REDudi
