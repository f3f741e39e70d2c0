// Locale names: the table, both lookups through it, and the exported functions.
#include "foundation/locale/locale_table.h"

#include <REDudi/strings.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

using namespace REDudi;
using namespace REDudi::locale;

namespace {

// Each row: the language entry, then the regional ones, each a name and its LCID.
const char kExpectedTable[] =
    "af 0036 af_ZA 0436; ar 0001 ar_AE 3801 ar_BH 3C01 ar_DZ 1401 ar_EG 0C01 ar_IQ 0801 "
    "ar_JO 2C01 ar_KW 3401 ar_LB 3001 ar_LY 1001 ar_MA 1801 ar_OM 2001 ar_QA 4001 ar_SA 0401 "
    "ar_SY 2801 ar_TN 1C01 ar_YE 2401; as 004D as_IN 044D; az 002C az_AZ_C 082C az_AZ_L 042C; "
    "be 0023 be_BY 0423; bg 0002 bg_BG 0402; bn 0045 bn_IN 0445; ca 0003 ca_ES 0403; cs 0005 "
    "cs_CZ 0405; da 0006 da_DK 0406; de 0007 de_AT 0C07 de_CH 0807 de_DE 0407 de_LI 1407 "
    "de_LU 1007; el 0008 el_GR 0408; en 0009 en_AU 0C09 en_BZ 2809 en_CA 1009 en_GB 0809 "
    "en_IE 1809 en_JM 2009 en_NZ 1409 en_PH 3409 en_TT 2C09 en_US 0409 en_VI 2409 en_ZA 1C09 "
    "en_ZW 3009; es 000A es_AR 2C0A es_BO 400A es_CL 340A es_CO 240A es_CR 140A es_DO 1C0A "
    "es_EC 300A es_ES 0C0A es_ES_T 040A es_GT 100A es_HN 480A es_MX 080A es_NI 4C0A "
    "es_PA 180A es_PE 280A es_PR 500A es_PY 3C0A es_SV 440A es_UY 380A es_VE 200A; et 0025 "
    "et_EE 0425; eu 002D eu_ES 042D; fa 0029 fa_IR 0429; fi 000B fi_FI 040B; fo 0038 "
    "fo_FO 0438; fr 000C fr_BE 080C fr_CA 0C0C fr_CH 100C fr_FR 040C fr_LU 140C fr_MC 180C; "
    "gu 0047 gu_IN 0447; he 000D he_IL 040D; hi 0039 hi_IN 0439; hr 001A hr_HR 041A; hu 000E "
    "hu_HU 040E; hy 002B hy_AM 042B; id 0021 id_ID 0421; is 000F is_IS 040F; it 0010 "
    "it_CH 0810 it_IT 0410; iw 000D iw_IL 040D; ja 0011 ja_JP 0411; ka 0037 ka_GE 0437; "
    "kk 003F kk_KZ 043F; kn 004B kn_IN 044B; ko 0012 ko_KP 0812 ko_KR 0412; kok 0057 "
    "kok_IN 0457; ks 0060 ks_IN 0460; lt 0027 lt_LT 0427; lv 0026 lv_LV 0426; mk 002F "
    "mk_MK 042F; ml 004C ml_IN 044C; mni 0058 mni_IN 0458; mr 004E mr_IN 044E; ms 003E "
    "ms_BN 083E ms_MY 043E; mt 003A mt_MT 043A; nb 0014 nb_NO 0414; ne 0061 ne_IN 0861 "
    "ne_NP 0461; nl 0013 nl_BE 0813 nl_NL 0413; nn 0014 nn_NO 0814; no 0014 no_NO 0414 "
    "nn_NO_NY 0814; or 0048 or_IN 0448; pa 0046 pa_IN 0446; pl 0015 pl_PL 0415; pt 0016 "
    "pt_BR 0416 pt_PT 0816; ro 0018 ro_RO 0418; root 0000; ru 0019 ru_RU 0419; sa 004F "
    "sa_IN 044F; sd 0059 sd_IN 0459; sh 001A sh_YU 081A; sk 001B sk_SK 041B; sl 0024 "
    "sl_SI 0424; sq 001C sq_AL 041C; sr 001A sr_YU 0C1A; sv 001D sv_FI 081D sv_SE 041D; "
    "sw 0041 sw_KE 0441; ta 0049 ta_IN 0449; te 004A te_IN 044A; th 001E th_TH 041E; tr 001F "
    "tr_TR 041F; tt 0044 tt_RU 0444; uk 0022 uk_UA 0422; ur 0020 ur_IN 0820 ur_PK 0420; "
    "uz 0043 uz_UZ_C 0843 uz_UZ_L 0443; vi 002A vi_VN 042A; zh 0004 zh_CN 0804 zh_HK 0C04 "
    "zh_MO 1404 zh_SG 1004 zh_TW 0404;";

const LocaleTable kTable = {LocaleRows(), kLocaleRowCount, kUnknownLocaleName};

uint32_t Lcid(const std::string& name) {
    return NameToLcid(kTable, name.data(), name.size());
}

} // namespace

