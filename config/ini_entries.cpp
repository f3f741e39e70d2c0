// The key and section records of an IniFile.
#include <REDudi/config.h>

#include <cstring>

namespace REDudi {

namespace {

char* CopyText(const char* text, size_t length) {
    char* copy = new char[length + 1];
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

char* CopyText(const char* text) {
    return text == nullptr ? nullptr : CopyText(text, std::strlen(text));
}

} // namespace

IniFile::key::key(const char* name_, const char* value_)
    : name(CopyText(name_ == nullptr ? "" : name_)), value(CopyText(value_)) {}

IniFile::key::key(const char* name_, size_t nameLength, const char* value_, size_t valueLength)
    : name(CopyText(name_, nameLength)), value(CopyText(value_, valueLength)) {}

IniFile::key::key(char* borrowedName) : name(borrowedName), value(nullptr) {}

IniFile::key::key(const key& other) : name(CopyText(other.name)), value(CopyText(other.value)) {}

IniFile::key& IniFile::key::operator=(const key& other) {
    if (this != &other) {
        char* newName = CopyText(other.name);
        char* newValue = CopyText(other.value);
        delete[] name;
        delete[] value;
        name = newName;
        value = newValue;
    }
    return *this;
}

IniFile::key::~key() {
    delete[] name;
    delete[] value;
}

const char* IniFile::key::GetValue() const {
    return value;
}

char* IniFile::key::GetValue() {
    return value;
}

void IniFile::key::SetValue(const char* newValue) {
    char* copy = CopyText(newValue);
    delete[] value;
    value = copy;
}

IniFile::section::section(const char* name_, bool copyName)
    : key(copyName ? CopyText(name_ == nullptr ? "" : name_) : const_cast<char*>(name_)),
      ownsName(copyName) {}

IniFile::section::section(const char* name_, size_t nameLength)
    : key(CopyText(name_, nameLength)), ownsName(true) {}

IniFile::section::section(const section& other)
    : key(CopyText(other.name)), keys(other.keys), ownsName(true) {}

IniFile::section& IniFile::section::operator=(const section& other) {
    if (this != &other) {
        char* newName = CopyText(other.name);
        if (ownsName)
            delete[] name;
        name = newName;
        ownsName = true;
        keys = other.keys;
    }
    return *this;
}

IniFile::section::~section() {
    // The key destructor frees the name; a borrowed name must survive it.
    if (!ownsName)
        name = nullptr;
}

const char* IniFile::section::GetValue() const {
    return name;
}

char* IniFile::section::GetValue() {
    return name;
}

} // namespace REDudi
