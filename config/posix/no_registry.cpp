// There is no registry outside Windows: the factories give null, and every
// facade then refuses its property operations.
#include <REDudi/property_manager.h>

namespace REDudi {

PropertyManager* PropertyManager::GetNewPropertyManager() {
    return nullptr;
}

PropertyManager* PropertyManager::GetNewPropertyManager(const PString&) {
    return nullptr;
}

} // namespace REDudi
