// redudi-status-service: the typical request of a service built on the
// library. It reads its settings from the registry properties, renders its
// status pages from templates, traces each step and reports queues over
// their limit in the critical log.
#include "status_pages.h"
#include "status_settings.h"

#include <REDudi/logging.h>
#include <REDudi/system.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

using namespace REDudi;
using namespace REDudi::demo;

namespace {

const char kUsage[] =
    "Usage: redudi-status-service [--root ROOT] [--templates DIR] [--pages DIR]\n"
    "Reads the service's settings from the properties below ROOT (a registry key\n"
    "under HKEY_LOCAL_MACHINE, default Software/REDudiDemo), writes its status pages\n"
    "from the templates in DIR (default demo/templates) to the pages directory\n"
    "(default build/demo/pages), traces its work in the trace log (class\n"
    "StatusService) and writes a critical record for each queue over its limit.\n"
    "Directories are relative to the current directory.\n"
    "Exit status: 0 on success, 1 when the settings or the pages fail, 2 for a\n"
    "bad command line.\n";

struct Options {
    std::string root = "Software/REDudiDemo";
    std::string templates = "demo/templates";
    std::string pages = "build/demo/pages";
};

enum class Parse { kRun, kHelp, kError };

Parse ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--help" || word == "-h")
            return Parse::kHelp;
        std::string* target = word == "--root"        ? &options.root
                              : word == "--templates" ? &options.templates
                              : word == "--pages"     ? &options.pages
                                                      : nullptr;
        if (!target) {
            error = "unknown argument " + word;
            return Parse::kError;
        }
        if (i + 1 >= argc || argv[i + 1][0] == '\0') {
            error = word + " needs a value";
            return Parse::kError;
        }
        *target = argv[++i];
    }
    return Parse::kRun;
}

MachineFigures MeasureMachine() {
    ASystemInfo info;
    MachineFigures machine;
    machine.platform = info.GetPlatformSpecifier();
    machine.processorModel = info.GetProcessorModel(0);
    machine.processors = info.GetProcessorCount();
    machine.memoryMB = info.GetRAMInMBs();
    machine.largestDriveMB = info.GetMaxDriveSpaceInMBs();
    return machine;
}

std::string UtcNow() {
    std::time_t now = std::time(nullptr);
    std::tm* utc = std::gmtime(&now);
    char text[32] = "";
    if (utc)
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", utc);
    return text;
}

// The code of the critical record for a queue over its limit.
const int kQueueOverLimitCode = 2001;

// The operator is told about every queue over its limit through the
// critical log; its writer copies each record into the trace log too.
void ReportQueuesOverLimit(const ServiceSettings& settings) {
    CritLogSetAgent(PString(settings.name.empty() ? "redudi-status-service" : settings.name));
    CritLogSetModule(PString("StatusPages"));
    CritLogSetClass(PString("StatusService"));
    for (const QueueSetting& queue : QueuesOverLimit(settings)) {
        CritLogClassTrace(kQueueOverLimitCode, "Limits", static_cast<unsigned char>(0),
                          "queue %s holds %u jobs, over its limit of %u", queue.name.c_str(),
                          queue.length, settings.queueLimit);
    }
}

int Fail(const std::string& step, const std::string& error) {
    ClassTrace(step.c_str(), static_cast<unsigned char>(0), "%s", error.c_str());
    std::fprintf(stderr, "redudi-status-service: %s\n", error.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    switch (ParseOptions(argc, argv, options, error)) {
    case Parse::kHelp:
        std::fputs(kUsage, stdout);
        return 0;
    case Parse::kError:
        std::fprintf(stderr, "redudi-status-service: %s\n%s", error.c_str(), kUsage);
        return 2;
    case Parse::kRun:
        break;
    }

    SetClass(PString("StatusService"));
    ClassTrace("Start", static_cast<unsigned char>(3), "status service starts, properties below %s",
               options.root.c_str());

    APropertyManager properties(PString(options.root.c_str()));
    ServiceSettings settings;
    if (!ReadServiceSettings(properties, settings, error))
        return Fail("Config", error);
    ClassTrace("Config", static_cast<unsigned char>(3),
               "\"%s\" at %s: %u queues, limit %u jobs", settings.title.c_str(),
               settings.site.c_str(), static_cast<unsigned int>(settings.queues.size()),
               settings.queueLimit);

    std::unique_ptr<PropertyBag> values(PropertyBag::GetNewPropertyBag());
    if (!values)
        return Fail("Pages", "out of memory");
    FillPageValues(settings, MeasureMachine(), UtcNow(), *values);
    QueueLoop loop(settings, *values);
    std::string indexPath;
    if (!GeneratePages(options.templates, options.pages, "index.html", *values, loop, indexPath,
                       error))
        return Fail("Pages", error);
    ClassTrace("Pages", static_cast<unsigned char>(3), "status pages written, index %s",
               indexPath.c_str());

    ReportQueuesOverLimit(settings);
    ClassTrace("Stop", static_cast<unsigned char>(3), "status service done");
    std::printf("index page: %s\n", indexPath.c_str());
    return 0;
}
