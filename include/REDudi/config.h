// Configuration: INI files and in-memory property bags. The bags implement
// the parameter-provider interfaces through which the template preprocessors
// read their variables.
#pragma once

#include <REDudi/export.h>
#include <REDudi/strings.h>

#include <cstdio>
#include <exception>
#include <list>
#include <map>
#include <vector>

// ---------------------------------------------------------------------------
// INI file
// ---------------------------------------------------------------------------

// Receives every section/key/value triple of an IniFile in file order.
// Returning false stops the enumeration.
class IIniFileEnumerator {
public:
    virtual bool EnumerateKeyValuePairsUserCallback(const char* section, const char* key,
                                                    const char* value) = 0;
};

namespace REDudi {

class AFileSpec;
class IniFileIndex;

// An INI file held in memory: sections in file order, each with its keys in
// file order. Lookups ignore case and take the first match, so duplicated
// sections and keys are kept but shadowed. Section names containing
// backslashes form a hierarchy (Parent\Child). Changes are written back by
// Write(), Close() and the destructor; comments, blank lines and keys before
// the first section are not kept.
class REDUDI_API IniFile {
public:
    // Raised by FindSection and FindKey; caught by every other operation.
    class REDUDI_API INIexception : public std::exception {
    public:
        const char* what() const noexcept override;
    };

    // A name and a value, each an owned NUL-terminated array (the value may
    // be null).
    class REDUDI_API key {
    public:
        key(const char* name, const char* value);
        key(const char* name, size_t nameLength, const char* value, size_t valueLength);
        key(const key& other);
        key& operator=(const key& other);
        virtual ~key();

        virtual const char* GetValue() const;
        virtual char* GetValue();

        // Replaces the value with a copy of `value` (null allowed).
        void SetValue(const char* value);

        char* name;
        char* value;

    protected:
        // A key that does not own `name` (sections made from a caller's text).
        explicit key(char* borrowedName);
    };

    // A section: the key's name is the section name and its value stays null.
    class REDUDI_API section : public key {
    public:
        // With copyName false the section refers to the caller's text, which
        // must outlive it; a copy of a section always owns its name.
        section(const char* name, bool copyName = true);
        section(const char* name, size_t nameLength);
        section(const section& other);
        section& operator=(const section& other);
        ~section() override;

        const char* GetValue() const override;
        char* GetValue() override;

        std::list<key> keys;
        bool ownsName;
    };

    IniFile();
    IniFile(const IniFile& other);
    IniFile& operator=(const IniFile& other);
    virtual ~IniFile();

    bool Open(char* path);
    bool Open(const AFileSpec& file);
    bool Read();
    bool Write();
    bool Close();

    char* GetString(const char* section, const char* key, const char* defaultValue, char* buffer,
                    unsigned int size);
    // Length-prefixed result: buffer[0] holds the length (at most 255 and at
    // most size - 1), the characters follow without a NUL.
    unsigned char* GetString(const char* section, const char* key, const char* defaultValue,
                             unsigned char* buffer, unsigned int size);
    unsigned int GetInt(const char* section, const char* key, unsigned int defaultValue);
    bool WriteString(const char* section, const char* key, const char* value);
    bool WriteInt(const char* section, const char* key, unsigned int value);
    bool DeleteSection(const char* name);
    bool DeleteKey(const char* section, const char* key);
    bool GetSection(const char* name, std::vector<char*>& keys);
    bool GetSection(const char* name, std::list<PString>& keys);
    bool GetPropertyList(const char* name, std::list<PString>& keys);
    bool GetSubKeyList(const char* parent, std::list<PString>& subKeys);
    bool EnumerateKeyValuePairs(IIniFileEnumerator* enumerator, bool& stopped);

    // First section (or key) whose name equals `name` ignoring case; raise
    // INIexception when there is none. Lookups go through tables kept in
    // step with IniFile's own operations: read the lists through these
    // references, but change them only through IniFile.
    section& FindSection(const char* name);
    key& FindKey(const char* name, const section& where);

    // The parser and the writer on open streams.
    char* ReadLine(char* buffer, int size, FILE* stream);
    int Backup(int c, FILE* stream);
    bool ParseINIFile(FILE* stream);
    void ParseSection(FILE* stream, section& into);
    // Parses text already in memory; the same rules as ParseINIFile.
    bool ParseINIText(const char* text, size_t length);
    bool WriteSections(FILE* stream);
    bool WriteKeys(section& from, FILE* stream);

    const std::list<section>& Sections() const { return sections_; }

private:
    section* LookupSection(const char* name);
    key* LookupKey(const char* name, const section& where);
    void DropIndex();

