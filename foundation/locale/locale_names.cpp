#include "foundation/locale/locale_platform.h"
#include "foundation/locale/locale_table.h"
#include "foundation/platform/load_order.h"

#include <REDudi/strings.h>
#include <REDudi/threads.h>

#include <atomic>

namespace REDudi {

namespace {

// Created first of all the library's static objects, so that a lookup made
// while the others are constructed still finds it.
AMutex localeTableMutex REDUDI_LOAD_ORDER(REDUDI_ORDER_LOCALE_MUTEX);

locale::LocaleTable localeTable = {nullptr, 0, nullptr};
std::atomic<bool> localeTableReady(false);

const locale::LocaleTable& Table() {
    if (!localeTableReady.load(std::memory_order_acquire)) {
        AMutexLock hold(&localeTableMutex, true);
        if (!localeTableReady.load(std::memory_order_relaxed)) {
            localeTable.rows = locale::LocaleRows();
            localeTable.rowCount = locale::kLocaleRowCount;
            localeTable.defaultName = locale::kUnknownLocaleName;
            localeTableReady.store(true, std::memory_order_release);
        }
    }
    return localeTable;
}

bool NameOf(uint32_t lcid, PString& name) {
    name.clear();
    if (lcid == 0)
        return false;
    const locale::LocaleTable& table = Table();
    const char* found = locale::LcidToName(table, lcid);
    if (found == table.defaultName || *found == '\0')
        return false;
    name = found;
    return true;
}

} // namespace

bool GetSystemDefaultLocale(PString& name) {
    try {
        return NameOf(locale::SystemDefaultLcid(), name);
    } catch (...) {
        return false;
    }
}

bool GetUserDefaultLocale(PString& name) {
    try {
        uint32_t lcid = locale::UserDefaultLcid();
        if (lcid == 0)
            lcid = locale::SystemDefaultLcid();
        return NameOf(lcid, name);
    } catch (...) {
        return false;
    }
}

unsigned char IsLocaleValid(const PString& name) {
    try {
        if (name.empty())
            return false;
        uint32_t lcid = locale::NameToLcid(Table(), name.data(), name.size());
        return lcid != 0 && locale::IsLcidInstalled(lcid);
    } catch (...) {
        return false;
    }
}

} // namespace REDudi
