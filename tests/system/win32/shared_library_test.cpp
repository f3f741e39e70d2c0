#include <REDudi/system.h>

#include "system/win32/win32au_shared_library.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace REDudi {
namespace {

// Both families behave alike and differ in how the file is named; every
// location is relative to the folder of the test executable, where the test
// libraries lie.
struct FileSpecFamily {
    using Library = ASharedLibrary;
    using Location = AFileSpec;
    static bool Set(Library& library, const Location& location) {
        return library.SetLibraryFileSpec(location);
    }
    static bool Get(const Library& library, Location& location) {
        return library.GetLibraryFileSpec(location);
    }
};

struct SimplePathFamily {
    using Library = ASharedLibrary2;
    using Location = ASimplePath;
    static bool Set(Library& library, const Location& location) {
        return library.SetLibrary(location);
    }
    static bool Get(const Library& library, Location& location) {
        return library.GetLibrary(location);
    }
};

bool IsLoaded(const char* name) {
    HMODULE module = nullptr;
    return GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, name, &module) != 0;
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

TYPED_TEST(SharedLibraryTest, LocationsAccepted) {
    using Location = typename TestFixture::Location;
    struct Row {
        const char* what;
        Location location;
        bool accepted;
    } rows[] = {
        {"library file", Location(PString("version_us.dll")), true},
        {"missing file", Location(PString("no_such_library.dll")), false},
        {"directory", Location(), false},
        {"empty name", Location(PString("")), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        typename TestFixture::Library set;
        ASSERT_TRUE(set.IsValid());
        EXPECT_EQ(row.accepted, TypeParam::Set(set, row.location));
        Location read;
        EXPECT_TRUE(TypeParam::Get(set, read));
        // A refused location leaves the application directory in place.
        EXPECT_EQ((row.accepted ? row.location : Location()).GetFullPath(), read.GetFullPath());

        typename TestFixture::Library constructed(row.location);
        EXPECT_EQ(row.accepted, constructed.IsValid());
        EXPECT_EQ(row.accepted, constructed.Open());
        EXPECT_EQ(row.accepted, constructed.IsOpen());
        EXPECT_EQ(row.accepted, constructed.ForceClose(false));
    }
}

TYPED_TEST(SharedLibraryTest, LoadsMatchedByCloses) {
    typename TestFixture::Library library(PString("version_us.dll"));
    ASSERT_TRUE(library.IsValid());
    EXPECT_TRUE(library.Close()) << "closing a closed library changes nothing";
    EXPECT_FALSE(library.IsOpen());

    struct Step {
        const char* what;
        bool (*act)(typename TestFixture::Library&);
        bool open;
    } steps[] = {
        {"first open", [](auto& l) { return l.Open(); }, true},
        {"second open", [](auto& l) { return l.Open(); }, true},
        {"first close", [](auto& l) { return l.Close(); }, true},
        {"second close", [](auto& l) { return l.Close(); }, false},
        {"extra close", [](auto& l) { return l.Close(); }, false},
        {"three opens", [](auto& l) { return l.Open() && l.Open() && l.Open(); }, true},
        {"force close", [](auto& l) { return l.ForceClose(false); }, false},
        {"force close again", [](auto& l) { return l.ForceClose(false); }, false},
    };
    for (const Step& step : steps) {
        EXPECT_TRUE(step.act(library)) << step.what;
        EXPECT_EQ(step.open, library.IsOpen()) << step.what;
        EXPECT_EQ(step.open, IsLoaded("version_us.dll")) << step.what;
    }
}

TYPED_TEST(SharedLibraryTest, ForceCloseAllDropsReferencesTakenElsewhere) {
    const std::string path = PString(AFileSpec(PString("version_us.dll")).GetFullPath());
    for (bool all : {false, true}) {
        SCOPED_TRACE(all ? "all" : "own only");
        HMODULE elsewhere = LoadLibraryA(path.c_str());
        LoadLibraryA(path.c_str());
        ASSERT_NE(nullptr, elsewhere);
        typename TestFixture::Library library(PString("version_us.dll"));
        ASSERT_TRUE(library.Open());
        ASSERT_TRUE(library.Open());
        EXPECT_TRUE(library.ForceClose(all));
        EXPECT_FALSE(library.IsOpen());
        EXPECT_EQ(!all, IsLoaded("version_us.dll"));
        if (!all) {
            EXPECT_TRUE(FreeLibrary(elsewhere));
            EXPECT_TRUE(FreeLibrary(elsewhere));
        }
    }
}

TYPED_TEST(SharedLibraryTest, SymbolsAndTheLocationWhileOpen) {
    typename TestFixture::Library library(PString("version_us.dll"));
    EXPECT_EQ(nullptr, library.LookupSymbol("RedudiTestAnswer")) << "not open yet";
    ASSERT_TRUE(library.Open());

    struct Row {
        const char* name;
        bool found;
    } rows[] = {{"RedudiTestAnswer", true},
                {"", false},
                {"NoSuchSymbol", false},
                {"redudiTestAnswer", false}};
    for (const Row& row : rows)
        EXPECT_EQ(row.found, library.LookupSymbol(row.name) != nullptr) << row.name;
    auto answer = reinterpret_cast<int (*)()>(library.LookupSymbol("RedudiTestAnswer"));
    ASSERT_NE(nullptr, answer);
    EXPECT_EQ(42, answer());

    typename TestFixture::Location other(PString("version_de.dll"));
    EXPECT_FALSE(TypeParam::Set(library, other)) << "refused while open";
    EXPECT_TRUE(library.Close());
    EXPECT_EQ(nullptr, library.LookupSymbol("RedudiTestAnswer")) << "closed again";
    EXPECT_TRUE(TypeParam::Set(library, other));
}

TYPED_TEST(SharedLibraryTest, FailingInitialisationStaysClosed) {
    typename TestFixture::Library library(PString("failing_library.dll"));
    ASSERT_TRUE(library.IsValid());
    EXPECT_FALSE(library.Open());
    EXPECT_FALSE(library.IsOpen());
    EXPECT_TRUE(library.Close());
    EXPECT_EQ(nullptr, library.LookupSymbol("RedudiTestAnswer"));
}

TYPED_TEST(SharedLibraryTest, UnusableFacadeAnswersFalse) {
    typename TestFixture::Library library(PString("no_such_library.dll"));
    typename TestFixture::Location location(PString("version_us.dll"));
    EXPECT_FALSE(library.IsValid());
    EXPECT_FALSE(TypeParam::Set(library, location));
    EXPECT_FALSE(TypeParam::Get(library, location));
    EXPECT_FALSE(library.Open());
    EXPECT_FALSE(library.Close());
    EXPECT_FALSE(library.ForceClose(true));
    EXPECT_FALSE(library.IsOpen());
    EXPECT_EQ(nullptr, library.LookupSymbol("RedudiTestAnswer"));
}

template <class Library>
DWORD WINAPI OpenAndCloseRepeatedly(void* argument) {
    auto* library = static_cast<Library*>(argument);
    DWORD failures = 0;
    for (int i = 0; i < 50; ++i) {
        failures += library->Open() ? 0 : 1;
        failures += library->LookupSymbol("RedudiTestAnswer") != nullptr ? 0 : 1;
        failures += library->Close() ? 0 : 1;
    }
    return failures;
}

TYPED_TEST(SharedLibraryTest, ThreadsShareOneObject) {
    using Library = typename TestFixture::Library;
    Library library(PString("version_us.dll"));
    // One load held throughout keeps every thread's lookup meaningful.
    ASSERT_TRUE(library.Open());
    std::vector<HANDLE> threads;
    for (int i = 0; i < 4; ++i)
        threads.push_back(
            CreateThread(nullptr, 0, OpenAndCloseRepeatedly<Library>, &library, 0, nullptr));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(static_cast<DWORD>(threads.size()),
                                                    threads.data(), TRUE, 30000));
    for (HANDLE thread : threads) {
        DWORD failures = 1;
        GetExitCodeThread(thread, &failures);
        EXPECT_EQ(0u, failures);
        CloseHandle(thread);
    }
    EXPECT_TRUE(library.IsOpen());
    EXPECT_TRUE(library.Close());
    EXPECT_FALSE(library.IsOpen());
}

// Copies of the implementation share one lock; it must outlive every copy
// that still uses it and be deleted once.
TEST(SharedLibraryCopies, ShareTheLockSafely) {
    struct Order {
        const char* what;
        bool destroyOriginalFirst;
        bool assignInstead;
    } orders[] = {{"copy outlives original", true, false},
                  {"original outlives copy", false, false},
                  {"assigned outlives original", true, true},
                  {"original outlives assigned", false, true}};
    for (const Order& order : orders) {
        SCOPED_TRACE(order.what);
        auto* original = new WIN32AU_SharedLibrary;
        ASSERT_TRUE(original->SetLibraryFileSpec(AFileSpec(PString("version_us.dll"))));
        WIN32AU_SharedLibrary* copy = nullptr;
        if (order.assignInstead) {
            copy = new WIN32AU_SharedLibrary;
            *copy = *original;
            *copy = *copy;
        } else {
            copy = new WIN32AU_SharedLibrary(*original);
        }
        WIN32AU_SharedLibrary* survivor = order.destroyOriginalFirst ? copy : original;
        delete (order.destroyOriginalFirst ? original : copy);
        ASSERT_TRUE(survivor->IsValid());
        EXPECT_TRUE(survivor->Open());
        EXPECT_TRUE(survivor->Close());
        EXPECT_FALSE(IsLoaded("version_us.dll"));
        delete survivor;
    }
}

} // namespace
} // namespace REDudi
