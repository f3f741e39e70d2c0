// Settings kept in the registry as named properties below a properties root
// under HKEY_LOCAL_MACHINE. A property path such as /Network/Proxy/Port names
// the key Network\Proxy below the root and its value Port; every value is
// stored as REG_SZ text, typed values in their text form.
#pragma once

#include <REDudi/export.h>
#include <REDudi/strings.h>

#include <list>

namespace REDudi {

// Enumeration callbacks: the name of a sub-key; a value's name and data.
typedef void (*SubKeyCallback)(char* name, void* context);
typedef void (*WidePropertyCallback)(char* name, const unsigned short* data, void* context);
typedef void (*PropertyCallback)(char* name, unsigned char* data, void* context);

// The interface of the property manager: typed properties read, written,
// enumerated and deleted below a properties root; false on any failure.
class REDUDI_API PropertyManager {
public:
    PropertyManager();
    PropertyManager(const PropertyManager& other);
    PropertyManager& operator=(const PropertyManager& other);

    virtual void SetPropertiesRoot(const PString& root);
    virtual PString GetPropertiesRoot() const;
    // True once the root is not empty.
    virtual bool IsValid() const;
    // Typed reads leave `value` untouched when the property cannot be read;
    // "true" (exactly) reads as true, any other text as false.
    virtual bool GetProperty(const PString& path, bool& value);
    virtual bool GetProperty(const PString& path, float& value);
    virtual bool GetProperty(const PString& path, unsigned int& value);
    virtual bool GetProperty(const PString& path, int& value);
    virtual bool GetProperty(const PString& path, UString& value) = 0;
    virtual bool GetProperty(const PString& path, PString& value) = 0;
    virtual bool SetProperty(const PString& path, bool value);
    virtual bool SetProperty(const PString& path, const float& value);
    virtual bool SetProperty(const PString& path, unsigned int value);
    virtual bool SetProperty(const PString& path, int value);
    virtual bool SetProperty(const PString& path, const UString& value) = 0;
    // Writes nothing when the stored text equals `value` ignoring case.
    virtual bool SetProperty(const PString& path, const PString& value) = 0;
    virtual bool UnsetProperty(const PString& path) = 0;
    // Deletes the key and everything below it.
    virtual bool DeleteKey(const PString& path) = 0;
    virtual bool QuerySubKeys(const PString& path, SubKeyCallback callback, void* context) = 0;
    // Throws the int 123 when a name cannot be converted.
    virtual bool QueryProperties(const PString& path, WidePropertyCallback callback,
                                 void* context) = 0;
    virtual bool QueryProperties(const PString& path, PropertyCallback callback, void* context) = 0;
    virtual bool GetSubKeyList(const PString& path, std::list<PString>& names) = 0;
    // False when a value with more than 256 bytes of data ended the list early.
    virtual bool GetPropertyList(const PString& path, std::list<PString>& names) = 0;
    virtual bool DoesKeyExist(const PString& path);
    virtual void FlushPendingChanges();
    virtual ~PropertyManager();

    // A text literal would otherwise convert to bool and be stored as "true".
    bool SetProperty(const PString& path, const char* value);
    bool SetProperty(const PString& path, const char16_t* value);
    bool SetProperty(const PString& path, const unsigned short* value);
#if defined(_WIN32)
    bool SetProperty(const PString& path, const wchar_t* value);
#endif

    // A new manager owned by the caller, or null. The root is taken as
    // given, without the trimming SetPropertiesRoot applies.
    static PropertyManager* GetNewPropertyManager();
    static PropertyManager* GetNewPropertyManager(const PString& root);

private:
    PString root_;
};

// The exported property manager. Every property operation fails without
// touching the registry until the manager has a non-empty root.
class REDUDI_API APropertyManager {
public:
    APropertyManager();
    APropertyManager(const PString& root);
    APropertyManager(const APropertyManager& other);
    APropertyManager& operator=(const APropertyManager& other);

    virtual ~APropertyManager();
    virtual PString GetPropertiesRoot() const;
    // Leading and trailing "/" and "\" are trimmed.
    virtual void SetPropertiesRoot(const PString& root);
    virtual bool IsValid() const;
    virtual bool GetProperty(const PString& path, bool& value);
    virtual bool GetProperty(const PString& path, float& value);
    virtual bool GetProperty(const PString& path, unsigned int& value);
    virtual bool GetProperty(const PString& path, int& value);
    virtual bool GetProperty(const PString& path, UString& value);
    virtual bool GetProperty(const PString& path, PString& value);
    virtual bool SetProperty(const PString& path, bool value);
    virtual bool SetProperty(const PString& path, const float& value);
    virtual bool SetProperty(const PString& path, unsigned int value);
    virtual bool SetProperty(const PString& path, int value);
    virtual bool SetProperty(const PString& path, const UString& value);
    virtual bool SetProperty(const PString& path, const PString& value);
    virtual bool UnsetProperty(const PString& path);
    virtual bool DeleteKey(const PString& path);
    virtual bool QuerySubKeys(const PString& path, SubKeyCallback callback, void* context);
    virtual bool QueryProperties(const PString& path, WidePropertyCallback callback, void* context);
    virtual bool QueryProperties(const PString& path, PropertyCallback callback, void* context);
    virtual bool GetSubKeyList(const PString& path, std::list<PString>& names);
    virtual bool GetPropertyList(const PString& path, std::list<PString>& names);
    virtual bool DoesKeyExist(const PString& path);

    // A text literal would otherwise convert to bool and be stored as "true".
    bool SetProperty(const PString& path, const char* value);
    bool SetProperty(const PString& path, const char16_t* value);
    bool SetProperty(const PString& path, const unsigned short* value);
#if defined(_WIN32)
    bool SetProperty(const PString& path, const wchar_t* value);
#endif

private:
    PropertyManager* manager_;
};

} // namespace REDudi
