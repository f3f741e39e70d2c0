// The property manager against the plain registry calls it cannot avoid,
// measured in one run: reading and writing a text and a number property.
// The plain calls are those no implementation can leave out: open, query
// (also before a write, which leaves a value equal but for case alone), set,
// close.
// Target: each ratio within 1.3. Then an INI file of 10,000 keys is
// imported, and the keys per second are printed.
#include <REDudi/config.h>
#include <REDudi/files.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

using namespace REDudi;

namespace {

const char kKey[] = "Software\\REDudiBench\\Props";
const char kRoot[] = "Software/REDudiBench/Props";

double NanosecondsPerCall(int rounds, const std::function<void(int)>& call) {
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < rounds / 10; ++i)
        call(i);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < rounds; ++i)
        call(i);
    QueryPerformanceCounter(&end);
    return 1e9 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart) / rounds;
}

void PlainRead(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE, &key) != 0)
        return;
    char data[256];
    DWORD size = sizeof data;
    RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
}

// A write that keeps an unchanged value as it is must read the value first:
// the plain form of that is one query on the key it then writes.
void PlainWrite(const char* name, const std::string& text) {
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kKey, &key) != 0)
        return;
    char data[256];
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) == 0 &&
        size == text.size() && _strnicmp(data, text.c_str(), size) == 0) {
        RegCloseKey(key);
        return;
    }
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                   static_cast<DWORD>(text.size()));
    RegCloseKey(key);
}

// The two sides run in alternating batches and each keeps its best batch,
// so that load from elsewhere on the machine hits both alike.
void Compare(const char* what, int rounds, const std::function<void(int)>& library,
             const std::function<void(int)>& plain) {
    const int kBatches = 7;
    double best[2] = {1e300, 1e300};
    for (int batch = 0; batch < kBatches; ++batch) {
        best[0] = std::min(best[0], NanosecondsPerCall(rounds / kBatches, library));
        best[1] = std::min(best[1], NanosecondsPerCall(rounds / kBatches, plain));
    }
    std::printf("%-13s property manager %8.0f ns  plain calls %8.0f ns  ratio %.2f\n", what,
                best[0], best[1], best[0] / best[1]);
}

// Imports 100 sections of 100 keys each below a fresh branch.
void ImportTenThousandKeys() {
    AFileSpec file;
    file.SetToTemporaryDirectory();
    file += PString("redudi_property_bench.ini");
    std::string text;
    for (int section = 0; section < 100; ++section) {
        text += "[Section" + std::to_string(section) + "]\n";
        for (int key = 0; key < 100; ++key)
            text += "Key" + std::to_string(key) + "=value " + std::to_string(key) + "\n";
    }
    FILE* out = std::fopen(file.GetFullPath().c_str(), "wb");
    if (out == nullptr)
        return;
    std::fputs(text.c_str(), out);
    std::fclose(out);

    APropertyManager manager((PString("Software/REDudiBench/Import")));
    APropertyManagerIniImport importer(manager);
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    bool imported = importer.Import(file);
    QueryPerformanceCounter(&end);
    double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    std::printf("INI import    10000 keys in %.2f s: %.0f keys per second%s\n", seconds,
                10000 / seconds, imported ? "" : " (import failed)");
    DeleteFileA(file.GetFullPath().c_str());
}

} // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 5000;
    APropertyManager manager((PString(kRoot)));
    manager.SetProperty(PString("/Text"), PString("some setting text"));
    manager.SetProperty(PString("/Number"), 8080);

    std::printf("registry properties, %d calls each (target: ratio within 1.30)\n", rounds);
    PString text;
    int number = 0;
    Compare(
        "read text", rounds, [&](int) { manager.GetProperty(PString("/Text"), text); },
        [](int) { PlainRead("Text"); });
    Compare(
        "read number", rounds, [&](int) { manager.GetProperty(PString("/Number"), number); },
        [](int) { PlainRead("Number"); });
    // Writes alternate between two values, so that every one is a real write.
    const PString texts[2] = {PString("some setting text A"), PString("some setting text B")};
    Compare(
        "write text", rounds, [&](int i) { manager.SetProperty(PString("/Text"), texts[i & 1]); },
        [&](int i) { PlainWrite("Text", texts[i & 1]); });
    Compare(
        "write number", rounds,
        [&](int i) { manager.SetProperty(PString("/Number"), 8080 + (i & 1)); },
        [](int i) { PlainWrite("Number", std::to_string(8080 + (i & 1))); });
    ImportTenThousandKeys();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\REDudiBench");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\REDudiBench");
    return 0;
}
