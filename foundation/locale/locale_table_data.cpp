// The locale table: 76 languages, each a language entry (primary language
// identifier and bare name) followed by its regional entries. Rows are in
// strcmp order of their language names and regional entries in strcmp order
// of their names, except in the "no" row, whose two entries are kept in the
// order in which lookups have always found them.
#include "foundation/locale/locale_table.h"

namespace REDudi {
namespace locale {

namespace {

// clang-format off
const LocaleEntry k_af[] = {{0x0036, "af"}, {0x0436, "af_ZA"}};
const LocaleEntry k_ar[] = {{0x0001, "ar"}, {0x3801, "ar_AE"}, {0x3C01, "ar_BH"}, {0x1401, "ar_DZ"}, {0x0C01, "ar_EG"}, {0x0801, "ar_IQ"}, {0x2C01, "ar_JO"}, {0x3401, "ar_KW"}, {0x3001, "ar_LB"}, {0x1001, "ar_LY"}, {0x1801, "ar_MA"}, {0x2001, "ar_OM"}, {0x4001, "ar_QA"}, {0x0401, "ar_SA"}, {0x2801, "ar_SY"}, {0x1C01, "ar_TN"}, {0x2401, "ar_YE"}};
const LocaleEntry k_as[] = {{0x004D, "as"}, {0x044D, "as_IN"}};
const LocaleEntry k_az[] = {{0x002C, "az"}, {0x082C, "az_AZ_C"}, {0x042C, "az_AZ_L"}};
const LocaleEntry k_be[] = {{0x0023, "be"}, {0x0423, "be_BY"}};
const LocaleEntry k_bg[] = {{0x0002, "bg"}, {0x0402, "bg_BG"}};
const LocaleEntry k_bn[] = {{0x0045, "bn"}, {0x0445, "bn_IN"}};
const LocaleEntry k_ca[] = {{0x0003, "ca"}, {0x0403, "ca_ES"}};
const LocaleEntry k_cs[] = {{0x0005, "cs"}, {0x0405, "cs_CZ"}};
const LocaleEntry k_da[] = {{0x0006, "da"}, {0x0406, "da_DK"}};
const LocaleEntry k_de[] = {{0x0007, "de"}, {0x0C07, "de_AT"}, {0x0807, "de_CH"}, {0x0407, "de_DE"}, {0x1407, "de_LI"}, {0x1007, "de_LU"}};
const LocaleEntry k_el[] = {{0x0008, "el"}, {0x0408, "el_GR"}};
const LocaleEntry k_en[] = {{0x0009, "en"}, {0x0C09, "en_AU"}, {0x2809, "en_BZ"}, {0x1009, "en_CA"}, {0x0809, "en_GB"}, {0x1809, "en_IE"}, {0x2009, "en_JM"}, {0x1409, "en_NZ"}, {0x3409, "en_PH"}, {0x2C09, "en_TT"}, {0x0409, "en_US"}, {0x2409, "en_VI"}, {0x1C09, "en_ZA"}, {0x3009, "en_ZW"}};
const LocaleEntry k_es[] = {{0x000A, "es"}, {0x2C0A, "es_AR"}, {0x400A, "es_BO"}, {0x340A, "es_CL"}, {0x240A, "es_CO"}, {0x140A, "es_CR"}, {0x1C0A, "es_DO"}, {0x300A, "es_EC"}, {0x0C0A, "es_ES"}, {0x040A, "es_ES_T"}, {0x100A, "es_GT"}, {0x480A, "es_HN"}, {0x080A, "es_MX"}, {0x4C0A, "es_NI"}, {0x180A, "es_PA"}, {0x280A, "es_PE"}, {0x500A, "es_PR"}, {0x3C0A, "es_PY"}, {0x440A, "es_SV"}, {0x380A, "es_UY"}, {0x200A, "es_VE"}};
const LocaleEntry k_et[] = {{0x0025, "et"}, {0x0425, "et_EE"}};
const LocaleEntry k_eu[] = {{0x002D, "eu"}, {0x042D, "eu_ES"}};
const LocaleEntry k_fa[] = {{0x0029, "fa"}, {0x0429, "fa_IR"}};
const LocaleEntry k_fi[] = {{0x000B, "fi"}, {0x040B, "fi_FI"}};
const LocaleEntry k_fo[] = {{0x0038, "fo"}, {0x0438, "fo_FO"}};
const LocaleEntry k_fr[] = {{0x000C, "fr"}, {0x080C, "fr_BE"}, {0x0C0C, "fr_CA"}, {0x100C, "fr_CH"}, {0x040C, "fr_FR"}, {0x140C, "fr_LU"}, {0x180C, "fr_MC"}};
const LocaleEntry k_gu[] = {{0x0047, "gu"}, {0x0447, "gu_IN"}};
const LocaleEntry k_he[] = {{0x000D, "he"}, {0x040D, "he_IL"}};
const LocaleEntry k_hi[] = {{0x0039, "hi"}, {0x0439, "hi_IN"}};
const LocaleEntry k_hr[] = {{0x001A, "hr"}, {0x041A, "hr_HR"}};
const LocaleEntry k_hu[] = {{0x000E, "hu"}, {0x040E, "hu_HU"}};
const LocaleEntry k_hy[] = {{0x002B, "hy"}, {0x042B, "hy_AM"}};
const LocaleEntry k_id[] = {{0x0021, "id"}, {0x0421, "id_ID"}};
const LocaleEntry k_is[] = {{0x000F, "is"}, {0x040F, "is_IS"}};
const LocaleEntry k_it[] = {{0x0010, "it"}, {0x0810, "it_CH"}, {0x0410, "it_IT"}};
const LocaleEntry k_iw[] = {{0x000D, "iw"}, {0x040D, "iw_IL"}};
const LocaleEntry k_ja[] = {{0x0011, "ja"}, {0x0411, "ja_JP"}};
const LocaleEntry k_ka[] = {{0x0037, "ka"}, {0x0437, "ka_GE"}};
const LocaleEntry k_kk[] = {{0x003F, "kk"}, {0x043F, "kk_KZ"}};
const LocaleEntry k_kn[] = {{0x004B, "kn"}, {0x044B, "kn_IN"}};
const LocaleEntry k_ko[] = {{0x0012, "ko"}, {0x0812, "ko_KP"}, {0x0412, "ko_KR"}};
const LocaleEntry k_kok[] = {{0x0057, "kok"}, {0x0457, "kok_IN"}};
const LocaleEntry k_ks[] = {{0x0060, "ks"}, {0x0460, "ks_IN"}};
const LocaleEntry k_lt[] = {{0x0027, "lt"}, {0x0427, "lt_LT"}};
const LocaleEntry k_lv[] = {{0x0026, "lv"}, {0x0426, "lv_LV"}};
const LocaleEntry k_mk[] = {{0x002F, "mk"}, {0x042F, "mk_MK"}};
const LocaleEntry k_ml[] = {{0x004C, "ml"}, {0x044C, "ml_IN"}};
const LocaleEntry k_mni[] = {{0x0058, "mni"}, {0x0458, "mni_IN"}};
const LocaleEntry k_mr[] = {{0x004E, "mr"}, {0x044E, "mr_IN"}};
const LocaleEntry k_ms[] = {{0x003E, "ms"}, {0x083E, "ms_BN"}, {0x043E, "ms_MY"}};
const LocaleEntry k_mt[] = {{0x003A, "mt"}, {0x043A, "mt_MT"}};
const LocaleEntry k_nb[] = {{0x0014, "nb"}, {0x0414, "nb_NO"}};
const LocaleEntry k_ne[] = {{0x0061, "ne"}, {0x0861, "ne_IN"}, {0x0461, "ne_NP"}};
const LocaleEntry k_nl[] = {{0x0013, "nl"}, {0x0813, "nl_BE"}, {0x0413, "nl_NL"}};
const LocaleEntry k_nn[] = {{0x0014, "nn"}, {0x0814, "nn_NO"}};
const LocaleEntry k_no[] = {{0x0014, "no"}, {0x0414, "no_NO"}, {0x0814, "nn_NO_NY"}};
const LocaleEntry k_or[] = {{0x0048, "or"}, {0x0448, "or_IN"}};
const LocaleEntry k_pa[] = {{0x0046, "pa"}, {0x0446, "pa_IN"}};
const LocaleEntry k_pl[] = {{0x0015, "pl"}, {0x0415, "pl_PL"}};
const LocaleEntry k_pt[] = {{0x0016, "pt"}, {0x0416, "pt_BR"}, {0x0816, "pt_PT"}};
const LocaleEntry k_ro[] = {{0x0018, "ro"}, {0x0418, "ro_RO"}};
const LocaleEntry k_root[] = {{0x0000, "root"}};
const LocaleEntry k_ru[] = {{0x0019, "ru"}, {0x0419, "ru_RU"}};
const LocaleEntry k_sa[] = {{0x004F, "sa"}, {0x044F, "sa_IN"}};
const LocaleEntry k_sd[] = {{0x0059, "sd"}, {0x0459, "sd_IN"}};
const LocaleEntry k_sh[] = {{0x001A, "sh"}, {0x081A, "sh_YU"}};
const LocaleEntry k_sk[] = {{0x001B, "sk"}, {0x041B, "sk_SK"}};
const LocaleEntry k_sl[] = {{0x0024, "sl"}, {0x0424, "sl_SI"}};
const LocaleEntry k_sq[] = {{0x001C, "sq"}, {0x041C, "sq_AL"}};
const LocaleEntry k_sr[] = {{0x001A, "sr"}, {0x0C1A, "sr_YU"}};
const LocaleEntry k_sv[] = {{0x001D, "sv"}, {0x081D, "sv_FI"}, {0x041D, "sv_SE"}};
const LocaleEntry k_sw[] = {{0x0041, "sw"}, {0x0441, "sw_KE"}};
const LocaleEntry k_ta[] = {{0x0049, "ta"}, {0x0449, "ta_IN"}};
const LocaleEntry k_te[] = {{0x004A, "te"}, {0x044A, "te_IN"}};
const LocaleEntry k_th[] = {{0x001E, "th"}, {0x041E, "th_TH"}};
const LocaleEntry k_tr[] = {{0x001F, "tr"}, {0x041F, "tr_TR"}};
const LocaleEntry k_tt[] = {{0x0044, "tt"}, {0x0444, "tt_RU"}};
const LocaleEntry k_uk[] = {{0x0022, "uk"}, {0x0422, "uk_UA"}};
const LocaleEntry k_ur[] = {{0x0020, "ur"}, {0x0820, "ur_IN"}, {0x0420, "ur_PK"}};
const LocaleEntry k_uz[] = {{0x0043, "uz"}, {0x0843, "uz_UZ_C"}, {0x0443, "uz_UZ_L"}};
const LocaleEntry k_vi[] = {{0x002A, "vi"}, {0x042A, "vi_VN"}};
const LocaleEntry k_zh[] = {{0x0004, "zh"}, {0x0804, "zh_CN"}, {0x0C04, "zh_HK"}, {0x1404, "zh_MO"}, {0x1004, "zh_SG"}, {0x0404, "zh_TW"}};
// clang-format on

#define REDUDI_LOCALE_ROW(entries) {entries, sizeof(entries) / sizeof(entries[0])}

const LocaleRow kRows[] = {
    REDUDI_LOCALE_ROW(k_af),
    REDUDI_LOCALE_ROW(k_ar),
    REDUDI_LOCALE_ROW(k_as),
    REDUDI_LOCALE_ROW(k_az),
    REDUDI_LOCALE_ROW(k_be),
    REDUDI_LOCALE_ROW(k_bg),
    REDUDI_LOCALE_ROW(k_bn),
    REDUDI_LOCALE_ROW(k_ca),
    REDUDI_LOCALE_ROW(k_cs),
    REDUDI_LOCALE_ROW(k_da),
    REDUDI_LOCALE_ROW(k_de),
    REDUDI_LOCALE_ROW(k_el),
    REDUDI_LOCALE_ROW(k_en),
    REDUDI_LOCALE_ROW(k_es),
    REDUDI_LOCALE_ROW(k_et),
    REDUDI_LOCALE_ROW(k_eu),
    REDUDI_LOCALE_ROW(k_fa),
    REDUDI_LOCALE_ROW(k_fi),
    REDUDI_LOCALE_ROW(k_fo),
    REDUDI_LOCALE_ROW(k_fr),
    REDUDI_LOCALE_ROW(k_gu),
    REDUDI_LOCALE_ROW(k_he),
    REDUDI_LOCALE_ROW(k_hi),
    REDUDI_LOCALE_ROW(k_hr),
    REDUDI_LOCALE_ROW(k_hu),
    REDUDI_LOCALE_ROW(k_hy),
    REDUDI_LOCALE_ROW(k_id),
    REDUDI_LOCALE_ROW(k_is),
    REDUDI_LOCALE_ROW(k_it),
    REDUDI_LOCALE_ROW(k_iw),
    REDUDI_LOCALE_ROW(k_ja),
    REDUDI_LOCALE_ROW(k_ka),
    REDUDI_LOCALE_ROW(k_kk),
    REDUDI_LOCALE_ROW(k_kn),
    REDUDI_LOCALE_ROW(k_ko),
    REDUDI_LOCALE_ROW(k_kok),
    REDUDI_LOCALE_ROW(k_ks),
    REDUDI_LOCALE_ROW(k_lt),
    REDUDI_LOCALE_ROW(k_lv),
    REDUDI_LOCALE_ROW(k_mk),
    REDUDI_LOCALE_ROW(k_ml),
    REDUDI_LOCALE_ROW(k_mni),
    REDUDI_LOCALE_ROW(k_mr),
    REDUDI_LOCALE_ROW(k_ms),
    REDUDI_LOCALE_ROW(k_mt),
    REDUDI_LOCALE_ROW(k_nb),
    REDUDI_LOCALE_ROW(k_ne),
    REDUDI_LOCALE_ROW(k_nl),
    REDUDI_LOCALE_ROW(k_nn),
    REDUDI_LOCALE_ROW(k_no),
    REDUDI_LOCALE_ROW(k_or),
    REDUDI_LOCALE_ROW(k_pa),
    REDUDI_LOCALE_ROW(k_pl),
    REDUDI_LOCALE_ROW(k_pt),
    REDUDI_LOCALE_ROW(k_ro),
    REDUDI_LOCALE_ROW(k_root),
    REDUDI_LOCALE_ROW(k_ru),
    REDUDI_LOCALE_ROW(k_sa),
    REDUDI_LOCALE_ROW(k_sd),
    REDUDI_LOCALE_ROW(k_sh),
    REDUDI_LOCALE_ROW(k_sk),
    REDUDI_LOCALE_ROW(k_sl),
    REDUDI_LOCALE_ROW(k_sq),
    REDUDI_LOCALE_ROW(k_sr),
    REDUDI_LOCALE_ROW(k_sv),
    REDUDI_LOCALE_ROW(k_sw),
    REDUDI_LOCALE_ROW(k_ta),
    REDUDI_LOCALE_ROW(k_te),
    REDUDI_LOCALE_ROW(k_th),
    REDUDI_LOCALE_ROW(k_tr),
    REDUDI_LOCALE_ROW(k_tt),
    REDUDI_LOCALE_ROW(k_uk),
    REDUDI_LOCALE_ROW(k_ur),
    REDUDI_LOCALE_ROW(k_uz),
    REDUDI_LOCALE_ROW(k_vi),
    REDUDI_LOCALE_ROW(k_zh),
};

#undef REDUDI_LOCALE_ROW

static_assert(sizeof(kRows) / sizeof(kRows[0]) == kLocaleRowCount, "one row per language");

} // namespace

const LocaleRow* LocaleRows() {
    return kRows;
}

} // namespace locale
} // namespace REDudi
