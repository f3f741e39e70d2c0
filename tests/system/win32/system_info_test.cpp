#include <REDudi/system.h>

#include "system/win32/cpu.h"
#include "win32/child_process.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace REDudi {
namespace {

// A file beside the test executable, quoted for a command line.
std::string Beside(const char* name) {
    return "\"" + testing::ExecutableBeside(name) + "\"";
}

TEST(SystemInfo, AgreesWithWindows) {
    auto* original = new ASystemInfo;
    // Copies share one implementation, released once by the last of them.
    ASystemInfo copy(*original), info;
    info = *original;
    info = info;
    delete original;
    ASSERT_TRUE(info.IsValid() && copy.IsValid());

    OSVERSIONINFOEXA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;
    ASSERT_TRUE(GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version)) &&
                GlobalMemoryStatusEx(&memory));
    unsigned int major = 0, minor = 0, pack = 99;
    info.GetOSVersion(major, minor, pack);
    EXPECT_TRUE(major == version.dwMajorVersion && minor == version.dwMinorVersion &&
                pack == version.wServicePackMajor)
        << major << "." << minor << " " << pack << " " << version.szCSDVersion;
    EXPECT_EQ(static_cast<unsigned int>(memory.ullTotalPhys >> 20) + 1, info.GetRAMInMBs());
    EXPECT_EQ(PString("win32x86"), copy.GetPlatformSpecifier());

    unsigned long long largest = 0;
    bool cdrom = false;
    for (char root[] = "A:\\"; root[0] <= 'Z'; ++root[0]) {
        ULARGE_INTEGER total;
        cdrom = cdrom || GetDriveTypeA(root) == DRIVE_CDROM;
        if (GetDriveTypeA(root) == DRIVE_FIXED &&
            GetDiskFreeSpaceExA(root, nullptr, &total, nullptr) && (total.QuadPart >> 20) > largest)
            largest = total.QuadPart >> 20;
    }
    ASSERT_GT(largest, 0u) << "Wine always has a fixed drive C:";
    // Cluster counts round the size the other way than a byte count may.
    EXPECT_NEAR(static_cast<double>(largest), info.GetMaxDriveSpaceInMBs(), 1.0);
    EXPECT_EQ(cdrom, info.IsCDROMPresent());

    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const unsigned int count = info.GetProcessorCount();
    EXPECT_EQ(system.dwNumberOfProcessors, count);
    char identifier[260] = {};
    DWORD mhz = 0, size = sizeof identifier, mhzSize = sizeof mhz;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_LOCAL_MACHINE, CPU::kProcessorKey, "Identifier",
                                          RRF_RT_REG_SZ, nullptr, identifier, &size));
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_LOCAL_MACHINE, CPU::kProcessorKey, "~MHz",
                                          RRF_RT_REG_DWORD, nullptr, &mhz, &mhzSize));
    for (unsigned int index : {0u, count - 1, count, count + 1, 0xFFFFFFFFu}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(index < count ? PString(identifier) : PString(), info.GetProcessorModel(index));
        EXPECT_EQ(index < count ? mhz : 0u, info.GetProcessorSpeedInMhz(index)); // not measured
    }
}

// Waits at most `ms` for every measurement worker to end.
bool WorkersEnd(DWORD ms) {
    for (DWORD waited = 0; CPU::RunningWorkers() != 0; waited += 10, Sleep(10))
        if (waited >= ms)
            return false;
    return true;
}

