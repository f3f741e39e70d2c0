// Synchronisation and threads: mutexes and their scoped locks, events and
// guards, threads that receive named events through a queue, and the thread
// facade. Every wait may carry the Thread on whose behalf it waits; when that
// thread is being terminated the wait ends with ThreadTerminateException.
#pragma once

#include <REDudi/export.h>
#include <REDudi/platform.h>
#include <REDudi/strings.h>

#include <list>

namespace REDudi {

class Thread;

// A recursive mutual-exclusion lock for the threads of one process. An
// untimed acquisition waits at most the deadlock timeout and then throws
// ThreadTerminateException.
class REDUDI_API Mutex {
public:
    virtual bool IsValid() = 0;
    // False when the timeout ran out.
    virtual bool Acquire(unsigned int timeout, Thread* thread) = 0;
    // Throws ThreadTerminateException when the deadlock timeout runs out.
    virtual void Acquire(Thread* thread) = 0;
    virtual void Release() = 0;
    virtual ~Mutex();
    virtual void SetDeadLockTimeout(unsigned int timeout);

    // A new, usable mutex owned by the caller, or null.
    static Mutex* GetNewMutex();

protected:
    Mutex();

    unsigned int deadLockTimeout_;
};

// The exported mutex. Copies made by assignment share one mutex.
class REDUDI_API AMutex {
public:
    AMutex();
    AMutex(const AMutex& other);
    ~AMutex();
    AMutex& operator=(const AMutex& other);

    bool IsValid();
    void Acquire(Thread* thread = nullptr);
    bool Acquire(unsigned int timeout, Thread* thread = nullptr);
    void Release();
    void SetDeadLockTimeout(unsigned int timeout);

private:
    Mutex* mutex_;
};

// Holds a Mutex for its scope. With `retry`, a failed acquisition is tried
// again instead of leaving the constructor with ThreadTerminateException.
class REDUDI_API MutexLock {
public:
    MutexLock(Mutex* mutex, bool retry);
    virtual ~MutexLock() noexcept(false);

private:
    Mutex* mutex_;
};

// Holds an AMutex for its scope, unless detached.
class REDUDI_API AMutexLock {
public:
    AMutexLock(AMutex* mutex, bool retry);
    AMutexLock(AMutex* mutex, Thread* thread, bool retry);
    virtual ~AMutexLock() noexcept(false);

    // The lock stops releasing the mutex: it stays held by this thread.
    void Detach();

private:
    void Lock(bool retry);

    AMutex* mutex_;
    Thread* thread_;
    bool detached_;
};

// A manual-reset event: once signalled it releases every waiter until it is
// reset. An untimed wait waits at most the deadlock timeout.
class REDUDI_API Event {
public:
    virtual void Reset() = 0;
    virtual void Signal() = 0;
    virtual bool IsValid() = 0;
    // True, or ThreadTerminateException.
    virtual bool Wait(Thread* thread) = 0;
    // False when the timeout ran out.
    virtual bool Wait(unsigned int timeout, Thread* thread) = 0;
    virtual void SetDeadLockTimeOut(unsigned int timeout);
    virtual ~Event();

    // A new event owned by the caller, who must test IsValid().
    static Event* GetNewEvent();

protected:
    Event();

    unsigned int deadLockTimeout_;
};

// An auto-reset event: each signal lets exactly one waiter through.
class REDUDI_API Guard {
public:
    virtual void Reset() = 0;
    virtual void Signal() = 0;
    virtual bool IsValid() = 0;
    // On behalf of a thread, false when the deadlock timeout ran out.
    virtual bool Wait(Thread* thread) = 0;
    virtual bool Wait(unsigned int timeout, Thread* thread) = 0;
    virtual ~Guard();
    void SetDeadLockTimeOut(unsigned int timeout);

    // A new guard owned by the caller, who must test IsValid().
    static Guard* GetNewGuard();

protected:
    Guard();

