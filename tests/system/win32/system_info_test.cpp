#include <REDudi/system.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

namespace REDudi {
namespace {

const char* const kProcessorKey = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

bool ReadRegistry(const char* name, DWORD type, void* value, DWORD size) {
    return RegGetValueA(HKEY_LOCAL_MACHINE, kProcessorKey, name,
                        type == REG_DWORD ? RRF_RT_REG_DWORD : RRF_RT_REG_SZ, nullptr, value,
                        &size) == ERROR_SUCCESS;
}

TEST(SystemInfo, AgreesWithWindows) {
    ASystemInfo info;
    ASSERT_TRUE(info.IsValid());

    OSVERSIONINFOEXA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version)));
    unsigned int major = 0, minor = 0, pack = 99;
    info.GetOSVersion(major, minor, pack);
    EXPECT_EQ(version.dwMajorVersion, major);
    EXPECT_EQ(version.dwMinorVersion, minor);
    EXPECT_EQ(static_cast<unsigned int>(version.wServicePackMajor), pack) << version.szCSDVersion;

    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;
    ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
    EXPECT_EQ(static_cast<unsigned int>(memory.ullTotalPhys >> 20) + 1, info.GetRAMInMBs());

    SYSTEM_INFO system;
    GetSystemInfo(&system);
    EXPECT_EQ(system.dwNumberOfProcessors, info.GetProcessorCount());

    EXPECT_EQ(PString("win32x86"), info.GetPlatformSpecifier());

    DWORD before = GetTickCount();
    unsigned int ticks = info.GetTickCount();
    DWORD after = GetTickCount();
    EXPECT_LE(before, ticks);
    EXPECT_GE(after, ticks);
}

TEST(SystemInfo, LargestFixedDriveIsItsWholeSize) {
    unsigned long long largest = 0;
    bool cdrom = false;
    for (char drive = 'A'; drive <= 'Z'; ++drive) {
        char root[] = {drive, ':', '\\', '\0'};
        UINT type = GetDriveTypeA(root);
        cdrom = cdrom || type == DRIVE_CDROM;
        ULARGE_INTEGER total;
        if (type == DRIVE_FIXED && GetDiskFreeSpaceExA(root, nullptr, &total, nullptr) &&
            (total.QuadPart >> 20) > largest)
            largest = total.QuadPart >> 20;
    }
    ASystemInfo info;
    ASSERT_GT(largest, 0u) << "Wine always has a fixed drive C:";
    // Cluster counts round the size the other way than a byte count may.
    EXPECT_NEAR(static_cast<double>(largest), info.GetMaxDriveSpaceInMBs(), 1.0);
    EXPECT_EQ(cdrom, info.IsCDROMPresent());
}

TEST(SystemInfo, ProcessorIndicesBeyondTheCount) {
    ASystemInfo info;
    unsigned int count = info.GetProcessorCount();
    ASSERT_GT(count, 0u);
    char identifier[260] = {};
    DWORD mhz = 0;
    ASSERT_TRUE(ReadRegistry("Identifier", REG_SZ, identifier, sizeof identifier));
    ASSERT_TRUE(ReadRegistry("~MHz", REG_DWORD, &mhz, sizeof mhz));

    struct Row {
        unsigned int index;
        bool exists;
    } rows[] = {
        {0, true}, {count - 1, true}, {count, false}, {count + 1, false}, {0xFFFFFFFF, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        EXPECT_EQ(row.exists ? PString(identifier) : PString(), info.GetProcessorModel(row.index));
        // The registry holds the speed, so no measurement keeps us waiting.
        DWORD started = GetTickCount();
        EXPECT_EQ(row.exists ? mhz : 0u, info.GetProcessorSpeedInMhz(row.index));
        EXPECT_LT(GetTickCount() - started, 1000u);
    }
}

TEST(SystemInfo, CopiesShareOneObjectAndReleaseOnce) {
    auto original = std::make_unique<ASystemInfo>();
    ASystemInfo copy(*original);
    ASystemInfo assigned;
    assigned = *original;
    assigned = assigned;
    ASystemInfo chained;
    chained = copy;
    original.reset();
    for (ASystemInfo* info : {&copy, &assigned, &chained}) {
        EXPECT_EQ(PString("win32x86"), info->GetPlatformSpecifier());
        EXPECT_GT(info->GetProcessorCount(), 0u);
    }
}

} // namespace
} // namespace REDudi
