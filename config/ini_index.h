// Case-insensitive lookup tables over an IniFile's lists, so that finding a
// section or key does not scan every name. Each table maps a name to the
// first entry of that name in list order, which is the one the linear
// search of the lists would find. Tables are built on first use and dropped
// or updated by the changes that would make them wrong; a table whose list
// changed size behind its back is rebuilt.
#pragma once

#include "config/ini_text.h"

#include <REDudi/config.h>

#include <cstring>
#include <unordered_map>
#include <vector>

namespace REDudi {

class IniFileIndex {
public:
    using section = IniFile::section;
    using key = IniFile::key;

    section* FindSection(std::list<section>& sections, const char* name);
    key* FindKey(const section& where, const char* name);

    void SectionAdded(const std::list<section>& sections, section& added);
    void KeyAdded(const section& where, key& added);
    void DropKeys(const section& where) { keyTables_.erase(&where); }
    void Drop() {
        sectionTable_.clear();
        sectionCount_ = 0;
        keyTables_.clear();
    }

private:
    struct NameRef {
        const char* text;
        size_t length;
    };
    struct Hash {
        size_t operator()(const NameRef& n) const { return ini::HashNoCase(n.text, n.length); }
    };
    struct Equal {
        bool operator()(const NameRef& a, const NameRef& b) const {
            return ini::EqualNoCase(a.text, a.length, b.text, b.length);
        }
    };
    template <class T>
    using Table = std::unordered_map<NameRef, T*, Hash, Equal>;

    // Open addressing over the section's keys: no allocation per key, which
    // matters because a table is built for every long section looked into.
    struct KeyTable {
        std::vector<key*> slots; // a power of two, at least twice the keys
        size_t count = 0;

        void Build(const std::list<key>& keys);
        key* Find(const char* name, size_t length) const;
        void Add(key& added);
    };

    // Short sections are searched directly; a table pays off above this.
    static constexpr size_t kKeysWorthATable = 16;

    static NameRef Ref(const char* name) { return NameRef{name, std::strlen(name)}; }

    Table<section> sectionTable_;
    size_t sectionCount_ = 0;
    std::unordered_map<const section*, KeyTable> keyTables_;
};

} // namespace REDudi