    unsigned int deadLockTimeout_;
};

class Logger;

// The procedure a thread runs; its result is the thread's return code.
typedef unsigned int (*ThreadProcedure)(Thread* thread, void* data);

// A worker thread running a procedure that takes named events from a
// first-in first-out queue. Terminate() asks it to stop: every library wait
// made on its behalf then throws ThreadTerminateException. A thread that does
// not stop in time is killed.
class REDUDI_API Thread {
public:
    virtual bool IsValid() = 0;
    // Throws ThreadTerminateException once termination has been requested.
    virtual void Sleep(unsigned int ms) = 0;
    // True, or ThreadTerminateException.
    virtual bool WaitForEvent(PString& name) = 0;
    // False when no event came within `ms`.
    virtual bool WaitForEvent(PString& name, unsigned int ms) = 0;
    // Queues `name`; false unless the thread is executing.
    virtual bool SignalEvent(PString name) = 0;
    // Removes one queued `name`, only while the thread is not executing.
    virtual bool GetEvent(PString name);
    virtual bool AreQueuedEvents();
    // How long a soft Terminate() waits for the thread to end.
    virtual void SetDeadlockTimeout(unsigned int timeout);
    virtual bool SetThreadData(void* data);
    virtual bool SetThreadProc(ThreadProcedure procedure);
    virtual bool Execute() = 0;
    virtual bool Suspend() = 0;
    virtual bool Resume() = 0;
    // True when the thread ended by itself; false when it had to be killed.
    virtual bool Terminate(bool hard) = 0;
    virtual bool IsExecuting();
    virtual bool IsSuspended();
    virtual bool HasTerminated();
    virtual unsigned int GetReturnCode();
    virtual ~Thread();

    // Operations are traced (class "Thread") only while enabled.
    void EnableLog(bool enable);

    // A new, usable thread owned by the caller, or null.
    static Thread* GetNewThread();

protected:
    Thread();

    virtual void EnterGuard() = 0;
    virtual void LeaveGuard() = 0;

    // Holds the thread's guard for its scope.
    class REDUDI_API GuardObject {
    public:
        explicit GuardObject(Thread* thread);
        virtual ~GuardObject();

    private:
        GuardObject(const GuardObject&);
        GuardObject& operator=(const GuardObject&);

        Thread* thread_;
    };

    ThreadProcedure procedure_;
    bool terminateRequested_;
    bool suspended_;
    void* data_;
    bool executing_;
    bool terminated_;
    unsigned int returnCode_;
    unsigned int deadlockTimeout_;
    std::list<PString> queue_;
    Logger* logger_;
    bool logEnabled_;
};

// The exported thread, a base class: derive, implement Run() and call
// Execute() once the derived object is complete. Every exception of the
// thread's operations passes through, so that termination unwinds Run().
// Operations other than IsValid() require a valid thread.
class REDUDI_API AThread {
public:
    AThread();
    // Terminates the thread softly, waiting up to its deadlock timeout. A
    // derived class must terminate it in its own destructor already, before
    // its members go away.
    virtual ~AThread();

    virtual bool IsValid() const;
    virtual bool SignalEvent(PString name);
    virtual bool WaitForEvent(PString& name, unsigned int ms);
    virtual bool WaitForEvent(PString& name);
    virtual bool GetEvent(PString name);
    virtual bool AreQueuedEvents();
    virtual void SetDeadlockTimeout(unsigned int timeout);
    virtual bool Execute();
    virtual bool Suspend();
    virtual bool Resume();
    virtual bool Terminate(bool hard);
    virtual bool IsExecuting();
    virtual bool IsSuspended();
    virtual bool HasTerminated();
    virtual unsigned int GetReturnCode();
    virtual void Sleep(unsigned int ms);

protected:
    // The thread's body; its result becomes the return code.
    virtual unsigned int Run() = 0;

    static unsigned int ThreadBootStrap(Thread* thread, void* data);

