#include "system/cpu_frequency.h"
#include "system/os_version_rules.h"
#include "system/version_keys.h"

#include <gtest/gtest.h>

#include <vector>

namespace REDudi {
namespace {

TEST(OSTypeOf, VersionsMapToSystems) {
    struct Row {
        unsigned long platform, major, minor;
        SystemInfo::e_OSType expected;
    } rows[] = {
        {kPlatformWindows9x, 4, 0, SystemInfo::OS_WIN95},
        {kPlatformWindows9x, 4, 1, SystemInfo::OS_WIN98},
        {kPlatformWindows9x, 4, 10, SystemInfo::OS_WIN98},
        {kPlatformWindows9x, 4, 11, SystemInfo::OS_WINME},
        {kPlatformWindows9x, 4, 90, SystemInfo::OS_WINME},
        {kPlatformWindowsNT, 3, 51, SystemInfo::OS_WINNT4},
        {kPlatformWindowsNT, 4, 0, SystemInfo::OS_WINNT4},
        {kPlatformWindowsNT, 4, 1, SystemInfo::OS_WINNT4},
        {kPlatformWindowsNT, 5, 0, SystemInfo::OS_WIN2000},
        {kPlatformWindowsNT, 5, 1, SystemInfo::OS_WINXP},
        {kPlatformWindowsNT, 5, 2, SystemInfo::OS_WINXP},
        {kPlatformWindowsNT, 6, 0, SystemInfo::OS_UNKNOWN},
        {kPlatformWindowsNT, 6, 1, SystemInfo::OS_WINXP},
        {kPlatformWindowsNT, 10, 0, SystemInfo::OS_UNKNOWN},
        {0, 5, 1, SystemInfo::OS_UNKNOWN},
        {3, 5, 0, SystemInfo::OS_UNKNOWN},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, OSTypeOf(row.platform, row.major, row.minor))
            << "platform " << row.platform << " version " << row.major << "." << row.minor;
}

TEST(ServicePackOf, OnlyTheServicePackFormOfNTCounts) {
    const unsigned long nt = kPlatformWindowsNT;
    struct Row {
        unsigned long platform;
        const char* text;
        bool parsed;
        unsigned int pack;
    } rows[] = {
        {nt, "Service Pack 2", true, 2},
        {nt, "Service Pack 10", true, 10},
        {nt, "Service Pack 1, v.1057", true, 1},
        {nt, "", false, 99},
        {nt, "Service Pack", false, 99},
        {nt, "service pack 3", false, 99},
        {nt, "SP3", false, 99},
        {nt, nullptr, false, 99},
        {kPlatformWindows9x, "Service Pack 2", false, 99},
        {0, "Service Pack 2", false, 99},
    };
    for (const Row& row : rows) {
        unsigned int pack = 99;
        const char* shown = row.text ? row.text : "null";
        EXPECT_EQ(row.parsed, ServicePackOf(row.platform, row.text, pack))
            << row.platform << " " << shown;
        EXPECT_EQ(row.pack, pack) << row.platform << " " << shown;
    }
}

TEST(Megabytes, WholeMebibytesWithoutOverflow) {
    EXPECT_EQ(0u, MegabytesOf((1u << 20) - 1));
    EXPECT_EQ(1u, MegabytesOf(1u << 20));
    EXPECT_EQ(256u, MegabytesOf(256ull << 20));
    EXPECT_EQ(65536u, MegabytesOf(64ull << 30));
    struct Row {
        unsigned long sectorsPerCluster, bytesPerSector, clusters, megabytes;
    } rows[] = {
        {8, 512, 256, 1},            // exactly 1 MiB
        {8, 512, 255, 0},            // just under
        {8, 512, 257, 1},            // just over
        {8, 4096, 16777216, 524288}, // 512 GiB: the product needs 64 bits
        {0, 512, 1000, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.megabytes,
                  DriveMegabytes(row.sectorsPerCluster, row.bytesPerSector, row.clusters))
            << row.sectorsPerCluster << "x" << row.bytesPerSector << "x" << row.clusters;
}

TEST(TranslatedFileVersionKey, FourLowercaseDigitsEach) {
    struct Row {
        unsigned int language, codePage;
        const char* key;
    } rows[] = {
        {0x0409, 1252, "\\StringFileInfo\\040904e4\\FileVersion"},
        {0x0407, 1252, "\\StringFileInfo\\040704e4\\FileVersion"},
        {0x0411, 932, "\\StringFileInfo\\041103a4\\FileVersion"},
        {0x0c0a, 0xfde9, "\\StringFileInfo\\0c0afde9\\FileVersion"},
        {0, 0, "\\StringFileInfo\\00000000\\FileVersion"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(PString(row.key), TranslatedFileVersionKey(row.language, row.codePage))
            << row.key;
}

TEST(CpuFrequency, Arithmetic) {
    struct Quotient {
        unsigned long long dividend, divisor, rounded;
    } quotients[] = {
        {10, 4, 2}, // remainder exactly half stays down
        {11, 4, 3}, // remainder above half goes up
        {9, 4, 2},  {2449, 1, 2449}, {5, 0, 0}, {0, 7, 0}, {7, 2, 3}, {8, 3, 3}, {7, 3, 2},
    };
    for (const Quotient& q : quotients)
        EXPECT_EQ(q.rounded, RoundedQuotient(q.dividend, q.divisor))
            << q.dividend << "/" << q.divisor;

    struct Micros {
        unsigned long long ticks, frequency, microseconds;
    } micros[] = {
        {1000, 10000000, 100}, {1000, 3579545, 279}, {1, 1000000, 1}, {5, 9, 0}, {5, 10, 500000},
    };
    for (const Micros& m : micros)
        EXPECT_EQ(m.microseconds, MicrosecondsOf(m.ticks, m.frequency))
            << m.ticks << " ticks at " << m.frequency;

    struct Family {
        unsigned int family;
        unsigned long long cycles;
    } families[] = {{0, 0},      {2, 0},      {3, 460000},  {4, 188000},
                    {5, 172000}, {6, 152000}, {11, 152000}, {12, 0}};
    for (const Family& f : families)
        EXPECT_EQ(f.cycles, LoopCyclesOfFamily(f.family)) << "family " << f.family;
}

TEST(FrequencyTries, SettlesWithinOneMegahertz) {
    struct Row {
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
    for (const Row& row : rows) {
        FrequencyTries tries;
        int made = 0;
        for (unsigned long long mhz : row.mhz) {
            tries.Add(mhz * 100, 100);
            ++made;
            if (!tries.WantsAnother())
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

} // namespace
} // namespace REDudi
