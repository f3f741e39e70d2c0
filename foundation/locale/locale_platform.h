// What the locale functions ask of the system.
#pragma once

#include <cstdint>

namespace REDudi {
namespace locale {

uint32_t SystemDefaultLcid();
// 0 when the system has no user default.
uint32_t UserDefaultLcid();
bool IsLcidInstalled(uint32_t lcid);

} // namespace locale
} // namespace REDudi
