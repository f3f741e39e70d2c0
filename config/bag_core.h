// The locked store and lookup shared by the narrow and the wide property bag.
#pragma once

#include "config/bag_changes.h"

#include <REDudi/threads.h>

#include <algorithm>
#include <cstddef>

namespace REDudi {

// Holds a bag's mutex for one store or lookup.
class BagLock {
public:
    explicit BagLock(Mutex* mutex) : mutex_(mutex) { mutex_->Acquire(nullptr); }
    ~BagLock() { mutex_->Release(); }
    BagLock(const BagLock&) = delete;
    BagLock& operator=(const BagLock&) = delete;

private:
    Mutex* mutex_;
};

template <class Entries, class Value>
bool StoreEntry(Mutex* mutex, Entries& entries, const char* name, Value&& value) {
    BagLock lock(mutex);
    entries[PString(name)] = std::forward<Value>(value);
    NoteBagChange();
    return true;
}

template <class Entries, class Value>
bool LookupEntry(Mutex* mutex, Entries& entries, const char* name, Value& value) {
    if (name == nullptr)
        return false;
    BagLock lock(mutex);
    auto found = entries.find(PString(name));
    if (found == entries.end())
        return false;
    value = found->second;
    return true;
}

// The lookup of a variable for the template preprocessors: the same as
// looking up `name.c_str()`, without measuring and copying the name again.
// A name holding a NUL ends there, as its C string does.
template <class Entries, class Value>
bool LookupVariable(Mutex* mutex, Entries& entries, const PString& name, Value& value) {
    if (name.find('\0') != PString::npos)
        return LookupEntry(mutex, entries, name.c_str(), value);
    BagLock lock(mutex);
    auto found = entries.find(name);
    if (found == entries.end())
        return false;
    value = found->second;
    return true;
}

// The same for an indexed variable; the key is built in place, the name
// ending at its first NUL as above.
template <class Entries, class Value>
bool LookupVariable(Mutex* mutex, Entries& entries, const PString& name, unsigned int index,
                    Value& value) {
    char digits[10];
    char* first = digits + sizeof digits;
    do
        *--first = static_cast<char>('0' + index % 10);
    while ((index /= 10) != 0);
    PString key;
    const std::size_t nameLength = std::min(name.find('\0'), name.size());
    key.reserve(nameLength + static_cast<std::size_t>(digits + sizeof digits - first));
    key.append(name.data(), nameLength).append(first, digits + sizeof digits);
    return LookupVariable(mutex, entries, key, value);
}

// Iterator steps shared by both bags' iterators.
template <class Entries>
bool MoveNext(Entries* entries, typename Entries::iterator& position) {
    if (entries == nullptr || position == entries->end())
        return false;
    ++position;
    return true;
}

} // namespace REDudi
