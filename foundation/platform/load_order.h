// Construction order of the library's static objects. They live in different
// files, so the order is fixed with init priorities (lower runs first, and
// destruction runs in reverse): the locale-table mutex, the Base64 alphabet,
// the default critical logger, then the default trace logger.
#pragma once

#if defined(__GNUC__)
#define REDUDI_LOAD_ORDER(n) __attribute__((init_priority(n)))
#else
#define REDUDI_LOAD_ORDER(n)
#endif

#define REDUDI_ORDER_LOCALE_MUTEX 1001
#define REDUDI_ORDER_BASE64_ALPHABET 1002
#define REDUDI_ORDER_DEFAULT_CRITICAL_LOGGER 1003
#define REDUDI_ORDER_DEFAULT_LOGGER 1004

// Usage: static ADefaultLogger defaultLogger REDUDI_LOAD_ORDER(REDUDI_ORDER_DEFAULT_LOGGER);
