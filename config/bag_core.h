// The locked store and lookup shared by the narrow and the wide property bag.
#pragma once

#include <REDudi/threads.h>

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

// Iterator steps shared by both bags' iterators.
template <class Entries>
bool MoveNext(Entries* entries, typename Entries::iterator& position) {
    if (entries == nullptr || position == entries->end())
        return false;
    ++position;
    return true;
}

} // namespace REDudi
