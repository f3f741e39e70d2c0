// The exported property manager: owns one implementation, refuses every
// property operation while the root is empty, and lets exceptions through.
#include <REDudi/property_manager.h>

namespace REDudi {

static_assert(sizeof(APropertyManager) == 2 * sizeof(void*),
              "an APropertyManager is its virtual table and its pointer");

APropertyManager::APropertyManager() : manager_(PropertyManager::GetNewPropertyManager()) {}

APropertyManager::APropertyManager(const PString& root)
    : manager_(PropertyManager::GetNewPropertyManager(root)) {}

APropertyManager::APropertyManager(const APropertyManager& other) : manager_(nullptr) {
    *this = other;
}

// A copy gets an implementation of its own with the other's root, trimmed
// as SetPropertiesRoot trims it.
APropertyManager& APropertyManager::operator=(const APropertyManager& other) {
    if (this == &other)
        return *this;
    delete manager_;
    manager_ = PropertyManager::GetNewPropertyManager();
    if (manager_ != nullptr)
        manager_->SetPropertiesRoot(other.GetPropertiesRoot());
    return *this;
}

APropertyManager::~APropertyManager() {
    delete manager_;
    manager_ = nullptr;
}

PString APropertyManager::GetPropertiesRoot() const {
    return manager_ == nullptr ? PString() : manager_->GetPropertiesRoot();
}

void APropertyManager::SetPropertiesRoot(const PString& root) {
    if (manager_ != nullptr)
        manager_->SetPropertiesRoot(root);
}

bool APropertyManager::IsValid() const {
    return manager_ != nullptr && manager_->IsValid();
}

bool APropertyManager::GetProperty(const PString& path, bool& value) {
    return IsValid() && manager_->GetProperty(path, value);
}

bool APropertyManager::GetProperty(const PString& path, float& value) {
    return IsValid() && manager_->GetProperty(path, value);
}

bool APropertyManager::GetProperty(const PString& path, unsigned int& value) {
    return IsValid() && manager_->GetProperty(path, value);
}

bool APropertyManager::GetProperty(const PString& path, int& value) {
    return IsValid() && manager_->GetProperty(path, value);
}

bool APropertyManager::GetProperty(const PString& path, UString& value) {
    return IsValid() && manager_->GetProperty(path, value);
}

bool APropertyManager::GetProperty(const PString& path, PString& value) {
    return IsValid() && manager_->GetProperty(path, value);
}

bool APropertyManager::SetProperty(const PString& path, bool value) {
    return IsValid() && manager_->SetProperty(path, value);
}

bool APropertyManager::SetProperty(const PString& path, const float& value) {
    return IsValid() && manager_->SetProperty(path, value);
}

bool APropertyManager::SetProperty(const PString& path, unsigned int value) {
    return IsValid() && manager_->SetProperty(path, value);
}

bool APropertyManager::SetProperty(const PString& path, int value) {
    return IsValid() && manager_->SetProperty(path, value);
}

bool APropertyManager::SetProperty(const PString& path, const UString& value) {
    return IsValid() && manager_->SetProperty(path, value);
}

bool APropertyManager::SetProperty(const PString& path, const PString& value) {
    return IsValid() && manager_->SetProperty(path, value);
}

bool APropertyManager::SetProperty(const PString& path, const char* value) {
    return IsValid() && manager_->SetProperty(path, value);
}

bool APropertyManager::SetProperty(const PString& path, const char16_t* value) {
    return IsValid() && manager_->SetProperty(path, value);
}

bool APropertyManager::SetProperty(const PString& path, const unsigned short* value) {
    return IsValid() && manager_->SetProperty(path, value);
}

#if defined(_WIN32)
bool APropertyManager::SetProperty(const PString& path, const wchar_t* value) {
    return IsValid() && manager_->SetProperty(path, value);
}
#endif

bool APropertyManager::UnsetProperty(const PString& path) {
    return IsValid() && manager_->UnsetProperty(path);
}

bool APropertyManager::DeleteKey(const PString& path) {
    return IsValid() && manager_->DeleteKey(path);
}

bool APropertyManager::QuerySubKeys(const PString& path, SubKeyCallback callback, void* context) {
    return IsValid() && manager_->QuerySubKeys(path, callback, context);
}

bool APropertyManager::QueryProperties(const PString& path, WidePropertyCallback callback,
                                       void* context) {
    return IsValid() && manager_->QueryProperties(path, callback, context);
}

bool APropertyManager::QueryProperties(const PString& path, PropertyCallback callback,
                                       void* context) {
    return IsValid() && manager_->QueryProperties(path, callback, context);
}

bool APropertyManager::GetSubKeyList(const PString& path, std::list<PString>& names) {
    return IsValid() && manager_->GetSubKeyList(path, names);
}

bool APropertyManager::GetPropertyList(const PString& path, std::list<PString>& names) {
    return IsValid() && manager_->GetPropertyList(path, names);
}

bool APropertyManager::DoesKeyExist(const PString& path) {
    return IsValid() && manager_->DoesKeyExist(path);
}

} // namespace REDudi