// Registered speeds win; run as a child, the test exits while a worker still measures.
TEST(CpuSpeed, RegistryValueWinsElseAWorkerMeasuresAndMayOutliveItsObject) {
    const std::string key = "Software\\REDudiTests\\cpu_" + std::to_string(GetCurrentProcessId());
    HKEY handle = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &handle, nullptr));
    struct Row {
        const char* value; // null: none registered
        DWORD mhz;
    } rows[] = {{"~MHz", 2445}, {"~Mhz", 1800}, {"~mhz", 300}, {"~MHz", 0}, {nullptr, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value ? row.value : "none");
        if (row.value != nullptr)
            RegSetValueExA(handle, row.value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&row.mhz),
                           sizeof row.mhz);
        unsigned int mhz = CPU(HKEY_CURRENT_USER, key.c_str()).GetSpeed(5, false);
        if (row.value != nullptr)
            EXPECT_TRUE(mhz == row.mhz && CPU::RunningWorkers() == 0) << mhz << " measured?";
        else
            EXPECT_TRUE(mhz >= 100 && mhz <= 10000 && WorkersEnd(1000)) << mhz;
        RegDeleteValueA(handle, row.value);
    }
    RegCloseKey(handle);
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    for (bool terminate : {false, true}) {
        EXPECT_EQ(CPU::kNoSpeed, CPU(HKEY_CURRENT_USER, key.c_str()).GetSpeed(0, terminate));
        if (std::getenv("REDUDI_ABANDON_MEASUREMENT") != nullptr)
            ExitProcess(CPU::RunningWorkers() == 1 ? 0 : 3);
        EXPECT_TRUE(terminate || WorkersEnd(5000)) << "the worker never ends";
    }
    SetEnvironmentVariableA("REDUDI_ABANDON_MEASUREMENT", "1");
    testing::ChildProcess child;
    DWORD exitCode = 99;
    EXPECT_TRUE(child.Start(Beside("system_info_tests.exe") + " --gtest_filter=CpuSpeed.*") &&
                child.Wait(30000, exitCode) && exitCode == 0)
        << exitCode;
    SetEnvironmentVariableA("REDUDI_ABANDON_MEASUREMENT", nullptr);
}

// redudi-sysinfo run as a user runs it, its output captured in a file.
TEST(SysinfoTool, AnswersAsAUserExpects) {
    const std::string processors = std::to_string(ASystemInfo().GetProcessorCount());
    struct Row {
        std::string arguments;
        DWORD exitCode;
        std::vector<std::string> expected; // each must appear in the output
    } rows[] = {
        {"", 0, {"Platform            win32x86\r\n", "Processors          " + processors}},
        {"--json --measure",
         0,
         {"{\"os\": \"", "\"processors\": " + processors + ",", "\"platform\": \"win32x86\"}",
          "\"speedSource\": \"registry\"", "\"measuredMHz\": "}},
        {"--version " + Beside("version_us.dll"),
         0,
         {"Module        version_us.dll\r\n", "File version  5.1.2600.0"}},
        {"--version " + Beside("REDudi.dll"), 0, {"File version  " REDUDI_FILE_VERSION "\r\n"}},
        {"--version " + Beside("plain_library.dll"), 1, {"has no file version"}},
        {"--version " + Beside("no_such_library.dll"), 1, {"cannot find"}},
        {"--version " + Beside("."), 1, {"is a directory"}},
        {"--version -x.dll --json", 1, {"cannot find '-x.dll'"}},
        {"--help", 0, {"Usage: redudi-sysinfo", "--version FILE"}},
        {"--json -h --bogus", 0, {"Usage: redudi-sysinfo"}},
        {"--version", 2, {"redudi-sysinfo: --version needs a file name\r\nTry '"}},
        {"--version \"\"", 2, {"--version needs a file name"}},
        {"--version a --version b", 2, {"--version may be given once"}},
        {"--version a --measure", 2, {"--measure has nothing to measure with --version"}},
        {"--measure --version a", 2, {"--measure has nothing to measure with --version"}},
        {"--bogus", 2, {"unknown option '--bogus'"}},
        {"stray --help", 2, {"unexpected argument 'stray'"}},
    };
    const std::string output = testing::TemporaryFile("sysinfo");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        testing::ChildProcess child;
        DWORD exitCode = 0xDEAD;
        ASSERT_TRUE(child.Start(Beside("redudi-sysinfo.exe") + " " + row.arguments, output) &&
                    child.Wait(30000, exitCode));
        const std::string text = testing::ReadWholeFile(output);
        EXPECT_EQ(row.exitCode, exitCode) << text;
        for (const std::string& expected : row.expected)
            EXPECT_NE(std::string::npos, text.find(expected)) << "lacks " << expected << " in\n"
                                                              << text;
    }
    DeleteFileA(output.c_str());
}

} // namespace
} // namespace REDudi
