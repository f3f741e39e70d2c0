// Locale names: POSIX-style names such as "en_US" for the machine's and the
// user's default locales, and whether a name denotes an installed locale.
// Part of the strings family; include <REDudi/strings.h>.
#pragma once

#include <REDudi/strings.h>

namespace REDudi {

// False, with `name` empty, when the locale has no name in the library's
// table of locales.
REDUDI_API bool GetSystemDefaultLocale(PString& name);
REDUDI_API bool GetUserDefaultLocale(PString& name);
// Nonzero when `name` maps to a locale that the system has installed.
REDUDI_API unsigned char IsLocaleValid(PString const& name);

} // namespace REDudi
