#include "config/bag_core.h"
#include "config/decimal_text.h"

#include <REDudi/config.h>

#include <new>

namespace REDudi {

std::atomic<std::uint64_t> bagChanges{0};

PropertyBag* PropertyBag::GetNewPropertyBag() {
    PropertyBag* bag = new (std::nothrow) PropertyBag;
    if (bag != nullptr && bag->mutex_ == nullptr) {
        delete bag;
        return nullptr;
    }
    return bag;
}

PropertyBag::PropertyBag() : mutex_(Mutex::GetNewMutex()) {
    NoteBagChange();
}

// A copy always gets a mutex of its own: releasing or deleting the source's
// mutex must never depend on the copy.
PropertyBag::PropertyBag(const PropertyBag& other)
    : ParameterProvider(other), entries_(other.entries_), mutex_(Mutex::GetNewMutex()) {
    NoteBagChange();
}

PropertyBag& PropertyBag::operator=(const PropertyBag& other) {
    if (this != &other)
        entries_ = other.entries_;
    NoteBagChange();
    return *this;
}

PropertyBag::~PropertyBag() {
    NoteBagChange();
    delete mutex_;
}

bool PropertyBag::GetVariableValue(const PString& name, PString& value, unsigned int index) {
    return LookupVariable(mutex_, entries_, name, index, value);
}

bool PropertyBag::GetVariableValue(const PString& name, PString& value) {
    return LookupVariable(mutex_, entries_, name, value);
}

bool PropertyBag::SetProperty(const char* name, const char* value) {
    if (name == nullptr || value == nullptr)
        return false;
    return StoreEntry(mutex_, entries_, name, PString(value));
}

bool PropertyBag::SetProperty(const char* name, const char* value, unsigned int index) {
    if (name == nullptr)
        return false;
    return SetProperty(IndexedName(name, index).c_str(), value);
}

bool PropertyBag::SetProperty(const char* name, unsigned int value) {
    return SetProperty(name, UnsignedToDecimal(value).c_str());
}

bool PropertyBag::SetProperty(const char* name, unsigned int value, unsigned int index) {
    return SetProperty(name, UnsignedToDecimal(value).c_str(), index);
}

bool PropertyBag::GetProperty(const char* name, PString& value) {
    return LookupEntry(mutex_, entries_, name, value);
}

bool PropertyBag::GetProperty(const char* name, PString& value, unsigned int index) {
    if (name == nullptr)
        return false;
    return GetProperty(IndexedName(name, index).c_str(), value);
}

bool PropertyBag::GetProperty(const char* name, unsigned int& value) {
    PString text;
    if (!GetProperty(name, text))
        return false;
    value = DecimalTextToLong(text.c_str());
    return true;
}

bool PropertyBag::GetProperty(const char* name, unsigned int& value, unsigned int index) {
    if (name == nullptr)
        return false;
    return GetProperty(IndexedName(name, index).c_str(), value);
}

bool PropertyBag::Clear() {
    entries_.clear();
    NoteBagChange();
    return true;
}

PropertyBag::Iterator PropertyBag::Begin() {
    return Iterator(entries_, entries_.begin());
}

PropertyBag::Iterator::Iterator() : entries_(nullptr) {}

PropertyBag::Iterator::Iterator(Entries& entries, Entries::iterator position)
    : entries_(&entries), position_(position) {}

bool PropertyBag::Iterator::First() {
    if (entries_ == nullptr)
        return false;
    position_ = entries_->begin();
    return position_ != entries_->end();
}

bool PropertyBag::Iterator::AtEnd() const {
    return entries_ == nullptr || position_ == entries_->end();
}

bool PropertyBag::Iterator::Next() {
    return MoveNext(entries_, position_);
}

bool PropertyBag::Iterator::GetKey(PString& key) const {
    if (AtEnd())
        return false;
    key = position_->first;
    return true;
}

bool PropertyBag::Iterator::GetValue(PString& value) const {
    if (AtEnd())
        return false;
    value = position_->second;
    return true;
}

} // namespace REDudi
