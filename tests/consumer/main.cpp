// Uses the installed library as an application would and prints what it got;
// exits non-zero when any step fails.
#include <REDudi/logging.h>
#include <REDudi/strings.h>

#include <cstdio>

int main() {
    REDudi::ClassTrace("Consumer", static_cast<unsigned char>(3), "consumer %s", "started");
    REDudi::PString text("REDudi");
    if (text.CompareNoCase("redudi") != 0) {
        std::fprintf(stderr, "consumer: string comparison failed\n");
        return 1;
    }
    std::printf("consumer: ok\n");
    return 0;
}
