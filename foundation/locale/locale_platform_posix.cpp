// Without Windows locale services the defaults come from the POSIX locale
// environment (LC_ALL, then LC_MESSAGES for the user and LC_CTYPE for the
// system, then LANG), read through the locale table; "C", "POSIX" and an
// empty environment mean US English. Every locale of the table counts as
// installed.
#include "foundation/locale/locale_platform.h"
#include "foundation/locale/locale_table.h"

#include <cstdlib>
#include <cstring>

namespace REDudi {
namespace locale {

namespace {

const uint32_t kUsEnglish = 0x0409;

const char* FirstSet(const char* first, const char* second) {
    const char* names[] = {"LC_ALL", first, second};
    for (const char* variable : names) {
        const char* value = variable != nullptr ? std::getenv(variable) : nullptr;
        if (value != nullptr && *value != '\0')
            return value;
    }
    return nullptr;
}

uint32_t LcidFromEnvironment(const char* category) {
    const char* value = FirstSet(category, "LANG");
    if (value == nullptr || std::strcmp(value, "C") == 0 || std::strcmp(value, "POSIX") == 0)
        return kUsEnglish;
    LocaleTable table = {LocaleRows(), kLocaleRowCount, kUnknownLocaleName};
    return NameToLcid(table, value, std::strlen(value));
}

} // namespace

uint32_t SystemDefaultLcid() {
    uint32_t lcid = LcidFromEnvironment("LC_CTYPE");
    return lcid != 0 ? lcid : kUsEnglish;
}

uint32_t UserDefaultLcid() {
    return LcidFromEnvironment("LC_MESSAGES");
}

bool IsLcidInstalled(uint32_t lcid) {
    LocaleTable table = {LocaleRows(), kLocaleRowCount, kUnknownLocaleName};
    for (size_t r = 0; r < table.rowCount; ++r) {
        for (size_t e = 0; e < table.rows[r].count; ++e) {
            if (table.rows[r].entries[e].lcid == lcid)
                return true;
        }
    }
    return false;
}

} // namespace locale
} // namespace REDudi
