// Several threads and several processes on the same properties.
#include "win32/child_process.h"
#include "win32/registry_test_root.h"

#include <REDudi/property_manager.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

using namespace REDudi;
using REDudi::testing::ChildProcess;
using REDudi::testing::ExecutableBeside;
using REDudi::testing::RegistryTestRoot;

namespace {

const int kCount = 40;

// Every numbered property of `prefix` holds its number.
int WrongNumbers(APropertyManager& manager, const std::string& prefix) {
    int wrong = 0;
    for (int i = 0; i < kCount; ++i) {
        int value = -1;
        if (!manager.GetProperty(PString(("/" + prefix + "/" + std::to_string(i)).c_str()),
                                 value) ||
            value != i)
            ++wrong;
    }
    return wrong;
}

TEST(PropertyManagerSharingTest, ThreadsShareOneManager) {
    RegistryTestRoot branch("th");
    APropertyManager manager(PString(branch.Root().c_str()));
    std::atomic<int> failures(0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            std::string prefix = "T" + std::to_string(t);
            for (int i = 0; i < kCount; ++i) {
                PString path(("/" + prefix + "/" + std::to_string(i)).c_str());
                PString shared;
                if (!manager.SetProperty(path, i) ||
                    !manager.SetProperty(PString("/Shared"), PString(prefix.c_str())) ||
                    !manager.GetProperty(PString("/Shared"), shared) || shared.size() != 2)
                    ++failures;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, failures.load());
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(0, WrongNumbers(manager, "T" + std::to_string(t))) << t;
}

TEST(PropertyManagerSharingTest, ProcessesShareTheRegistry) {
    RegistryTestRoot branch("pr");
    std::vector<std::unique_ptr<ChildProcess>> children;
    for (int p = 0; p < 3; ++p) {
        children.emplace_back(new ChildProcess);
        ASSERT_TRUE(children.back()->Start("\"" + ExecutableBeside("property_manager_helper.exe") +
                                           "\" " + branch.Root() + " P" + std::to_string(p) + " " +
                                           std::to_string(kCount)));
    }
    APropertyManager manager(PString(branch.Root().c_str()));
    for (int p = 0; p < 3; ++p) {
        DWORD exitCode = 99;
        ASSERT_TRUE(children[p]->Wait(60000, exitCode)) << p;
        EXPECT_EQ(0u, exitCode) << p;
        EXPECT_EQ(0, WrongNumbers(manager, "P" + std::to_string(p))) << p;
    }
    std::list<PString> keys;
    EXPECT_TRUE(manager.GetSubKeyList(PString("/"), keys));
    EXPECT_EQ((std::list<PString>{PString("P0"), PString("P1"), PString("P2")}), keys);
}

} // namespace
