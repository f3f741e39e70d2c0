// redudi-sysinfo: prints what the library knows about the machine, or the
// file version of one file.
#include <REDudi/system.h>

#include "report.h"
#include "sysinfo_options.h"
#include "system/win32/cpu.h"

#include <cstdio>

using namespace REDudi;
using namespace REDudi::sysinfo;

namespace {

const char kProgram[] = "redudi-sysinfo";

const char* OSName(SystemInfo::e_OSType type) {
    switch (type) {
    case SystemInfo::OS_WIN95:
        return "Windows 95";
    case SystemInfo::OS_WIN98:
        return "Windows 98";
    case SystemInfo::OS_WINME:
        return "Windows ME";
    case SystemInfo::OS_WINNT4:
        return "Windows NT 4";
    case SystemInfo::OS_WIN2000:
        return "Windows 2000";
    case SystemInfo::OS_WINXP:
        return "Windows XP or later";
    default:
        return "unknown";
    }
}

// JSON is UTF-8; the library's narrow text is in the ANSI code page.
std::string ForOutput(const PString& text, bool json) {
    UString wide;
    Utf8StdString utf8;
    if (!json || !ConvertANSIToUnicode(text, wide) || !ConvertUnicodeToUTF8(wide, utf8))
        return text;
    return std::string(utf8.begin(), utf8.end());
}

void Print(const Report& report, bool json) {
    std::fputs(json ? report.AsJson().c_str() : report.AsText().c_str(), stdout);
}

int ReportMachine(const SysinfoOptions& options) {
    ASystemInfo info;
    if (!info.IsValid()) {
        std::fprintf(stderr, "%s: no system information available\n", kProgram);
        return 1;
    }
    unsigned int major = 0, minor = 0, servicePack = 0;
    info.GetOSVersion(major, minor, servicePack);
    SystemInfo::e_OSType type = info.GetOS();

    // Where the speed comes from: the registry's value wins; otherwise the
    // library has just timed the processor.
    unsigned int speed = info.GetProcessorSpeedInMhz(0);
    DWORD registered = 0;
    const char* source = CPU().ReadRegisteredSpeed(registered)
                             ? "registry"
                             : (speed == CPU::kNoSpeed ? "unavailable" : "measured");

    Report report;
    report.AddText("OS", "os", OSName(type));
    report.AddNumber("OS type", "osType", type);
    report.AddText("OS version", "osVersion", std::to_string(major) + "." + std::to_string(minor));
    report.AddNumber("Service pack", "servicePack", servicePack);
    report.AddNumber("Memory (MB)", "memoryMB", info.GetRAMInMBs());
    report.AddNumber("Largest drive (MB)", "largestDriveMB", info.GetMaxDriveSpaceInMBs());
    report.AddNumber("Processors", "processors", info.GetProcessorCount());
    report.AddText("Model", "model", ForOutput(info.GetProcessorModel(0), options.json));
    if (speed == CPU::kNoSpeed)
        report.AddText("Speed (MHz)", "speedMHz", "unknown");
    else
        report.AddNumber("Speed (MHz)", "speedMHz", speed);
    report.AddText("Speed from", "speedSource", source);
    if (options.measure)
        report.AddNumber("Measured speed (MHz)", "measuredMHz", MeasureProcessorMhz());
    report.AddFlag("CD-ROM", "cdrom", info.IsCDROMPresent());
    report.AddText("Platform", "platform", info.GetPlatformSpecifier());
    Print(report, options.json);
    return 0;
}

int ReportFileVersion(const SysinfoOptions& options) {
    PString path(options.file.c_str());
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "%s: cannot find '%s'\n", kProgram, path.c_str());
        return 1;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        std::fprintf(stderr, "%s: '%s' is a directory\n", kProgram, path.c_str());
        return 1;
    }
    // The wide lookup also knows the block of the user's own language.
    AModuleInfo info;
    UString widePath, wideVersion;
    PString version;
    if (!ConvertANSIToUnicode(path, widePath) ||
        !info.GetModuleFileVersion(widePath, wideVersion) ||
        !ConvertUnicodeToANSI(wideVersion, version)) {
        std::fprintf(stderr, "%s: '%s' has no file version\n", kProgram, path.c_str());
        return 1;
    }
    size_t slash = path.find_last_of("\\/:");
    PString module(slash == std::string::npos ? path : PString(path.substr(slash + 1)));
    Report report;
    report.AddText("Module", "module", ForOutput(module, options.json));
    report.AddText("File version", "fileVersion", ForOutput(version, options.json));
    Print(report, options.json);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    SysinfoOptions options;
    std::string error;
    switch (ParseSysinfoOptions(argc - 1, argv + 1, options, error)) {
    case ParseResult::kHelp:
        std::fputs(kSysinfoUsage, stdout);
        return 0;
    case ParseResult::kError:
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kProgram, error.c_str(), kProgram);
        return 2;
    case ParseResult::kRun:
        break;
    }
    return options.fileVersion ? ReportFileVersion(options) : ReportMachine(options);
}
