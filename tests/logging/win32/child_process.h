// Runs a program of this build as a child process with its output captured.
#pragma once

#include <windows.h>

#include <string>

namespace REDudi {
namespace testing {

// The full path of `name` in the folder of the running test executable.
std::string ExecutableBeside(const std::string& name);

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `commandLine` with standard output and error going to
    // `outputFile` (nothing is captured when it is empty).
    bool Start(const std::string& commandLine, const std::string& outputFile = "");
    // Waits at most `timeout` ms; false when the child still runs (it is
    // then killed, so that a failing test never leaves it behind).
    bool Wait(DWORD timeout, DWORD& exitCode);

private:
    PROCESS_INFORMATION info_ = {};
};

// Reads a whole file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// A file name in the temporary folder, unique to this process and `tag`.
std::string TemporaryFile(const std::string& tag);

// A class name unique to this process and the running test, starting with
// `prefix`: every test process shares the machine's one log, and a class of
// its own keeps a test's records apart from those of tests running in parallel.
std::string OwnTestClass(const std::string& prefix);

} // namespace testing
} // namespace REDudi