// Every entry in its place and found both ways, unless an earlier row of the same
// primary language answers first.
TEST(LocaleTableTest, HoldsEveryEntryAndFindsItBothWays) {
    const std::pair<std::string, const char*> shadowed[] = {
        {"iw", "he"},       {"iw_IL", "he_IL"}, {"nn", "nb"},          {"nn_NO", "??_??"},
        {"no", "nb"},       {"no_NO", "nb_NO"}, {"nn_NO_NY", "??_??"}, {"sh", "hr"},
        {"sh_YU", "??_??"}, {"sr", "hr"},       {"sr_YU", "??_??"},
    };
    std::string table;
    for (size_t r = 0; r < kLocaleRowCount; ++r) {
        for (size_t e = 0; e < LocaleRows()[r].count; ++e) {
            const LocaleEntry& entry = LocaleRows()[r].entries[e];
            char hex[8];
            std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(entry.lcid));
            table += std::string(table.empty() ? "" : e == 0 ? "; " : " ") + entry.name + " " + hex;
            std::string found = entry.name;
            for (const auto& s : shadowed)
                found = entry.name == s.first ? s.second : found;
            EXPECT_EQ(LcidToName(kTable, entry.lcid), found) << entry.name;
            EXPECT_EQ(Lcid(entry.name), entry.lcid) << entry.name;
        }
    }
    EXPECT_EQ(std::string(kExpectedTable), table + ";");
    // Not in the table (the second is de_DE with a sort identifier).
    for (uint32_t lcid : {0x3C0Cu, 0x10407u, 0x0062u, 0x0400u})
        EXPECT_STREQ(LcidToName(kTable, lcid), "??_??") << std::hex << lcid;
}

TEST(LocaleTableTest, NamesAreReadInTheirMostUsualSpellings) {
    const std::string at = "@";
    struct Case {
        std::string name;
        uint32_t lcid;
    } cases[] = {
        // "de_D" is shorter than a country form.
        {"", 0}, {"e", 0}, {"de", 0x0007}, {"DE", 0x0007}, {"de_D", 0x0007}, {"de_DE", 0x0407},
        {"root", 0}, {"zz_ZZ", 0}, {"en-us", 0x0409}, {"EN-us", 0x0409}, {"en_US.UTF-8", 0x0409},
        {"en_US" + at + "euro", 0x0409}, {"en_us" + at, 0x0409}, {"es_es_t", 0x040A},
        {"es_ES-T.ISO", 0x040A}, {"es_ES.x" + at + "t", 0x040A}, {"de_DE_", 0x0407},
        {"de_DE_NOVARIANT", 0x0407}, {"de_DE_" + std::string(60, 'V'), 0x0407},
        {"de.utf8_AT", 0x0C07}, {"en_XX", 0}, {"en_USA", 0}, {"en_USAX", 0}, {"en", 0x0009},
        {"en_", 0x0009}, {"en.UTF-8", 0}, {"no_NO", 0x0414}, {"no_NO_NY", 0x0414},
        {"nn_NO_NY", 0x0814}, {"kok_IN", 0x0457}, {"x-de_DE", 0}, {"i_klingon", 0},
        {std::string(49, 'a') + "_AA", 0}, {std::string(50, 'a'), 0},
        // Case and separator never change the result.
        {"DE_de", 0x0407}, {"eS-eS-T", 0x040A}, {"KOK-in", 0x0457},
    };
    // A name that maps to no LCID is never valid; mapped ones the system knows are.
    for (const Case& c : cases) {
        EXPECT_EQ(Lcid(c.name), c.lcid) << "'" << c.name << "'";
        EXPECT_TRUE(c.lcid != 0 || !IsLocaleValid(c.name.c_str())) << "'" << c.name << "'";
    }
    for (const char* name : {"en_US", "EN-us", "en_US.UTF-8", "en_US@euro", "de", "de_DE"})
        EXPECT_TRUE(IsLocaleValid(name)) << name;
}

// "-" names a user locale that is missing from the table.
TEST(LocaleNamesTest, DefaultLocalesAreNamedFromTheEnvironment) {
    const char* expected = std::getenv("REDUDI_EXPECTED_LOCALE");
    if (expected == nullptr)
        GTEST_SKIP() << "run with a locale environment and REDUDI_EXPECTED_LOCALE";
    const bool named = std::strcmp(expected, "-") != 0;
    PString user = "stale", system = "stale";
    EXPECT_EQ(GetUserDefaultLocale(user), named);
    EXPECT_EQ(GetSystemDefaultLocale(system), named);
    EXPECT_EQ(user + " " + system, named ? std::string(expected) + " " + expected : " ");
    EXPECT_TRUE(!named || IsLocaleValid(user));
}
