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

    // Standard output and error go to `outputFile` unless it is empty.
    bool Start(const std::string& commandLine, const std::string& outputFile = "");
    // False when the child outlives `timeout` ms; it is then killed.
    bool Wait(DWORD timeout, DWORD& exitCode);

private:
    PROCESS_INFORMATION info_ = {};
};

// Reads a whole file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// A file name in the temporary folder, unique to this process and `tag`.
std::string TemporaryFile(const std::string& tag);

// A class name unique to this process and the running test, starting with
// `prefix`: it keeps a test's records apart in the machine's one log.
std::string OwnTestClass(const std::string& prefix);

} // namespace testing
} // namespace REDudi
