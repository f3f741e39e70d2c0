// Reading an INI file of about 10 MB and looking up every key, against
// inih, SimpleIni and iniparser, all from the same file in the page cache.
// Target: at least as fast as the fastest of them.
#include "ini_generator.h"
#include "throughput_table.h"

#include <REDudi/config.h>

// The Debian build of SimpleIni is compiled with ICU.
#define SI_CONVERT_ICU
#include <SimpleIni.h>
#include <benchmark/benchmark.h>
#include <ini.h>
extern "C" {
#include <iniparser/iniparser.h>
}

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <unordered_map>

namespace {

const size_t kFileBytes = 10 * 1024 * 1024;

struct Fixture {
    bench::GeneratedIni ini = bench::GenerateIni(kFileBytes);
    std::string path;
    Fixture() {
        path = "/tmp/redudi_ini_bench_" + std::to_string(getpid()) + ".ini";
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(ini.text.data(), 1, ini.text.size(), f);
        std::fclose(f);
    }
    ~Fixture() { std::remove(path.c_str()); }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void Finish(benchmark::State& state, size_t found) {
    if (found != Data().ini.keys.size())
        state.SkipWithError("not every key was found");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Data().ini.text.size()));
}

void ReadAll_REDudi(benchmark::State& state) {
    size_t found = 0;
    char buffer[256];
    for (auto _ : state) {
        REDudi::IniFile ini;
        FILE* f = std::fopen(Data().path.c_str(), "r");
        ini.ParseINIFile(f);
        std::fclose(f);
        found = 0;
        for (const auto& [section, key] : Data().ini.keys)
            found += *ini.GetString(section.c_str(), key.c_str(), "", buffer, sizeof buffer) != 0;
        benchmark::DoNotOptimize(buffer);
    }
    Finish(state, found);
}

// inih only parses; the caller keeps the values. A hash map keyed by the
// lower-cased "section=key" (the lookup INIReader offers) is the fastest
// fair store.
std::string LowerKey(const char* section, const char* key) {
    std::string k = std::string(section) + "=" + key;
    std::transform(k.begin(), k.end(), k.begin(), [](unsigned char c) { return std::tolower(c); });
    return k;
}

void ReadAll_inih(benchmark::State& state) {
    size_t found = 0;
    for (auto _ : state) {
        std::unordered_map<std::string, std::string> values;
        FILE* f = std::fopen(Data().path.c_str(), "r");
        ini_parse_file(
            f,
            [](void* user, const char* section, const char* name, const char* value) {
                static_cast<std::unordered_map<std::string, std::string>*>(user)->emplace(
                    LowerKey(section, name), value);
                return 1;
            },
            &values);
        std::fclose(f);
        found = 0;
        for (const auto& [section, key] : Data().ini.keys)
            found += values.count(LowerKey(section.c_str(), key.c_str()));
    }
    Finish(state, found);
}

void ReadAll_SimpleIni(benchmark::State& state) {
    size_t found = 0;
    for (auto _ : state) {
        CSimpleIniA ini(false, true);
        FILE* f = std::fopen(Data().path.c_str(), "rb");
        ini.LoadFile(f);
        std::fclose(f);
        found = 0;
        for (const auto& [section, key] : Data().ini.keys)
            found += ini.GetValue(section.c_str(), key.c_str(), nullptr) != nullptr;
    }
    Finish(state, found);
}

void ReadAll_iniparser(benchmark::State& state) {
    size_t found = 0;
    std::string name;
    for (auto _ : state) {
        dictionary* d = iniparser_load(Data().path.c_str());
        found = 0;
        for (const auto& [section, key] : Data().ini.keys) {
            name = section + ":" + key;
            found += iniparser_getstring(d, name.c_str(), nullptr) != nullptr;
        }
        iniparser_freedict(d);
    }
    Finish(state, found);
}

} // namespace

BENCHMARK(ReadAll_REDudi)->Name("ini 10 MB read, every key/REDudi")->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAll_inih)->Name("ini 10 MB read, every key/inih")->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAll_SimpleIni)->Name("ini 10 MB read, every key/SimpleIni")->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAll_iniparser)->Name("ini 10 MB read, every key/iniparser")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::ThroughputTable table;
    benchmark::RunSpecifiedBenchmarks(&table);
    table.PrintRatios();
    std::printf("target: REDudi at least as fast as the fastest peer (every ratio >= 1.00)\n");
    benchmark::Shutdown();
    return 0;
}