    std::list<section> sections_;
    bool dirty_;
    bool open_;
    AFileSpec* file_;
    IniFileIndex* index_;
};

// ---------------------------------------------------------------------------
// Parameter providers and property bags
// ---------------------------------------------------------------------------

// The narrow source of variables for the template preprocessor. An indexed
// variable is the name followed directly by the index in decimal.
class ParameterProvider {
public:
    virtual bool GetVariableValue(const PString& name, PString& value, unsigned int index) = 0;
    virtual bool GetVariableValue(const PString& name, PString& value) = 0;
};

// The wide source of variables: narrow names, UTF-16 values.
class ParameterProviderUnicode {
public:
    virtual bool GetVariableValue(const PString& name, UString& value, unsigned int index) = 0;
    virtual bool GetVariableValue(const PString& name, UString& value) = 0;
};

class Mutex;

// Byte-wise (case-sensitive) order of bag keys.
struct PropertyKeyOrder {
    bool operator()(const PString& a, const PString& b) const {
        return static_cast<const std::string&>(a).compare(b) < 0;
    }
};

// A thread-safe table of named narrow values, iterated in byte order of the
// keys. Set and get hold the bag's mutex; Clear() and iteration do not, so a
// bag must not be cleared or iterated while another thread changes it.
class REDUDI_API PropertyBag : public ParameterProvider {
public:
    using Entries = std::map<PString, PString, PropertyKeyOrder>;

    // A position in a bag; it takes no lock.
    class REDUDI_API Iterator {
    public:
        Iterator();
        Iterator(Entries& entries, Entries::iterator position);

        bool First();
        bool AtEnd() const;
        // True when it moved, including the move past the last entry.
        bool Next();
        bool GetKey(PString& key) const;
        bool GetValue(PString& value) const;

    private:
        Entries* entries_;
        Entries::iterator position_;
    };

    // A new empty bag owned by the caller, or null.
    static PropertyBag* GetNewPropertyBag();

    PropertyBag(const PropertyBag& other);
    PropertyBag& operator=(const PropertyBag& other);

    bool GetVariableValue(const PString& name, PString& value, unsigned int index) override;
    bool GetVariableValue(const PString& name, PString& value) override;
    virtual ~PropertyBag();

    bool SetProperty(const char* name, const char* value);
    bool SetProperty(const char* name, const char* value, unsigned int index);
    bool SetProperty(const char* name, unsigned int value);
    bool SetProperty(const char* name, unsigned int value, unsigned int index);
    bool GetProperty(const char* name, PString& value);
    bool GetProperty(const char* name, PString& value, unsigned int index);
    bool GetProperty(const char* name, unsigned int& value);
    bool GetProperty(const char* name, unsigned int& value, unsigned int index);
    bool Clear();
    Iterator Begin();

protected:
    PropertyBag();

private:
    Entries entries_;
    Mutex* mutex_;
};

// The wide twin of PropertyBag: narrow keys, UTF-16 values.
class REDUDI_API PropertyBagUnicode : public ParameterProviderUnicode {
public:
    using Entries = std::map<PString, UString, PropertyKeyOrder>;

    // A position in a bag; it takes no lock.
    class REDUDI_API Iterator {
    public:
        Iterator();
        Iterator(Entries& entries, Entries::iterator position);

        bool First();
        bool AtEnd() const;
        bool Next();
        bool GetKey(PString& key) const;
        bool GetValue(UString& value) const;

    private:
        Entries* entries_;
        Entries::iterator position_;
    };

    static PropertyBagUnicode* GetNewPropertyBag();

    PropertyBagUnicode(const PropertyBagUnicode& other);
    PropertyBagUnicode& operator=(const PropertyBagUnicode& other);

    bool GetVariableValue(const PString& name, UString& value, unsigned int index) override;
    bool GetVariableValue(const PString& name, UString& value) override;
    virtual ~PropertyBagUnicode();

    bool SetProperty(const char* name, const unsigned short* value);
    bool SetProperty(const char* name, const unsigned short* value, unsigned int index);
    bool SetProperty(const char* name, unsigned int value);
    bool SetProperty(const char* name, unsigned int value, unsigned int index);
    bool GetProperty(const char* name, UString& value);
    bool GetProperty(const char* name, UString& value, unsigned int index);
    bool GetProperty(const char* name, unsigned int& value);
    bool GetProperty(const char* name, unsigned int& value, unsigned int index);
    bool Clear();
    Iterator Begin();

protected:
    PropertyBagUnicode();

private:
    Entries entries_;
    Mutex* mutex_;
};

} // namespace REDudi

// The registry-backed property manager.
#include <REDudi/property_manager.h>
#include <REDudi/ini_import.h>
