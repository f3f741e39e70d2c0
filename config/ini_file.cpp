// IniFile: the in-memory model, its queries and changes, the parser entry
// points and the writer. Opening and reading a file is in ini_file_io.cpp.
#include "config/decimal_text.h"
#include "config/ini_file_store.h"
#include "config/ini_index.h"
#include "config/ini_parser.h"
#include "config/ini_writer.h"
#include "config/replace_file.h"

#include <REDudi/config.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

namespace REDudi {

namespace {

const char* OrEmpty(const char* text) {
    return text == nullptr ? "" : text;
}

} // namespace

IniFile::IniFile() : dirty_(false), open_(false), file_(nullptr), index_(nullptr) {}

IniFile::IniFile(const IniFile& other)
    : sections_(other.sections_), dirty_(other.dirty_), open_(other.open_),
      file_(CopyFileSpec(other.file_)), index_(nullptr) {}

IniFile& IniFile::operator=(const IniFile& other) {
    if (this == &other)
        return *this;
    AFileSpec* file = CopyFileSpec(other.file_);
    sections_ = other.sections_;
    DropIndex();
    dirty_ = other.dirty_;
    open_ = other.open_;
    DeleteFileSpec(file_);
    file_ = file;
    return *this;
}

IniFile::~IniFile() {
    try {
        Close();
    } catch (...) {
        // A destructor cannot report a failed save; the file keeps its old
        // content (Write never truncates it before the new one is complete).
    }
    DeleteFileSpec(file_);
    delete index_;
}

// The new content goes to a temporary file beside the original, which is
// replaced only once that file is complete: a failed or interrupted save
// leaves the old file as it was, and the changes stay pending.
bool IniFile::Write() {
    if (!open_ || !dirty_)
        return true;
    if (file_ == nullptr)
        return false;
    std::string text;
    ini::AppendSections(sections_, text);
    if (!ReplaceFileContent(FullPathOf(file_), text))
        return false;
    dirty_ = false;
    return true;
}

bool IniFile::Close() {
    bool saved = true;
    if (open_) {
        if (dirty_)
            saved = Write();
        open_ = false;
    }
    return saved;
}

const char* IniFile::INIexception::what() const noexcept {
    return "Can't find profile string";
}

IniFile::section* IniFile::LookupSection(const char* name) {
    if (name == nullptr)
        return nullptr;
    if (index_ == nullptr)
        index_ = new IniFileIndex;
    return index_->FindSection(sections_, name);
}

IniFile::key* IniFile::LookupKey(const char* name, const section& where) {
    if (name == nullptr)
        return nullptr;
    if (index_ == nullptr)
        index_ = new IniFileIndex;
    return index_->FindKey(where, name);
}

void IniFile::DropIndex() {
    if (index_ != nullptr)
        index_->Drop();
}

IniFile::section& IniFile::FindSection(const char* name) {
    section* found = LookupSection(name);
    if (found == nullptr)
        throw INIexception();
    return *found;
}

IniFile::key& IniFile::FindKey(const char* name, const section& where) {
    key* found = LookupKey(name, where);
    if (found == nullptr)
        throw INIexception();
    return *found;
}

char* IniFile::GetString(const char* sectionName, const char* keyName, const char* defaultValue,
                         char* buffer, unsigned int size) {
    if (buffer == nullptr)
        return nullptr;
    const char* text = OrEmpty(defaultValue);
    if (section* s = LookupSection(sectionName)) {
        if (key* k = LookupKey(keyName, *s))
            text = OrEmpty(k->value);
    }
    std::strncpy(buffer, text, size);
    return buffer;
}

unsigned char* IniFile::GetString(const char* sectionName, const char* keyName,
                                  const char* defaultValue, unsigned char* buffer,
                                  unsigned int size) {
    // Without room for the length byte there is nothing to store.
    if (buffer == nullptr || size == 0)
        return buffer;
    const char* text = OrEmpty(defaultValue);
    if (section* s = LookupSection(sectionName)) {
        if (key* k = LookupKey(keyName, *s))
            text = OrEmpty(k->value);
    }
    size_t length = std::min<size_t>({std::strlen(text), 255, size - 1});
    buffer[0] = static_cast<unsigned char>(length);
    std::memcpy(buffer + 1, text, length);
    return buffer;
}

unsigned int IniFile::GetInt(const char* sectionName, const char* keyName,
                             unsigned int defaultValue) {
    section* s = LookupSection(sectionName);
    key* k = s == nullptr ? nullptr : LookupKey(keyName, *s);
    return k == nullptr ? defaultValue : DecimalTextToLong(OrEmpty(k->value));
}

bool IniFile::WriteString(const char* sectionName, const char* keyName, const char* value) {
    if (sectionName == nullptr)
        return false;
    try {
        dirty_ = true;
        section* s = LookupSection(sectionName);
        if (s == nullptr) {
            sections_.emplace_back(sectionName);
            s = &sections_.back();
            index_->SectionAdded(sections_, *s);
        }
        if (keyName == nullptr || *keyName == '\0')
            return true;
        // A null value is stored as empty text: the written file has no way
        // to tell the two apart.
        if (key* k = LookupKey(keyName, *s)) {
            k->SetValue(OrEmpty(value));
        } else {
            s->keys.emplace_back(keyName, OrEmpty(value));
            index_->KeyAdded(*s, s->keys.back());
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool IniFile::WriteInt(const char* sectionName, const char* keyName, unsigned int value) {
    dirty_ = true;
    return WriteString(sectionName, keyName, UnsignedToDecimal(value).c_str());
}

bool IniFile::DeleteSection(const char* name) {
    if (name == nullptr)
        return false;
    size_t length = std::strlen(name);
    size_t before = sections_.size();
    sections_.remove_if(
        [&](const section& s) { return std::strncmp(s.name, name, length) == 0; });
    if (sections_.size() == before)
        return false;
    DropIndex();
    dirty_ = true;
    return true;
}

bool IniFile::DeleteKey(const char* sectionName, const char* keyName) {
    if (keyName == nullptr || *keyName == '\0')
        return DeleteSection(sectionName);
    section* s = LookupSection(sectionName);
    if (s == nullptr)
        return false;
    for (auto k = s->keys.begin(); k != s->keys.end(); ++k) {
        if (ini::EqualNoCase(k->name, std::strlen(k->name), keyName, std::strlen(keyName))) {
            s->keys.erase(k);
            index_->DropKeys(*s);
            dirty_ = true;
            return true;
        }
    }
    return DeleteSection((std::string(sectionName) + "\\" + keyName).c_str());
}

bool IniFile::GetSection(const char* name, std::vector<char*>& keys) {
    section* s = LookupSection(name);
    if (s == nullptr)
        return false;
    keys.resize(s->keys.size());
    size_t i = 0;
    for (const key& k : s->keys) {
        size_t length = std::strlen(k.name);
        keys[i] = new char[length + 1];
        std::memcpy(keys[i++], k.name, length + 1);
    }
    return true;
}

bool IniFile::GetSection(const char* name, std::list<PString>& keys) {
    keys.clear();
    section* s = LookupSection(name);
    if (s == nullptr)
        return false;
    for (const key& k : s->keys)
        keys.emplace_back(k.name);
    return true;
}

bool IniFile::GetPropertyList(const char* name, std::list<PString>& keys) {
    return GetSection(name, keys);
}

bool IniFile::GetSubKeyList(const char* parent, std::list<PString>& subKeys) {
    const char* prefix = OrEmpty(parent);
    size_t length = std::strlen(prefix);
    std::set<std::string> components;
    for (const section& s : sections_) {
        if (std::strncmp(s.name, prefix, length) != 0)
            continue;
        const char* slash = std::strchr(s.name + length, '\\');
        if (slash == nullptr)
            continue;
        const char* start = slash + 1;
        const char* stop = std::strchr(start, '\\');
        components.emplace(start, stop == nullptr ? std::strlen(start)
                                                  : static_cast<size_t>(stop - start));
    }
    for (const std::string& component : components)
        subKeys.emplace_back(component);
    return true;
}

bool IniFile::EnumerateKeyValuePairs(IIniFileEnumerator* enumerator, bool& stopped) {
    stopped = false;
    if (enumerator == nullptr)
        return false;
    for (const section& s : sections_) {
        for (const key& k : s.keys) {
            if (!enumerator->EnumerateKeyValuePairsUserCallback(s.name, k.name, OrEmpty(k.value))) {
                stopped = true;
                return true;
            }
        }
    }
    return true;
}

char* IniFile::ReadLine(char* buffer, int size, FILE* stream) {
    return std::fgets(buffer, size, stream);
}

int IniFile::Backup(int c, FILE* stream) {
    return std::ungetc(c, stream);
}

bool IniFile::ParseINIText(const char* text, size_t length) {
    sections_.clear();
    DropIndex();
    ini::MemorySource source(text, length);
    ini::ParseSections(source, sections_);
    return true;
}

// The whole stream is read first: the memory reader is several times faster
// than reading the stream line by line and gives the same sections.
bool IniFile::ParseINIFile(FILE* stream) {
    std::string text;
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0)
        text.append(chunk, got);
    return ParseINIText(text.data(), text.size());
}

void IniFile::ParseSection(FILE* stream, section& into) {
    ini::StreamSource source(stream);
    ini::ParseSectionBody(source, into);
    DropIndex();
}

bool IniFile::WriteSections(FILE* stream) {
    std::string text;
    ini::AppendSections(sections_, text);
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

bool IniFile::WriteKeys(section& from, FILE* stream) {
    std::string text;
    ini::AppendKeys(from, text);
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

} // namespace REDudi
