// A second process for the cross-process tests: writes COUNT numbered
// properties /PREFIX/0 .. /PREFIX/COUNT-1 below ROOT, reading each back, then
// reads the shared property /Shared until it is one of the texts written by
// the processes. Exit 0 when every read matched, 1 otherwise, 2 for bad use.
#include <REDudi/property_manager.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace REDudi;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: property_manager_helper ROOT PREFIX COUNT\n");
        return 2;
    }
    APropertyManager manager{PString(argv[1])};
    std::string prefix = argv[2];
    int count = std::atoi(argv[3]);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        PString path(("/" + prefix + "/" + std::to_string(i)).c_str());
        int back = -1;
        if (!manager.SetProperty(path, i) || !manager.GetProperty(path, back) || back != i)
            ++failures;
        // Everyone also writes one shared property; a reader must always see
        // a whole value, never a mixture or nothing.
        PString shared;
        manager.SetProperty(PString("/Shared"), PString(("value-of-" + prefix).c_str()));
        if (!manager.GetProperty(PString("/Shared"), shared) ||
            shared.compare(0, 9, "value-of-") != 0)
            ++failures;
    }
    if (failures != 0)
        std::fprintf(stderr, "%d reads did not match\n", failures);
    return failures == 0 ? 0 : 1;
}
