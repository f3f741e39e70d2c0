// Reads arbitrary text as a locale name. Whatever LCID comes out must be 0
// or one of the table's, and a named LCID must read back from its own name;
// case and the separator never change the result.
#include "foundation/locale/locale_table.h"

#include <REDudi/strings.h>

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace REDudi::locale;

namespace {

const LocaleTable kTable = {LocaleRows(), kLocaleRowCount, kUnknownLocaleName};

bool InTable(uint32_t lcid) {
    for (size_t r = 0; r < kTable.rowCount; ++r) {
        for (size_t e = 0; e < kTable.rows[r].count; ++e) {
            if (kTable.rows[r].entries[e].lcid == lcid)
                return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string name(reinterpret_cast<const char*>(data), size);
    uint32_t lcid = NameToLcid(kTable, name.data(), name.size());
    if (lcid != 0 && !InTable(lcid))
        std::abort();
    std::string swapped = name;
    for (char& c : swapped) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (c == '_')
            c = '-';
        else if (c == '-')
            c = '_';
    }
    if (NameToLcid(kTable, swapped.data(), swapped.size()) != lcid)
        std::abort();
    const char* named = LcidToName(kTable, lcid);
    if (lcid != 0 && named != kTable.defaultName &&
        NameToLcid(kTable, named, std::string(named).size()) != lcid)
        std::abort();
    REDudi::IsLocaleValid(REDudi::PString(name.c_str()));
    return 0;
}
