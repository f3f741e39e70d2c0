// Synchronisation and threads: mutexes and their scoped locks, events and
// guards, threads that receive named events through a queue, and the thread
// facade. Every wait may carry the Thread on whose behalf it waits; when that
// thread is being terminated the wait ends with ThreadTerminateException.
#pragma once

#include <REDudi/export.h>
#include <REDudi/platform.h>
#include <REDudi/strings.h>

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

} // namespace REDudi
