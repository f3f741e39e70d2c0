#include "log_region.h"

#include <REDudi/platform.h>

#include <atomic>
#include <cstdio>

namespace REDudi {
namespace testing_support {

namespace {

std::string GlobalName(const char* name) {
    return AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(name));
}

std::string HelperPath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string result(path, length);
    return result.substr(0, result.find_last_of("\\/") + 1) + "trace_log_helper.exe";
}

} // namespace

LogRegion::LogRegion() {
    mapping_ = OpenFileMappingA(FILE_MAP_WRITE, FALSE, GlobalName(logmap::kMappingName).c_str());
    if (mapping_ != nullptr)
        map_ = static_cast<WIN32_LogMap*>(
            MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, logmap::kRegionSize));
    mutex_ =
        OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, GlobalName(logmap::kMutexName).c_str());
}

LogRegion::~LogRegion() {
    if (map_ != nullptr)
        UnmapViewOfFile(map_);
    if (mapping_ != nullptr)
        CloseHandle(mapping_);
    if (mutex_ != nullptr)
        CloseHandle(mutex_);
}

const ALogEntry& LogRegion::Last(unsigned back) const {
    const unsigned capacity = map_->capacity;
    return map_->records[(map_->next + 2 * capacity - 1 - back) % capacity];
}

RegionLock::RegionLock(const LogRegion& region) : mutex_(region.Mutex()) {
    DWORD result = WaitForSingleObject(mutex_, 10000);
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

RegionLock::~RegionLock() {
    if (held_)
        ReleaseMutex(mutex_);
}

ExclusiveTest::ExclusiveTest() {
    mutex_ = CreateMutexA(nullptr, FALSE, "REDudi::TraceLogTests::Exclusive");
    DWORD result = WaitForSingleObject(mutex_, 60000);
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

ExclusiveTest::~ExclusiveTest() {
    if (held_)
        ReleaseMutex(mutex_);
    CloseHandle(mutex_);
}

HelperProcess::HelperProcess(const std::string& arguments) {
    std::string command = "\"" + HelperPath() + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
}

HelperProcess::~HelperProcess() {
    if (process_ == nullptr)
        return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT)
        TerminateProcess(process_, 1);
    CloseHandle(process_);
}

DWORD HelperProcess::Wait(DWORD timeoutMs) {
    if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return ~0u;
    DWORD code = ~0u;
    GetExitCodeProcess(process_, &code);
    return code;
}

std::string IdText(DWORD id) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}

std::string UniqueName(const char* stem) {
    static std::atomic<unsigned> serial{0};
    return std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(GetTickCount()) + "-" + std::to_string(++serial);
}

} // namespace testing_support
} // namespace REDudi
