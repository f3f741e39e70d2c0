#include "foundation/platform/facade.h"

#include <mutex>
#include <unordered_map>

namespace REDudi {
namespace facade {

namespace {

struct OwnerTable {
    std::mutex lock;
    // Number of owners beyond the first, per shared object.
    std::unordered_map<const void*, unsigned long> extraOwners;
};

// Never destroyed: facades of static objects release their shares while the
// library is unloading, possibly after this file's statics would be gone.
OwnerTable& Table() {
    static OwnerTable* table = new OwnerTable;
    return *table;
}

} // namespace

void SharedOwners::AddOwner(const void* object) {
    OwnerTable& table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    ++table.extraOwners[object];
}

bool SharedOwners::RemoveOwner(const void* object) {
    OwnerTable& table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    auto it = table.extraOwners.find(object);
    if (it == table.extraOwners.end())
        return true;
    if (--it->second == 0)
        table.extraOwners.erase(it);
    return false;
}

} // namespace facade
} // namespace REDudi
