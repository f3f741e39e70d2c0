#include "config/bag_core.h"
#include "config/decimal_text.h"

#include <REDudi/config.h>

#include <new>

namespace REDudi {

PropertyBagUnicode* PropertyBagUnicode::GetNewPropertyBag() {
    PropertyBagUnicode* bag = new (std::nothrow) PropertyBagUnicode;
    if (bag != nullptr && bag->mutex_ == nullptr) {
        delete bag;
        return nullptr;
    }
    return bag;
}

PropertyBagUnicode::PropertyBagUnicode() : mutex_(Mutex::GetNewMutex()) {
    NoteBagChange();
}

// A copy always gets a mutex of its own, as in the narrow bag.
PropertyBagUnicode::PropertyBagUnicode(const PropertyBagUnicode& other)
    : ParameterProviderUnicode(other), entries_(other.entries_), mutex_(Mutex::GetNewMutex()) {
    NoteBagChange();
}

PropertyBagUnicode& PropertyBagUnicode::operator=(const PropertyBagUnicode& other) {
    if (this != &other)
        entries_ = other.entries_;
    NoteBagChange();
    return *this;
}

PropertyBagUnicode::~PropertyBagUnicode() {
    NoteBagChange();
    delete mutex_;
}

bool PropertyBagUnicode::GetVariableValue(const PString& name, UString& value, unsigned int index) {
    return LookupVariable(mutex_, entries_, name, index, value);
}

bool PropertyBagUnicode::GetVariableValue(const PString& name, UString& value) {
    return LookupVariable(mutex_, entries_, name, value);
}

bool PropertyBagUnicode::SetProperty(const char* name, const unsigned short* value) {
    if (name == nullptr || value == nullptr)
        return false;
    return StoreEntry(mutex_, entries_, name, UString(value));
}

bool PropertyBagUnicode::SetProperty(const char* name, const unsigned short* value,
                                     unsigned int index) {
    if (name == nullptr)
        return false;
    return SetProperty(IndexedName(name, index).c_str(), value);
}

bool PropertyBagUnicode::SetProperty(const char* name, unsigned int value) {
    UnicodeStdString digits;
    if (!ConvertASCIIToUnicode(UnsignedToDecimal(value), digits))
        return false;
    return SetProperty(name, digits.c_str());
}

bool PropertyBagUnicode::SetProperty(const char* name, unsigned int value, unsigned int index) {
    if (name == nullptr)
        return false;
    return SetProperty(IndexedName(name, index).c_str(), value);
}

bool PropertyBagUnicode::GetProperty(const char* name, UString& value) {
    return LookupEntry(mutex_, entries_, name, value);
}

bool PropertyBagUnicode::GetProperty(const char* name, UString& value, unsigned int index) {
    if (name == nullptr)
        return false;
    return GetProperty(IndexedName(name, index).c_str(), value);
}

// Unlike the narrow bag, an empty text is not a number here: the result is
// false and `value` keeps what it held.
bool PropertyBagUnicode::GetProperty(const char* name, unsigned int& value) {
    UString text;
    if (!GetProperty(name, text) || text.empty())
        return false;
    value = DecimalUnitsToUnsigned(text.c_str());
    return true;
}

bool PropertyBagUnicode::GetProperty(const char* name, unsigned int& value, unsigned int index) {
    if (name == nullptr)
        return false;
    return GetProperty(IndexedName(name, index).c_str(), value);
}

bool PropertyBagUnicode::Clear() {
    entries_.clear();
    NoteBagChange();
    return true;
}

PropertyBagUnicode::Iterator PropertyBagUnicode::Begin() {
    return Iterator(entries_, entries_.begin());
}

PropertyBagUnicode::Iterator::Iterator() : entries_(nullptr) {}

PropertyBagUnicode::Iterator::Iterator(Entries& entries, Entries::iterator position)
    : entries_(&entries), position_(position) {}

bool PropertyBagUnicode::Iterator::First() {
    if (entries_ == nullptr)
        return false;
    position_ = entries_->begin();
    return position_ != entries_->end();
}

bool PropertyBagUnicode::Iterator::AtEnd() const {
    return entries_ == nullptr || position_ == entries_->end();
}

bool PropertyBagUnicode::Iterator::Next() {
    return MoveNext(entries_, position_);
}

bool PropertyBagUnicode::Iterator::GetKey(PString& key) const {
    if (AtEnd())
        return false;
    key = position_->first;
    return true;
}

bool PropertyBagUnicode::Iterator::GetValue(UString& value) const {
    if (AtEnd())
        return false;
    value = position_->second;
    return true;
}

} // namespace REDudi
