// The parts of the property manager that need no registry: the root and the
// typed values, which travel as text through the two text operations.
#include <REDudi/property_manager.h>

#include <sstream>

namespace REDudi {

namespace {

template <class T>
PString ToText(const T& value) {
    std::ostringstream stream;
    stream << value;
    return PString(stream.str().c_str());
}

// Text that is not a number leaves `value` as it was, so that a caller's
// default survives a damaged setting; the read still counts as done.
template <class T>
void FromText(const PString& text, T& value) {
    std::istringstream stream(text);
    T parsed;
    if (stream >> parsed)
        value = parsed;
}

template <class Unit>
UString UnitsOf(const Unit* value) {
    UString text;
    for (; *value != 0; ++value)
        text.push_back(static_cast<unsigned short>(*value));
    return text;
}

} // namespace

PropertyManager::PropertyManager() {}

PropertyManager::PropertyManager(const PropertyManager& other) : root_(other.root_) {}

PropertyManager& PropertyManager::operator=(const PropertyManager& other) {
    root_ = other.root_;
    return *this;
}

PropertyManager::~PropertyManager() {}

void PropertyManager::SetPropertiesRoot(const PString& root) {
    root_ = root;
}

PString PropertyManager::GetPropertiesRoot() const {
    return root_;
}

bool PropertyManager::IsValid() const {
    return !root_.empty();
}

bool PropertyManager::GetProperty(const PString& path, bool& value) {
    PString text;
    if (!GetProperty(path, text))
        return false;
    value = text == "true";
    return true;
}

bool PropertyManager::GetProperty(const PString& path, float& value) {
    PString text;
    if (!GetProperty(path, text))
        return false;
    FromText(text, value);
    return true;
}

bool PropertyManager::GetProperty(const PString& path, unsigned int& value) {
    PString text;
    if (!GetProperty(path, text))
        return false;
    FromText(text, value);
    return true;
}

bool PropertyManager::GetProperty(const PString& path, int& value) {
    PString text;
    if (!GetProperty(path, text))
        return false;
    FromText(text, value);
    return true;
}

bool PropertyManager::SetProperty(const PString& path, bool value) {
    return SetProperty(path, PString(value ? "true" : "false"));
}

bool PropertyManager::SetProperty(const PString& path, const float& value) {
    return SetProperty(path, ToText(static_cast<double>(value)));
}

bool PropertyManager::SetProperty(const PString& path, unsigned int value) {
    return SetProperty(path, ToText(value));
}

bool PropertyManager::SetProperty(const PString& path, int value) {
    return SetProperty(path, ToText(value));
}

bool PropertyManager::SetProperty(const PString& path, const char* value) {
    return value != nullptr && SetProperty(path, PString(value));
}

bool PropertyManager::SetProperty(const PString& path, const char16_t* value) {
    return value != nullptr && SetProperty(path, UnitsOf(value));
}

bool PropertyManager::SetProperty(const PString& path, const unsigned short* value) {
    return value != nullptr && SetProperty(path, UnitsOf(value));
}

#if defined(_WIN32)
bool PropertyManager::SetProperty(const PString& path, const wchar_t* value) {
    return value != nullptr && SetProperty(path, UnitsOf(value));
}
#endif

bool PropertyManager::DoesKeyExist(const PString& path) {
    std::list<PString> names;
    return GetSubKeyList(path, names);
}

void PropertyManager::FlushPendingChanges() {}

} // namespace REDudi
