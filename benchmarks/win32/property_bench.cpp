// The property manager against the plain registry calls it cannot avoid,
// measured in one run: reading and writing a text and a number property.
// Target: each ratio within 1.3.
#include <REDudi/property_manager.h>

#include <windows.h>

#include <cstdio>
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

void PlainWrite(const char* name, const std::string& text) {
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kKey, &key) != 0)
        return;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                   static_cast<DWORD>(text.size()));
    RegCloseKey(key);
}

void Report(const char* what, double library, double plain) {
    std::printf("%-14s property manager %8.0f ns  plain calls %8.0f ns  ratio %.2f\n", what,
                library, plain, library / plain);
}

} // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 5000;
    APropertyManager manager((PString(kRoot)));
    manager.SetProperty(PString("/Text"), PString("some setting text"));
    manager.SetProperty(PString("/Number"), 8080);

    std::printf("registry properties, %d calls each (target: ratio within 1.30)\n", rounds);
    PString text;
    Report("read text", NanosecondsPerCall(rounds,
                                           [&](int) {
                                               manager.GetProperty(PString("/Text"), text);
                                           }),
           NanosecondsPerCall(rounds, [](int) { PlainRead("Text"); }));
    int number = 0;
    Report("read number",
           NanosecondsPerCall(rounds,
                              [&](int) { manager.GetProperty(PString("/Number"), number); }),
           NanosecondsPerCall(rounds, [](int) { PlainRead("Number"); }));
    // Writes alternate between two values, so that every one is a real write.
    const PString texts[2] = {PString("some setting text A"), PString("some setting text B")};
    Report("write text",
           NanosecondsPerCall(rounds,
                              [&](int i) { manager.SetProperty(PString("/Text"), texts[i & 1]); }),
           NanosecondsPerCall(rounds, [&](int i) { PlainWrite("Text", texts[i & 1]); }));
    Report("write number",
           NanosecondsPerCall(rounds,
                              [&](int i) { manager.SetProperty(PString("/Number"), 8080 + (i & 1)); }),
           NanosecondsPerCall(rounds, [](int i) { PlainWrite("Number", std::to_string(8080 + (i & 1))); }));
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\REDudiBench");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\REDudiBench");
    return 0;
}
