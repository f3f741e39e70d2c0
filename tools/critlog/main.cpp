// redudi-critlog: writes one record into the machine's critical log.
#include <REDudi/logging.h>

#include "critlog_options.h"

#include <cstdio>

using namespace REDudi;
using namespace REDudi::critlog;

int main(int argc, char** argv) {
    CritLogOptions options;
    std::string error;
    switch (ParseCritLogOptions(argc - 1, argv + 1, options, error)) {
    case ParseResult::kHelp:
        std::fputs(kCritLogUsage, stdout);
        return 0;
    case ParseResult::kError:
        std::fprintf(stderr, "redudi-critlog: %s\nTry 'redudi-critlog --help'.\n", error.c_str());
        return 2;
    case ParseResult::kRun:
        break;
    }
    ACriticalLogger logger;
    if (!logger.IsValid()) {
        std::fprintf(stderr, "redudi-critlog: cannot open the critical log\n");
        return 1;
    }
    if (options.hasAgent)
        logger.SetAgent(PString(options.agent));
    if (options.hasModule)
        logger.SetModule(PString(options.module));
    if (options.hasClass)
        logger.SetClass(PString(options.className));
    const char* text = options.message.c_str();
    const unsigned char level = static_cast<unsigned char>(options.level);
    if (options.hasSubClass) {
        if (options.level < 0)
            logger.ClassTrace(options.code, options.subClass.c_str(), "%s", text);
        else
            logger.ClassTrace(options.code, options.subClass.c_str(), level, "%s", text);
    } else if (options.level < 0) {
        logger.Trace(options.code, "%s", text);
    } else {
        logger.Trace(options.code, level, "%s", text);
    }
    return 0;
}
