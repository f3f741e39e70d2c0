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
    if (where.keys.size() <= kKeysWorthATable) {
        for (const key& k : where.keys) {
            if (ini::EqualNoCase(k.name, name))
                return const_cast<key*>(&k);
        }
        return nullptr;
    }
    KeyTable& keys = keyTables_[&where];
    if (keys.count != where.keys.size() || keys.slots.empty())
        keys.Build(where.keys);
    return keys.Find(name, std::strlen(name));
}

void IniFileIndex::KeyTable::Build(const std::list<key>& keys) {
    size_t size = 16;
    while (size < keys.size() * 2)
        size *= 2;
    slots.assign(size, nullptr);
    count = 0;
    for (const key& k : keys)
        Add(const_cast<key&>(k));
}

// Keeps the first of keys with the same name, as the list search would.
void IniFileIndex::KeyTable::Add(key& added) {
    size_t length = std::strlen(added.name);
    size_t mask = slots.size() - 1;
    for (size_t i = ini::HashNoCase(added.name, length) & mask;; i = (i + 1) & mask) {
        if (slots[i] == nullptr) {
            slots[i] = &added;
            break;
        }
        if (ini::EqualNoCase(slots[i]->name, added.name))
            break;
    }
    ++count;
}

IniFileIndex::key* IniFileIndex::KeyTable::Find(const char* name, size_t length) const {
    size_t mask = slots.size() - 1;
    for (size_t i = ini::HashNoCase(name, length) & mask;; i = (i + 1) & mask) {
        if (slots[i] == nullptr || ini::EqualNoCase(slots[i]->name, name))
            return slots[i];
    }
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
    if (keys.count + 1 != where.keys.size() || (keys.count + 1) * 2 > keys.slots.size()) {
        keys.count = 0; // out of step or full: rebuild on the next lookup
        return;
    }
    keys.Add(added);
}

} // namespace REDudi
