#include <REDudi/system.h>

#include "win32/child_process.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>

namespace REDudi {
namespace {

using testing::ExecutableBeside;

UString Wide(const std::string& text) {
    UString wide;
    ConvertANSIToUnicode(text, wide);
    return wide;
}

// The German block is found by the wide lookup only where the user's
// language is German and the ANSI code page Western European.
bool UserIsGerman() {
    return GetUserDefaultLangID() == 0x0407 && GetACP() == 1252;
}

TEST(ModuleFileVersion, GermanLocaleWhenAsked) {
    // The run made for the German locale must really get it.
    if (std::getenv("REDUDI_EXPECT_GERMAN") == nullptr)
        GTEST_SKIP() << "not the German run";
    EXPECT_TRUE(UserIsGerman()) << std::hex << GetUserDefaultLangID() << " " << std::dec
                                << GetACP();
}

TEST(ModuleFileVersion, ByPath) {
    const std::string notPe = testing::TemporaryFile("not_pe");
    std::ofstream(notPe) << "MZ but not a program\n";
    char folder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, folder);

    struct Row {
        std::string path;
        bool narrowFound;
        bool wideFound;
        const char* version;
    } rows[] = {
        {ExecutableBeside("version_us.dll"), true, true, "5.1.2600.0"},
        {ExecutableBeside("version_de.dll"), false, UserIsGerman(), "7.0.4.2"},
        {ExecutableBeside("plain_library.dll"), false, false, ""},
        {ExecutableBeside("no_such_library.dll"), false, false, ""},
        {folder, false, false, ""},
        {notPe, false, false, ""},
    };
    AModuleInfo info;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        PString narrow("stale");
        EXPECT_EQ(row.narrowFound, info.GetModuleFileVersion(PString(row.path), narrow));
        EXPECT_EQ(row.narrowFound ? PString(row.version) : PString(), narrow);
        UString wide(Wide("stale"));
        EXPECT_EQ(row.wideFound, info.GetModuleFileVersion(Wide(row.path), wide));
        EXPECT_EQ(row.wideFound ? Wide(row.version) : UString(), wide);
    }
    DeleteFileA(notPe.c_str());
}

TEST(ModuleFileVersion, EmptyPath) {
    AModuleInfo info;
    PString narrow("stale");
    EXPECT_FALSE(info.GetModuleFileVersion(PString(), narrow));
    EXPECT_TRUE(narrow.empty());
    UString wide(Wide("kept"));
    EXPECT_FALSE(info.GetModuleFileVersion(UString(), wide));
    EXPECT_EQ(Wide("kept"), wide);
}

class LoadedModule : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryA(ExecutableBeside("version_us.dll").c_str());
        ASSERT_NE(nullptr, module_);
    }
    void TearDown() override {
        FreeLibrary(module_);
        EXPECT_EQ(nullptr, GetModuleHandleA("version_us.dll")) << "a lookup kept a reference";
    }

    AModuleInfo info_;
    HMODULE module_ = nullptr;
};

TEST_F(LoadedModule, HandlesByName) {
    AModuleHandle byNarrow, byWide, executable, missing;
    ASSERT_TRUE(info_.GetModulesHandle(PString("version_us.dll"), byNarrow));
    ASSERT_TRUE(info_.GetModulesHandle(Wide("VERSION_US.DLL"), byWide));
    ASSERT_TRUE(info_.GetModulesHandle(executable));
    EXPECT_TRUE(byNarrow == byWide);
    EXPECT_FALSE(byNarrow != byWide);
    EXPECT_TRUE(byNarrow != executable);
    EXPECT_FALSE(byNarrow == executable);

    // A failed lookup resets the output to the null handle.
    missing = byNarrow;
    EXPECT_TRUE(missing == byNarrow);
    EXPECT_FALSE(info_.GetModulesHandle(PString("not_loaded_anywhere.dll"), missing));
    EXPECT_TRUE(missing.IsValid());
    EXPECT_TRUE(missing != byNarrow);
    EXPECT_TRUE(missing != executable);
    EXPECT_TRUE(missing == AModuleHandle());
}

TEST_F(LoadedModule, FileNamesAndVersions) {
    AModuleHandle library, executable;
    ASSERT_TRUE(info_.GetModulesHandle(PString("version_us.dll"), library));
    ASSERT_TRUE(info_.GetModulesHandle(PString(), executable));

    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    struct Row {
        const char* what;
        const AModuleHandle* module;
        std::string fileName;
        bool versionFound; // the test executable carries no version resource
    } rows[] = {
        {"no module", nullptr, path, false},
        {"executable", &executable, path, false},
        {"library", &library, ExecutableBeside("version_us.dll"), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PString narrowName, narrowVersion("stale");
        UString wideName, wideVersion;
        if (row.module == nullptr) {
            EXPECT_TRUE(info_.GetModuleFilename(narrowName));
            EXPECT_TRUE(info_.GetModuleFilename(wideName));
            EXPECT_EQ(row.versionFound, info_.GetModuleFileVersion(narrowVersion));
            EXPECT_EQ(row.versionFound, info_.GetModuleFileVersion(wideVersion));
        } else {
            EXPECT_TRUE(info_.GetModuleFilename(*row.module, narrowName));
            EXPECT_TRUE(info_.GetModuleFilename(*row.module, wideName));
            EXPECT_EQ(row.versionFound, info_.GetModuleFileVersion(*row.module, narrowVersion));
            EXPECT_EQ(row.versionFound, info_.GetModuleFileVersion(*row.module, wideVersion));
        }
        EXPECT_EQ(0, _stricmp(row.fileName.c_str(), narrowName.c_str())) << narrowName;
        EXPECT_EQ(Wide(narrowName), wideName);
        EXPECT_EQ(row.versionFound ? PString("5.1.2600.0") : PString(), narrowVersion);
        EXPECT_EQ(row.versionFound ? Wide("5.1.2600.0") : UString(), wideVersion);
    }
}

TEST_F(LoadedModule, CopiesHoldTheSameModule) {
    AModuleHandle library;
    ASSERT_TRUE(info_.GetModulesHandle(PString("version_us.dll"), library));
    AModuleHandle copy(library);
    AModuleHandle assigned;
    assigned = library;
    EXPECT_TRUE(copy == library);
    EXPECT_TRUE(assigned == library);
    EXPECT_NE(copy.GetAsModuleHandle(), library.GetAsModuleHandle()) << "copies must not share";
    assigned = *assigned.GetAsModuleHandle();
    EXPECT_TRUE(assigned == library);

    // A shared information object keeps working after the original is gone.
    AModuleInfo* original = new AModuleInfo;
    AModuleInfo shared(*original);
    delete original;
    PString version;
    EXPECT_TRUE(shared.GetModuleFileVersion(library, version));
    EXPECT_EQ(PString("5.1.2600.0"), version);
}

} // namespace
} // namespace REDudi
