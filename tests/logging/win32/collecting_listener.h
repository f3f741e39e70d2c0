// A listener for the reader tests: keeps every record it receives and lets
// the test wait for records of its own class, and optionally holds the reader
// thread inside one call until the test lets it go.
#pragma once

#include <REDudi/logging.h>

#include <windows.h>

#include <string>
#include <vector>

namespace REDudi {
namespace testing {

struct Received {
    std::string className;
    std::string message;
};

class CollectingListener : public LogReaderListener {
public:
    // Records of `className` are the test's own; the others come from tests
    // running in parallel on the same machine-wide log.
    explicit CollectingListener(std::string className);
    ~CollectingListener();

    void OnLogEntry(ALogEntry* entry) override;

    // Holds the reader thread in the call that receives the test's record
    // with `message` until Release() (or 20 s, so that nothing hangs).
    void BlockAt(const std::string& message);
    bool WaitUntilBlocked(DWORD timeout);
    void Release();

    // Waits until `count` of the test's own records have arrived.
    bool WaitForOwn(std::size_t count, DWORD timeout);
    // Waits until the test's own record with `message` has arrived.
    bool WaitForOwnMessage(const std::string& message, DWORD timeout);
    std::vector<std::string> OwnMessages();
    std::vector<Received> All();

private:
    template <class Done> bool WaitUntil(Done done, DWORD timeout);

    std::string className_;
    std::string blockAt_;
    CRITICAL_SECTION lock_;
    HANDLE arrived_;
    HANDLE blocked_;
    HANDLE release_;
    std::vector<Received> all_;
    std::size_t own_ = 0;
};

} // namespace testing
} // namespace REDudi
