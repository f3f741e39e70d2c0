#include <REDudi/platform.h>

#include <gtest/gtest.h>

#include <type_traits>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace REDudi;

namespace {

struct Tracked {
    explicit Tracked(int& destroyed) : destroyed_(destroyed) {}
    virtual ~Tracked() { ++destroyed_; }
    int& destroyed_;
};

// Null is success; a deleted pointer is cleared, so a second call is a no-op.
TEST(SafeDeleteTest, DeletesOnceAndClearsPointer) {
    int destroyed = 0;
    Tracked* p = new Tracked(destroyed);
    EXPECT_TRUE(SafeDelete(p) && p == nullptr);
    EXPECT_TRUE(SafeDelete(p));
    EXPECT_EQ(1, destroyed);
}

#ifdef _WIN32
// A reserved page can be neither read nor run; SafeDelete clears a pointer to it.
TEST(PointerTestsTest, ProbeRealMemory) {
    char buffer[16] = "text";
    void* page = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
    void* readOnly = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READONLY);
    ASSERT_TRUE(page != nullptr && readOnly != nullptr);
    std::string bad;
    for (bool probe :
         {QV_IsBadCodePtr(buffer), QV_IsBadReadPtr(buffer, sizeof buffer),
          QV_IsBadReadPtr(readOnly, 4096), QV_IsBadWritePtr(buffer, sizeof buffer),
          QV_IsBadStringPtr(buffer, 100), QV_IsBadCodePtr(page), QV_IsBadCodePtr(nullptr),
          QV_IsBadReadPtr(page, 1), QV_IsBadWritePtr(readOnly, 1),
          QV_IsBadStringPtr(static_cast<const char*>(page), 10)})
        bad += probe ? '1' : '0';
    EXPECT_EQ("0000011111", bad);
    Tracked* p = static_cast<Tracked*>(page);
    EXPECT_TRUE(!SafeDelete(p) && p == nullptr);
    VirtualFree(readOnly, 0, MEM_RELEASE);
    VirtualFree(page, 0, MEM_RELEASE);
}

TEST(AdvancedPlatformSupportTest, AttributesAreBuiltOnceWithNullDaclAndGlobalNames) {
    EXPECT_EQ("", AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString("")));
    EXPECT_EQ("Global\\X", AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString("X")));
    AdvancedPlatformSupport support;
    SECURITY_ATTRIBUTES* first = support.GetAllAccessSecurityAttributes();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, support.GetAllAccessSecurityAttributes());
    EXPECT_EQ(sizeof(SECURITY_ATTRIBUTES), first->nLength);
    BOOL present = FALSE, defaulted = TRUE;
    PACL dacl = reinterpret_cast<PACL>(1);
    ASSERT_TRUE(
        GetSecurityDescriptorDacl(first->lpSecurityDescriptor, &present, &dacl, &defaulted));
    EXPECT_TRUE(present && dacl == nullptr && !defaulted);
    // A copy has its own descriptor; the attributes really create a named object.
    AdvancedPlatformSupport copy(support);
    EXPECT_NE(first->lpSecurityDescriptor,
              copy.GetAllAccessSecurityAttributes()->lpSecurityDescriptor);
    HANDLE event = CreateEventA(first, TRUE, FALSE, "REDudi::PlatformTest::Event");
    EXPECT_TRUE(event != nullptr && CloseHandle(event));
}

static_assert(sizeof(AdvancedPlatformSupport) ==
                  sizeof(SECURITY_ATTRIBUTES) + sizeof(SECURITY_DESCRIPTOR),
              "AdvancedPlatformSupport holds the attributes and the descriptor only");
#endif

static_assert(sizeof(PString) == sizeof(void*) + sizeof(std::string), "PString adds no data");
static_assert(sizeof(UString) == sizeof(void*) + sizeof(UnicodeStdString), "UString adds no data");

static_assert(std::is_empty<ThreadTerminateException>::value, "no data, no virtual functions");
static_assert(std::is_nothrow_copy_assignable<ThreadTerminateException>::value, "copyable");

} // namespace
