#include "foundation/locale/locale_table.h"

#include <cstring>
#include <string>

namespace REDudi {
namespace locale {

const char kUnknownLocaleName[] = "??_??";

namespace {

const uint32_t kPrimaryLanguageMask = 0x3FF;
const size_t kMaxLanguageLength = 49;
const size_t kMaxCanonicalLength = 49; // a 50-byte buffer with its terminator
const size_t kMaxShortPartLength = 3;  // language and country in the canonical form

bool EndsLanguage(char c) {
    return c == '.' || c == '@' || c == '_' || c == '-';
}

bool EndsVariant(char c) {
    return c == '.' || c == '@';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The characters of [from, length) up to the first that `ends`, uppercased;
// `end` receives the position of that character (or `length`).
template <class Ends>
std::string UpperPart(const char* name, size_t length, size_t from, Ends ends, size_t& end) {
    std::string part;
    end = from;
    while (end < length && !ends(name[end]))
        part += Upper(name[end++]);
    return part;
}

// Binary search over items in strcmp order of their names, halving the
// closed range [low, high]. The "no" row is searched the same way although
// it is not sorted: the probe order decides what can be found there.
template <class Item, class NameOf>
const Item* Search(const Item* items, size_t count, const char* key, NameOf nameOf) {
    long low = 0;
    long high = static_cast<long>(count) - 1;
    while (low <= high) {
        long middle = (low + high) / 2;
        int order = std::strcmp(key, nameOf(items[middle]));
        if (order == 0)
            return &items[middle];
        if (order < 0)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return nullptr;
}

const char* EntryName(const LocaleEntry& entry) {
    return entry.name;
}

const char* RowName(const LocaleRow& row) {
    return row.entries[0].name;
}

uint32_t FindRegional(const LocaleRow& row, const std::string& canonical) {
    const LocaleEntry* entry = Search(row.entries + 1, row.count - 1, canonical.c_str(), EntryName);
    return entry != nullptr ? entry->lcid : 0;
}

} // namespace

const char* LcidToName(const LocaleTable& table, uint32_t lcid) {
    for (size_t r = 0; r < table.rowCount; ++r) {
        const LocaleRow& row = table.rows[r];
        if (row.entries[0].lcid != (lcid & kPrimaryLanguageMask))
            continue;
        // Later rows of the same primary language are never consulted.
        for (size_t e = 0; e < row.count; ++e) {
            if (row.entries[e].lcid == lcid)
                return row.entries[e].name;
        }
        return table.defaultName;
    }
    return table.defaultName;
}

uint32_t NameToLcid(const LocaleTable& table, const char* name, size_t length) {
    if (length < 2)
        return 0;

    std::string language;
    size_t pos = 0;
    char first = Lower(name[0]);
    if ((first == 'x' || first == 'i') && (name[1] == '_' || name[1] == '-')) {
        language = std::string(1, first) + '-';
        pos = 2;
    }
    while (pos < length && !EndsLanguage(name[pos]))
        language += Lower(name[pos++]);
    if (language.size() > kMaxLanguageLength)
        return 0;
    const LocaleRow* row = Search(table.rows, table.rowCount, language.c_str(), RowName);
    if (row == nullptr)
        return 0;
    if (length < 5)
        return row->entries[0].lcid;

    // The canonical form: language_COUNTRY, then _VARIANT when the name has
    // more after its country.
    if (language.size() > kMaxShortPartLength)
        return 0;
    size_t separator = pos;
    while (separator < length && name[separator] != '_' && name[separator] != '-')
        ++separator;
    size_t countryEnd = length;
    std::string country;
    if (separator < length)
        country = UpperPart(name, length, separator + 1, EndsLanguage, countryEnd);
    if (country.size() > kMaxShortPartLength)
        return 0; // cut back to the bare language, which no regional entry is
    std::string canonical = language + '_' + country;
    size_t shortForm = canonical.size();

    if (language.size() + 1 + country.size() < length) {
        size_t variantEnd = 0;
        std::string variant;
        if (countryEnd < length && (name[countryEnd] == '_' || name[countryEnd] == '-')) {
            variant = UpperPart(name, length, countryEnd + 1, EndsVariant, variantEnd);
        } else {
            size_t lastAt = length;
            while (lastAt > 0 && name[lastAt - 1] != '@')
                --lastAt;
            if (lastAt > 0)
                variant = UpperPart(name, length, lastAt, EndsVariant, variantEnd);
        }
        if (!variant.empty()) {
            if (shortForm + 1 + variant.size() > kMaxCanonicalLength)
                return FindRegional(*row, canonical);
            canonical += '_' + variant;
        }
    }

    uint32_t lcid = FindRegional(*row, canonical);
    if (lcid != 0 || canonical.size() == shortForm)
        return lcid;
    return FindRegional(*row, canonical.substr(0, shortForm));
}

} // namespace locale
} // namespace REDudi
