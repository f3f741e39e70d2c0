#include "system/cpu_frequency.h"
#include "system/os_version_rules.h"
#include "system/version_keys.h"
#include "tools/sysinfo/report.h"

#include <gtest/gtest.h>

#include <vector>

namespace REDudi {
namespace {

// Versions map to systems; only the service-pack form of NT counts.
TEST(OSVersionRules, SystemsAndServicePacks) {
    const unsigned long k9x = kPlatformWindows9x, nt = kPlatformWindowsNT;
    struct Row {
        unsigned long platform, major, minor;
        SystemInfo::e_OSType expected;
    } rows[] = {{k9x, 4, 0, SystemInfo::OS_WIN95},  {k9x, 4, 1, SystemInfo::OS_WIN98},
                {k9x, 4, 10, SystemInfo::OS_WIN98}, {k9x, 4, 11, SystemInfo::OS_WINME},
                {nt, 3, 51, SystemInfo::OS_WINNT4}, {nt, 4, 1, SystemInfo::OS_WINNT4},
                {nt, 5, 0, SystemInfo::OS_WIN2000}, {nt, 5, 1, SystemInfo::OS_WINXP},
                {nt, 6, 1, SystemInfo::OS_WINXP},   {nt, 6, 0, SystemInfo::OS_UNKNOWN},
                {0, 5, 1, SystemInfo::OS_UNKNOWN},  {3, 5, 0, SystemInfo::OS_UNKNOWN}};
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, OSTypeOf(row.platform, row.major, row.minor))
            << "platform " << row.platform << " version " << row.major << "." << row.minor;
    struct PackRow {
        unsigned long platform;
        const char* text;
        unsigned int pack; // 99: not parsed
    } packRows[] = {
        {nt, "Service Pack 2", 2},  {nt, "Service Pack 10, v.1057", 10}, {nt, "", 99},
        {nt, "Service Pack", 99},   {nt, "service pack 3", 99},          {nt, nullptr, 99},
        {k9x, "Service Pack 2", 99}};
    for (const PackRow& row : packRows) {
        unsigned int pack = 99;
        EXPECT_EQ(row.pack != 99, ServicePackOf(row.platform, row.text, pack))
            << row.platform << " " << (row.text ? row.text : "null");
        EXPECT_EQ(row.pack, pack) << row.platform << " " << (row.text ? row.text : "null");
    }
}

TEST(Megabytes, WholeMebibytesWithoutOverflow) {
    EXPECT_EQ(0u, MegabytesOf((1u << 20) - 1));
    EXPECT_EQ(1u, MegabytesOf(1u << 20));
    EXPECT_EQ(65536u, MegabytesOf(64ull << 30));
    struct Row {
        unsigned long sectorsPerCluster, bytesPerSector, clusters, megabytes;
    } rows[] = {{8, 512, 256, 1}, {8, 512, 255, 0}, {8, 4096, 16777216, 524288}, {0, 512, 9, 0}};
    for (const Row& row : rows)
        EXPECT_EQ(row.megabytes,
                  DriveMegabytes(row.sectorsPerCluster, row.bytesPerSector, row.clusters))
            << row.sectorsPerCluster << "x" << row.bytesPerSector << "x" << row.clusters;
}

TEST(TranslatedFileVersionKey, FourLowercaseDigitsEach) {
    struct Row {
        unsigned int language, codePage;
        const char* block;
    } rows[] = {{0x0409, 1252, "040904e4"},
                {0x0411, 932, "041103a4"},
                {0x10c0a, 0x1fde9, "0c0afde9"},
                {0, 0, "00000000"}};
    for (const Row& row : rows)
        EXPECT_EQ("\\StringFileInfo\\" + std::string(row.block) + "\\FileVersion",
                  TranslatedFileVersionKey(row.language, row.codePage));
}

TEST(CpuFrequency, ArithmeticAndTries) {
    // Rounded quotients: a remainder of exactly half stays down.
    struct Row {
        unsigned long long a, b, expected;
    } quotients[] = {{10, 4, 2}, {11, 4, 3}, {9, 4, 2}, {5, 0, 0}, {0, 7, 0}, {7, 2, 3}, {8, 3, 3}},
      micros[] = {{1000, 10000000, 100}, {1000, 3579545, 279}, {5, 9, 0}, {5, 10, 500000}},
      families[] = {{2, 0, 0},      {3, 0, 460000},  {4, 0, 188000}, {5, 0, 172000},
                    {6, 0, 152000}, {11, 0, 152000}, {12, 0, 0}};
    for (const Row& q : quotients)
        EXPECT_EQ(q.expected, RoundedQuotient(q.a, q.b)) << q.a << "/" << q.b;
    for (const Row& m : micros)
        EXPECT_EQ(m.expected, MicrosecondsOf(m.a, m.b)) << m.a << " ticks at " << m.b;
    for (const Row& f : families)
        EXPECT_EQ(f.expected, LoopCyclesOfFamily(static_cast<unsigned int>(f.a))) << f.a;

    // Tries settle within one megahertz.
    struct TriesRow {
        const char* what;
        std::vector<unsigned long long> mhz; // one try each, over 100 microseconds
        int expectedTries;
    } rows[] = {
        {"three equal tries are enough", {2400, 2400, 2400, 2400}, 3},
        {"a spread of one either side is settled", {2399, 2400, 2401, 2400}, 3},
        {"a late outlier asks for more", {2400, 2400, 2402, 2400, 2400, 2400, 2400}, 6},
        {"never settling stops at twenty",
         {1, 100, 1, 100, 1, 100, 1, 100, 1, 100, 1, 100, 1, 100, 1, 100, 1, 100, 1, 100, 1, 100},
         20},
    };
    for (const TriesRow& row : rows) {
        FrequencyTries tries;
        int made = 0;
        for (unsigned long long mhz : row.mhz) {
            tries.Add(mhz * 100, 100);
            if (++made, !tries.WantsAnother())
                break;
        }
        EXPECT_EQ(row.expectedTries, made) << row.what;
    }
    FrequencyTries totals;
    EXPECT_EQ(0u, totals.RawMhz());
    totals.Add(1000, 3);
    totals.Add(1000, 3);
    EXPECT_EQ(333u, totals.RawMhz()) << "total cycles over total time, truncated";
}

TEST(SysinfoReport, TextAlignsAndJsonQuotes) {
    sysinfo::Report report;
    report.AddText("OS", "os", "say \"hi\"\\\n\r\t\x01\x1f \x7f\xc3\xa9");
    report.AddNumber("Memory (MB)", "memoryMB", 18446744073709551615ull);
    report.AddFlag("CD-ROM", "cdrom", true);
    report.AddFlag("Ready", "ready", false);
    report.AddText("Model", "model", "true");
    EXPECT_EQ("OS           say \"hi\"\\\n\r\t\x01\x1f \x7f\xc3\xa9\n"
              "Memory (MB)  18446744073709551615\nCD-ROM       yes\nReady        no\n"
              "Model        true\n",
              report.AsText());
    EXPECT_EQ("{\"os\": \"say \\\"hi\\\"\\\\\\n\\r\\t\\u0001\\u001f \x7f\xc3\xa9\", "
              "\"memoryMB\": 18446744073709551615, \"cdrom\": true, \"ready\": false, "
              "\"model\": \"true\"}\n",
              report.AsJson());
    EXPECT_EQ(std::string("\"\\u0000\""), sysinfo::JsonQuoted(std::string(1, '\0')));
}

} // namespace
} // namespace REDudi