    // The thread this object runs on, for waits made on its own behalf.
    Thread* OwnThread() const { return thread_; }

private:
    // Not copyable: a copy would get no thread, assignment does nothing.
    AThread(const AThread& other);
    virtual AThread& operator=(AThread& other);

    Thread* thread_;
};


// A lock that lets any number of readers in at once, or one writer alone. A
// lock initialised with a name is shared by every process that uses that
// name; an empty name gives a lock private to this object. Waits take
// timeouts only: nothing here throws ThreadTerminateException.
//
// A waiting writer reserves nothing: as long as readers keep overlapping, it
// waits until its timeout. The writer's entry is recursive, and a writer may
// also read. A process that ends holding the lock exclusively hands it to
// the next taker; one that ends holding it shared stays counted, so writers
// then give up at their timeouts while readers still get in.
class REDUDI_API MRSWMutex {
public:
    // False when already valid or when an object could not be created.
    virtual bool Initialize(const PString& name) = 0;
    virtual bool IsValid() = 0;
    // Gives up after 3000 ms.
    virtual bool AcquireShared() = 0;
    virtual bool AcquireShared(unsigned int timeout) = 0;
    virtual void ReleaseShared() = 0;
    // Gives up after 5000 ms.
    virtual bool AcquireExclusive() = 0;
    virtual bool AcquireExclusive(unsigned int timeout) = 0;
    virtual void ReleaseExclusive() = 0;
    virtual ~MRSWMutex();

    // A new lock, not yet initialised, owned by the caller; or null.
    static MRSWMutex* GetNewMRSWMutex();
};

// The exported multi-reader single-writer lock, initialised with `name` on
// construction. Every operation of an unusable lock fails.
class REDUDI_API AMRSWMutex {
public:
    explicit AMRSWMutex(const PString& name);
    virtual ~AMRSWMutex();

    virtual bool IsValid();
    virtual bool AcquireShared();
    virtual bool AcquireShared(unsigned int timeout);
    virtual void ReleaseShared();
    virtual bool AcquireExclusive();
    virtual bool AcquireExclusive(unsigned int timeout);
    virtual void ReleaseExclusive();

private:
    AMRSWMutex(const AMRSWMutex&);
    AMRSWMutex& operator=(const AMRSWMutex&);

    MRSWMutex* mutex_;
};

// A thread that turns time into named events: each timer, when due, posts
// its name into the event queue of the target thread. A timer fires `repeat`
// times, or for ever when `repeat` is negative. The scaling factor stretches
// or shrinks every wait at once.
class REDUDI_API AEventTimer : public AThread {
public:
    // One timer: its event name, interval in milliseconds, repeat count and
    // whether it signals the target thread.
    class REDUDI_API ATimer {
    public:
        ATimer(const PString& name, int interval, short repeat, bool signal);
        virtual ~ATimer();

        PString name;
        int interval;
        // Milliseconds until the timer is due.
        int remaining;
        // Firings still to come; negative for ever, 0 when finished.
        int repeat;
        bool signal;
    };

    AEventTimer();
    ~AEventTimer() override;

    bool IsValid() const override;
    // True also when `repeat` is 0 and nothing was added.
    bool AddTimer(PString name, int interval, short repeat, bool signal);
    // Removes the first timer of that name.
    bool RemoveTimer(PString name);
    // Starts the timer thread; the events go to `thread`.
    void SetTargetThread(Thread* thread);
    void SetScaling(float scaling);
    // Leaves only the built-in timer that keeps the loop turning.
    void ClearAllEvents();

protected:
    unsigned int Run() override;

private:
    AEventTimer(const AEventTimer&);
    AEventTimer& operator=(const AEventTimer&);

    void Insert(const ATimer& timer);

    Thread* target_;
    std::list<ATimer> timers_;
    Mutex* listLock_;
    float scaling_;
};

} // namespace REDudi
