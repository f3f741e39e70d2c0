// The Windows thread: a kernel thread running ThreadWrapper, a terminate
// event that every wait on its behalf watches, a queue event, and a
// critical section guarding the flags and the queue.
#pragma once

#include <REDudi/threads.h>

#include <windows.h>

namespace REDudi {

class WIN32_Thread : public Thread {
public:
    WIN32_Thread();
    ~WIN32_Thread() override;

    bool IsValid() override;
    void Sleep(unsigned int ms) override;
    bool WaitForEvent(PString& name) override;
    bool WaitForEvent(PString& name, unsigned int ms) override;
    bool SignalEvent(PString name) override;
    bool Execute() override;
    bool Suspend() override;
    bool Resume() override;
    bool Terminate(bool hard) override;

    // Signalled when the thread is asked to terminate; manual reset.
    HANDLE GetTerminateHandle() const { return terminateEvent_; }

protected:
    void EnterGuard() override;
    void LeaveGuard() override;

private:
    static unsigned int __stdcall ThreadWrapper(void* argument);

    // Takes the front of the queue after the queue event was seen; throws
    // when the wake-up was a termination.
    void TakeEvent(PString& name, const char* terminatingTrace);

    bool Tracing() const { return logEnabled_ && logger_ != nullptr; }

    HANDLE thread_;
    unsigned int threadId_;
    HANDLE terminateEvent_;
    HANDLE queueEvent_;
    CRITICAL_SECTION guard_;
};

} // namespace REDudi
