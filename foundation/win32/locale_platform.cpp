#include "foundation/locale/locale_platform.h"

#include <windows.h>

namespace REDudi {
namespace locale {

uint32_t SystemDefaultLcid() {
    return GetSystemDefaultLCID();
}

uint32_t UserDefaultLcid() {
    return GetUserDefaultLCID();
}

bool IsLcidInstalled(uint32_t lcid) {
    return IsValidLocale(lcid, LCID_INSTALLED) != FALSE;
}

} // namespace locale
} // namespace REDudi
