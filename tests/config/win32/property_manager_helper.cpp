// A second process for the sharing test: writes /PREFIX/0 .. /PREFIX/COUNT-1
// and /Shared below ROOT, reading each back. Exit 0 when every read matched.
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
    int failures = 0;
    for (int i = 0; i < std::atoi(argv[3]); ++i) {
        PString path(("/" + prefix + "/" + std::to_string(i)).c_str());
        PString shared;
        int back = -1;
        failures += !manager.SetProperty(path, i) || !manager.GetProperty(path, back) || back != i;
        manager.SetProperty(PString("/Shared"), PString(("value-of-" + prefix).c_str()));
        failures += !manager.GetProperty(PString("/Shared"), shared) ||
                    shared.compare(0, 9, "value-of-") != 0;
    }
    if (failures != 0)
        std::fprintf(stderr, "%d reads did not match\n", failures);
    return failures == 0 ? 0 : 1;
}
