// redudi-trace: writes one record into the machine's trace log, for scripts.
#include <REDudi/logging.h>

#include "trace_options.h"

#include <cstdio>

using namespace REDudi;
using namespace REDudi::trace;

int main(int argc, char** argv) {
    TraceOptions options;
    std::string error;
    switch (ParseTraceOptions(argc - 1, argv + 1, options, error)) {
    case ParseResult::kHelp:
        std::fputs(kTraceUsage, stdout);
        return 0;
    case ParseResult::kError:
        std::fprintf(stderr, "redudi-trace: %s\nTry 'redudi-trace --help'.\n", error.c_str());
        return 2;
    case ParseResult::kRun:
        break;
    }
    ALogger logger;
    if (!logger.IsValid()) {
        std::fprintf(stderr, "redudi-trace: cannot open the trace log\n");
        return 1;
    }
    logger.SetClass(PString(options.className.c_str()));
    // "%s" keeps a '%' in the message from being read as a format.
    logger.ClassTrace(options.subClass.c_str(), options.level, options.flags, "%s",
                      options.message.c_str());
    return 0;
}
