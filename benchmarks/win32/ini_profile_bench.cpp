// Reading every key of a 1 MB INI file: IniFile (open, parse, look up)
// against the system's GetPrivateProfileStringA, which keeps the file
// cached between calls. Prints both times and their ratio.
// Target: IniFile faster than the system reader (ratio above 1).
#include "ini_generator.h"

#include <REDudi/config.h>
#include <REDudi/files.h>

#include <windows.h>

#include <cstdio>
#include <string>

using namespace REDudi;

namespace {

double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        std::fprintf(stderr, "usage: ini_profile_bench\n"
                             "Times reading every key of a generated 1 MB INI file with IniFile\n"
                             "and with GetPrivateProfileStringA, and prints the ratio.\n");
        return std::string(argv[1]) == "--help" ? 0 : 2;
    }
    bench::GeneratedIni generated = bench::GenerateIni(1024 * 1024);
    AFileSpec file;
    if (!file.SetToTemporaryDirectory()) {
        std::fprintf(stderr, "ini_profile_bench: no temporary directory\n");
        return 1;
    }
    file.SetRelativePath(PString("redudi_ini_profile_bench_") +
                         std::to_string(GetCurrentProcessId()) + ".ini");
    std::string path = file.GetFullPath();
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "ini_profile_bench: cannot write %s\n", path.c_str());
        return 1;
    }
    std::fwrite(generated.text.data(), 1, generated.text.size(), out);
    std::fclose(out);

    char buffer[256];
    size_t foundOurs = 0, foundSystem = 0;
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        double start = Seconds();
        IniFile ini;
        ini.Open(file);
        foundOurs = 0;
        for (const auto& [section, key] : generated.keys)
            foundOurs += *ini.GetString(section.c_str(), key.c_str(), "", buffer, sizeof buffer) != 0;
        best = std::min(best, Seconds() - start);
    }
    double start = Seconds();
    for (const auto& [section, key] : generated.keys)
        foundSystem += GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer,
                                                sizeof buffer, path.c_str()) != 0;
    double system = Seconds() - start;
    DeleteFileA(path.c_str());

    double megabytes = static_cast<double>(generated.text.size()) / 1e6;
    std::printf("every key of a %.1f MB INI file (%zu keys)\n", megabytes, generated.keys.size());
    std::printf("%-28s %10.1f ms %10.1f MB/s  found %zu\n", "REDudi IniFile", best * 1e3,
                megabytes / best, foundOurs);
    std::printf("%-28s %10.1f ms %10.1f MB/s  found %zu\n", "GetPrivateProfileStringA",
                system * 1e3, megabytes / system, foundSystem);
    std::printf("REDudi / GetPrivateProfileStringA: %.1fx (target: above 1)\n", system / best);
    return foundOurs == generated.keys.size() && foundSystem == generated.keys.size() ? 0 : 1;
}
