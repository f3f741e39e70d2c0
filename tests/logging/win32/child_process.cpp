#include "win32/child_process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace REDudi {
namespace testing {

std::string ExecutableBeside(const std::string& name) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

ChildProcess::~ChildProcess() {
    if (info_.hProcess != nullptr) {
        DWORD exitCode = 0;
        if (GetExitCodeProcess(info_.hProcess, &exitCode) && exitCode == STILL_ACTIVE)
            TerminateProcess(info_.hProcess, 1);
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

bool ChildProcess::Start(const std::string& commandLine, const std::string& outputFile) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    HANDLE output = nullptr;
    if (!outputFile.empty()) {
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        output = CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (output == INVALID_HANDLE_VALUE)
            return false;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, output != nullptr, 0,
                                  nullptr, nullptr, &startup, &info_);
    if (output != nullptr)
        CloseHandle(output);
    return started != FALSE;
}

bool ChildProcess::Wait(DWORD timeout, DWORD& exitCode) {
    if (info_.hProcess == nullptr)
        return false;
    if (WaitForSingleObject(info_.hProcess, timeout) != WAIT_OBJECT_0) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
        return false;
    }
    return GetExitCodeProcess(info_.hProcess, &exitCode) != FALSE;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string TemporaryFile(const std::string& tag) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "redudi_" + std::to_string(GetCurrentProcessId()) + "_" + tag +
           ".txt";
}

std::string OwnTestClass(const std::string& prefix) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return prefix + std::to_string(GetCurrentProcessId()) + "." + test->name();
}

} // namespace testing
} // namespace REDudi
