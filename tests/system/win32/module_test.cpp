// Module handles, file versions and shared libraries, on test libraries built alongside.
#include <REDudi/system.h>

#include "system/win32/win32au_shared_library.h"
#include "win32/child_process.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <future>
#include <string>

namespace REDudi {
namespace {

using testing::ExecutableBeside;

UString Wide(const std::string& text) {
    UString wide;
    ConvertANSIToUnicode(text, wide);
    return wide;
}

// Only then does the wide lookup find the German block.
bool UserIsGerman() {
    return GetUserDefaultLangID() == 0x0407 && GetACP() == 1252;
}

// By path, then by handles; the German-locale run must really get that locale.
TEST(ModuleFileVersion, ByPathAndOfLoadedModules) {
    EXPECT_TRUE(std::getenv("REDUDI_EXPECT_GERMAN") == nullptr || UserIsGerman())
        << std::hex << GetUserDefaultLangID() << " " << GetACP();
    HMODULE module = LoadLibraryA(ExecutableBeside("version_us.dll").c_str());
    ASSERT_NE(nullptr, module);
    auto* original = new AModuleInfo; // the copy must outlive it
    AModuleInfo info(*original);
    delete original;
    struct Row {
        std::string path;
        bool narrowFound, wideFound;
        const char* version;
    } rows[] = {{ExecutableBeside("version_us.dll"), true, true, "5.1.2600.0"},
                {ExecutableBeside("version_de.dll"), false, UserIsGerman(), "7.0.4.2"},
                {ExecutableBeside("version_blocks.dll"), true, true, "from 040904b0"},
                {ExecutableBeside("plain_library.dll"), false, false, ""},
                {ExecutableBeside("no_such_library.dll"), false, false, ""},
                {"", false, false, ""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        PString narrow("stale");
        EXPECT_EQ(row.narrowFound, info.GetModuleFileVersion(PString(row.path), narrow));
        EXPECT_EQ(row.narrowFound ? PString(row.version) : PString(), narrow);
        UString wide(Wide("stale")); // kept only for an empty path
        EXPECT_EQ(row.wideFound, info.GetModuleFileVersion(Wide(row.path), wide));
        EXPECT_EQ(Wide(row.wideFound ? row.version : row.path.empty() ? "stale" : ""), wide);
    }
    AModuleHandle library, executable, byWide, missing;
    ASSERT_TRUE(info.GetModulesHandle(PString("version_us.dll"), library) &&
                info.GetModulesHandle(executable) &&
                info.GetModulesHandle(Wide("VERSION_US.DLL"), byWide));
    EXPECT_TRUE(library == byWide && !(library != byWide));
    EXPECT_TRUE(library != executable && !(library == executable));
    // A failed lookup resets the output to the null handle.
    missing = library;
    EXPECT_FALSE(info.GetModulesHandle(PString("not_loaded_anywhere.dll"), missing));
    EXPECT_TRUE(missing.IsValid() && missing == AModuleHandle() && missing != executable);
    AModuleHandle copy(library);
    EXPECT_NE(copy.GetAsModuleHandle(), library.GetAsModuleHandle()) << "copies must not share";
    missing = *copy.GetAsModuleHandle();
    EXPECT_TRUE(copy == library && missing == library);

    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    PString name, version("stale");
    UString wideName, wideVersion(Wide("stale"));
    // Without a handle: the test executable, which carries no version resource.
    EXPECT_TRUE(info.GetModuleFilename(name) && info.GetModuleFilename(wideName));
    EXPECT_TRUE(_stricmp(path, name.c_str()) == 0 && Wide(name) == wideName) << name;
    EXPECT_FALSE(info.GetModuleFileVersion(version) || info.GetModuleFileVersion(wideVersion));
    EXPECT_TRUE(version.empty() && wideVersion.empty());
    EXPECT_TRUE(info.GetModuleFilename(library, name) && info.GetModuleFilename(library, wideName));
    EXPECT_TRUE(_stricmp(rows[0].path.c_str(), name.c_str()) == 0 && Wide(name) == wideName)
        << name;
    EXPECT_TRUE(info.GetModuleFileVersion(library, version) &&
                info.GetModuleFileVersion(library, wideVersion));
    EXPECT_TRUE(version == "5.1.2600.0" && wideVersion == Wide(version)) << version;
    FreeLibrary(module);
    EXPECT_EQ(nullptr, GetModuleHandleA("version_us.dll")) << "a lookup kept a reference";
}

// The two families differ only in how the file is named.
struct FileSpecFamily {
    using Library = ASharedLibrary;
    using Location = AFileSpec;
    static bool Set(Library& l, const Location& at) { return l.SetLibraryFileSpec(at); }
    static bool Get(const Library& l, Location& at) { return l.GetLibraryFileSpec(at); }
};

struct SimplePathFamily {
    using Library = ASharedLibrary2;
    using Location = ASimplePath;
    static bool Set(Library& l, const Location& at) { return l.SetLibrary(at); }
    static bool Get(const Library& l, Location& at) { return l.GetLibrary(at); }
};

bool IsLoaded(const char* name) {
    HMODULE module = nullptr;
    return GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, name, &module) != 0;
}

bool HasAnswer(const void* symbol) {
    return symbol != nullptr && reinterpret_cast<int (*)()>(symbol)() == 42;
}

template <class Family>
class SharedLibraryTest : public ::testing::Test {
protected:
    using Library = typename Family::Library;
    using Location = typename Family::Location;
    void TearDown() override {
        // Nothing a test did may keep a test library loaded.
        for (const char* name : {"version_us.dll", "failing_library.dll"})
            EXPECT_FALSE(IsLoaded(name)) << name;
    }
};

using Families = ::testing::Types<FileSpecFamily, SimplePathFamily>;
TYPED_TEST_SUITE(SharedLibraryTest, Families);

TYPED_TEST(SharedLibraryTest, WhatEachLocationAllows) {
    using Location = typename TestFixture::Location;
    const Location other(PString("version_de.dll"));
    struct Row {
        const char* what;
        Location location;
        bool accepted, opens;
    } rows[] = {{"library file", Location(PString("version_us.dll")), true, true},
                {"failing initialisation", Location(PString("failing_library.dll")), true, false},
                {"missing file", Location(PString("no_such_library.dll")), false, false},
                {"directory", Location(), false, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        typename TestFixture::Library set;
        EXPECT_EQ(row.accepted, TypeParam::Set(set, row.location));
        Location read;
        EXPECT_TRUE(TypeParam::Get(set, read));
        // A refused location leaves the application directory in place.
        EXPECT_EQ((row.accepted ? row.location : Location()).GetFullPath(), read.GetFullPath());

        // A library made from a refused location is unusable and says false.
        typename TestFixture::Library library(row.location);
        EXPECT_EQ(row.accepted, library.IsValid());
        EXPECT_EQ(row.opens, library.Open());
        EXPECT_EQ(row.opens, library.IsOpen());
        EXPECT_EQ(row.opens, HasAnswer(library.LookupSymbol("RedudiTestAnswer")));
        for (const char* name : {"", "NoSuchSymbol", "redudiTestAnswer"})
            EXPECT_EQ(nullptr, library.LookupSymbol(name)) << name;
        EXPECT_EQ(row.accepted && !row.opens, TypeParam::Set(library, other)) << "open";
        EXPECT_EQ(row.accepted, library.Close());
        EXPECT_EQ(nullptr, library.LookupSymbol("RedudiTestAnswer")) << "closed";
        EXPECT_EQ(row.accepted, TypeParam::Set(library, other));
        EXPECT_EQ(row.accepted, TypeParam::Get(library, read));
        EXPECT_EQ(row.accepted, library.ForceClose(true));
    }
}

// Steps: o open, c close, f/F force-close own/all loads, L/G LoadLibrary/FreeLibrary.
TYPED_TEST(SharedLibraryTest, LoadsMatchedByClosesAlsoOfThreadsSharingTheObject) {
    struct Step {
        const char* acts;
        bool open, loaded;
    } steps[] = {{"c", false, false},   {"o", true, true},   {"o", true, true},
                 {"c", true, true},     {"c", false, false}, {"c", false, false},
                 {"ooo", true, true},   {"f", false, false}, {"f", false, false},
                 {"Loof", false, true}, {"G", false, false}, {"LoF", false, false}};
    const std::string path = PString(AFileSpec(PString("version_us.dll")).GetFullPath());
    typename TestFixture::Library library(PString("version_us.dll"));
    HMODULE elsewhere = nullptr;
    for (const Step& step : steps) {
        for (const char* act = step.acts; *act != '\0'; ++act) {
            bool done = *act == 'o'   ? library.Open()
                        : *act == 'c' ? library.Close()
                        : *act == 'L' ? (elsewhere = LoadLibraryA(path.c_str())) != nullptr
                        : *act == 'G' ? FreeLibrary(elsewhere) != FALSE
                                      : library.ForceClose(*act == 'F');
            EXPECT_TRUE(done) << step.acts;
        }
        EXPECT_EQ(step.open, library.IsOpen()) << step.acts;
        EXPECT_EQ(step.loaded, IsLoaded("version_us.dll")) << step.acts;
    }
    ASSERT_TRUE(library.Open()); // held throughout: every thread's lookup must find the symbol
    std::future<int> threads[4];
    for (std::future<int>& thread : threads)
        thread = std::async(std::launch::async, [&library] {
            int failures = 0;
            for (int i = 0; i < 50; ++i)
                failures += !library.Open() || !library.LookupSymbol("RedudiTestAnswer") ||
                            !library.Close();
            return failures;
        });
    for (std::future<int>& thread : threads) {
        ASSERT_EQ(std::future_status::ready, thread.wait_for(std::chrono::seconds(30)));
        EXPECT_EQ(0, thread.get());
    }
    EXPECT_TRUE(library.IsOpen() && library.Close() && !library.IsOpen());
}

// Copies share one lock, which must outlive every copy using it and be deleted once.
TEST(SharedLibraryCopies, ShareTheLockSafely) {
    for (int order = 0; order < 4; ++order) {
        SCOPED_TRACE(order); // bit 0: the original dies first; bit 1: assigned, not copied
        auto* original = new WIN32AU_SharedLibrary;
        ASSERT_TRUE(original->SetLibraryFileSpec(AFileSpec(PString("version_us.dll"))));
        auto* copy = order & 2 ? new WIN32AU_SharedLibrary : new WIN32AU_SharedLibrary(*original);
        if (order & 2)
            *copy = *copy = *original;
        WIN32AU_SharedLibrary* survivor = order & 1 ? copy : original;
        delete (order & 1 ? original : copy);
        EXPECT_TRUE(survivor->IsValid() && survivor->Open() && survivor->Close());
        EXPECT_FALSE(IsLoaded("version_us.dll"));
        delete survivor;
    }
}

} // namespace
} // namespace REDudi
