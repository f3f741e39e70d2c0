#include "system/win32/cpu.h"

#include "win32/child_process.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace REDudi {
namespace {

// A processor description of the test's own below HKEY_CURRENT_USER, so
// that the registry's speed can be present, spelt otherwise, or absent.
class CpuSpeed : public ::testing::Test {
protected:
    void SetUp() override {
        key_ = "Software\\REDudiTests\\cpu_" + std::to_string(GetCurrentProcessId());
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &handle_, nullptr));
    }
    void TearDown() override {
        RegCloseKey(handle_);
        RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
    }
    void SetSpeed(const char* name, DWORD mhz) {
        RegSetValueExA(handle_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mhz),
                       sizeof mhz);
    }
    // Waits at most `ms` for every measurement worker to end.
    static bool WorkersEnd(DWORD ms) {
        for (DWORD waited = 0; CPU::RunningWorkers() != 0; waited += 10) {
            if (waited >= ms)
                return false;
            Sleep(10);
        }
        return true;
    }

    std::string key_;
    HKEY handle_ = nullptr;
};

TEST_F(CpuSpeed, RegistryValueWinsInAnySpelling) {
    struct Row {
        const char* name;
        DWORD mhz;
    } rows[] = {{"~MHz", 2445}, {"~Mhz", 1800}, {"~mhz", 300}, {"~MHz", 0}};
    for (const Row& row : rows) {
        SetSpeed(row.name, row.mhz);
        CPU cpu(HKEY_CURRENT_USER, key_.c_str());
        EXPECT_EQ(row.mhz, cpu.GetSpeed(0, false)) << row.name << " " << row.mhz;
        EXPECT_EQ(0, CPU::RunningWorkers()) << "no measurement with a registered speed";
        RegDeleteValueA(handle_, row.name);
    }
}

TEST_F(CpuSpeed, MeasuredWhenTheRegistryHasNone) {
    struct Row {
        const char* what;
        const char* key;
    } rows[] = {{"value absent", nullptr}, {"key absent", "Software\\REDudiTests\\no_such_key"}};
    for (const Row& row : rows) {
        CPU cpu(HKEY_CURRENT_USER, row.key ? row.key : key_.c_str());
        unsigned int mhz = cpu.GetSpeed(5, false);
        EXPECT_GE(mhz, 100u) << row.what;
        EXPECT_LE(mhz, 10000u) << row.what;
        EXPECT_TRUE(WorkersEnd(1000)) << row.what;
    }
}

TEST_F(CpuSpeed, AbandonedWorkerOutlivesItsObjectSafely) {
    for (bool terminate : {false, true}) {
        {
            CPU cpu(HKEY_CURRENT_USER, key_.c_str());
            EXPECT_EQ(CPU::kNoSpeed, cpu.GetSpeed(0, terminate)) << terminate;
        }
        if (!terminate) {
            EXPECT_TRUE(WorkersEnd(5000)) << "the worker finishes into its own slot";
        }
    }
}

TEST(CpuSpeedProcess, ExitsCleanlyWhileAWorkerStillMeasures) {
    testing::ChildProcess child;
    ASSERT_TRUE(child.Start("\"" + testing::ExecutableBeside("cpu_speed_helper.exe") + "\""));
    DWORD exitCode = 99;
    ASSERT_TRUE(child.Wait(30000, exitCode));
    EXPECT_EQ(0u, exitCode);
}

} // namespace
} // namespace REDudi
