// A short tour of the library: prints what each step did.
#include <REDudi/platform.h>
#include <REDudi/strings.h>

#include <cstdio>

using namespace REDudi;

int main() {
    PString text("path\\to\\file");
    text.ReplaceAll('\\', "/");
    std::printf("ReplaceAll: %s\n", text.c_str());
    std::printf("Left(4): %s, Right(4): %s\n", PString(text.Left(4)).c_str(),
                PString(text.Right(4)).c_str());
    std::printf("CompareNoCase(\"PATH/TO/FILE\"): %d\n",
                text.CompareNoCase(PString("PATH/TO/FILE")));

    PString name = AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString("Demo"));
    std::printf("Kernel object name: %s\n", name.c_str());
    AdvancedPlatformSupport support;
    std::printf("All-access security attributes: %s\n",
                support.GetAllAccessSecurityAttributes() ? "built" : "unavailable");
    return 0;
}
