// The locale table and the two lookups through it: from a Windows locale
// identifier (LCID) to a POSIX-style name such as "en_US", and back.
#pragma once

#include <cstddef>
#include <cstdint>

namespace REDudi {
namespace locale {

struct LocaleEntry {
    uint32_t lcid;
    const char* name;
};

// entries[0] is the language entry; the rest are its regional entries.
struct LocaleRow {
    const LocaleEntry* entries;
    size_t count;
};

const size_t kLocaleRowCount = 76;

// The name an LCID lookup gives when nothing matches.
extern const char kUnknownLocaleName[];

// The rows, in strcmp order of their language names.
const LocaleRow* LocaleRows();

// The view of the table that the lookups search.
struct LocaleTable {
    const LocaleRow* rows;
    size_t rowCount;
    const char* defaultName;
};

// The name of `lcid`, searched only in the first row of its primary
// language; the table's default name when that row has no such entry.
const char* LcidToName(const LocaleTable& table, uint32_t lcid);

// The LCID that `name` (length `length`, not necessarily terminated)
// denotes, or 0.
uint32_t NameToLcid(const LocaleTable& table, const char* name, size_t length);

} // namespace locale
} // namespace REDudi
