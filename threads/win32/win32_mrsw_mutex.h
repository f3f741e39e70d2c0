// The Windows multi-reader single-writer lock, built from three kernel
// objects: an entry mutex that serialises entering and leaving, an event
// signalled while no reader is inside, and a semaphore counting the readers.
#pragma once

#include <REDudi/threads.h>

#include <windows.h>

namespace REDudi {

class WIN32_MRSWMutex : public MRSWMutex {
public:
    WIN32_MRSWMutex();
    ~WIN32_MRSWMutex() override;

    bool Initialize(const PString& name) override;
    bool IsValid() override;
    bool AcquireShared() override;
    bool AcquireShared(unsigned int timeout) override;
    void ReleaseShared() override;
    bool AcquireExclusive() override;
    bool AcquireExclusive(unsigned int timeout) override;
    void ReleaseExclusive() override;

private:
    void CloseAll();

    HANDLE entryMutex_;
    HANDLE noReadersEvent_;
    HANDLE readerCount_;
};

} // namespace REDudi
