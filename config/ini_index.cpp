#include "config/ini_index.h"

namespace REDudi {

IniFileIndex::section* IniFileIndex::FindSection(std::list<section>& sections, const char* name) {
    if (sectionCount_ != sections.size() || (sectionTable_.empty() && !sections.empty())) {
        sectionTable_.clear();
        sectionTable_.reserve(sections.size());
        for (section& s : sections)
            sectionTable_.emplace(Ref(s.name), &s); // keeps the first of duplicates
        sectionCount_ = sections.size();
    }
    auto found = sectionTable_.find(Ref(name));
    return found == sectionTable_.end() ? nullptr : found->second;
}

IniFileIndex::key* IniFileIndex::FindKey(const section& where, const char* name) {
    NameRef wanted = Ref(name);
    if (where.keys.size() <= kKeysWorthATable) {
        for (const key& k : where.keys) {
            if (ini::EqualNoCase(k.name, std::strlen(k.name), wanted.text, wanted.length))
                return const_cast<key*>(&k);
        }
        return nullptr;
    }
    KeyTable& keys = keyTables_[&where];
    if (keys.count != where.keys.size() || keys.table.empty()) {
        keys.table.clear();
        keys.table.reserve(where.keys.size());
        for (const key& k : where.keys)
            keys.table.emplace(Ref(k.name), const_cast<key*>(&k));
        keys.count = where.keys.size();
    }
    auto found = keys.table.find(wanted);
    return found == keys.table.end() ? nullptr : found->second;
}

void IniFileIndex::SectionAdded(const std::list<section>& sections, section& added) {
    if (sectionCount_ + 1 != sections.size()) {
        sectionCount_ = 0; // out of step: rebuild on the next lookup
        return;
    }
    sectionTable_.emplace(Ref(added.name), &added);
    sectionCount_ = sections.size();
}

void IniFileIndex::KeyAdded(const section& where, key& added) {
    auto tableOfSection = keyTables_.find(&where);
    if (tableOfSection == keyTables_.end())
        return;
    KeyTable& keys = tableOfSection->second;
    if (keys.count + 1 != where.keys.size()) {
        keys.count = 0;
        return;
    }
    keys.table.emplace(Ref(added.name), &added);
    keys.count = where.keys.size();
}

} // namespace REDudi
