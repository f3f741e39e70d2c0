// Narrow and 16-bit string classes, and the conversions between the
// library's 16-bit (UTF-16) text and ANSI, ASCII, UTF-8 and UTF-32.
#pragma once

#include <REDudi/export.h>

#include <cstddef>
#include <string>
#include <utility>

namespace REDudi {

// The standard strings behind the library's text types. The 16-bit unit is
// spelt `unsigned short` so that the same declarations hold on every target.
using UnicodeStdString = std::basic_string<unsigned short>;
using Utf8StdString = std::basic_string<unsigned char>;
using Utf32StdString = std::basic_string<unsigned int>;

// A standard string with the library's virtual operations added. The virtual
// functions are declared in a fixed order, because that order is part of the
// class's binary layout; do not reorder them.
template <class S>
class BasicString : public S {
public:
    using StdString = S;
    using CharT = typename S::value_type;

    BasicString() = default;
    BasicString(const CharT* text) : S(text) {}
    BasicString(const CharT* text, unsigned int length) : S(text, length) {}
    BasicString(const S& other) : S(other) {}
    BasicString(S&& other) noexcept : S(std::move(other)) {}
    BasicString(const BasicString& other) : S(other) {}
    BasicString(BasicString&& other) noexcept : S(std::move(other)) {}
    template <class Iterator>
    BasicString(Iterator first, Iterator last) : S(first, last) {}

    // Slot 0.
    virtual ~BasicString() {}

    // Slots 1 and 2.
    virtual BasicString& operator=(const BasicString& other) {
        if (this != &other)
            Assign(other);
        return *this;
    }
    virtual BasicString& operator=(CharT c) { return Assign(c); }

    // Slots 3 to 20: each comparison with a C string, a unit and a string.
    virtual bool operator==(const CharT* text) const { return *this == BasicString(text); }
    virtual bool operator==(CharT c) const { return *this == FromUnit(c); }
    virtual bool operator==(const BasicString& other) const {
        return static_cast<const S&>(*this) == static_cast<const S&>(other);
    }
    virtual bool operator!=(const CharT* text) const { return !(*this == text); }
    virtual bool operator!=(CharT c) const { return !(*this == c); }
    virtual bool operator!=(const BasicString& other) const { return !(*this == other); }
    virtual bool operator<(const CharT* text) const { return *this < BasicString(text); }
    virtual bool operator<(CharT c) const { return *this < FromUnit(c); }
    virtual bool operator<(const BasicString& other) const { return S::compare(other) < 0; }
    virtual bool operator<=(const CharT* text) const { return *this <= BasicString(text); }
    virtual bool operator<=(CharT c) const { return *this <= FromUnit(c); }
    virtual bool operator<=(const BasicString& other) const { return !(other < *this); }
    virtual bool operator>(const CharT* text) const { return *this > BasicString(text); }
    virtual bool operator>(CharT c) const { return *this > FromUnit(c); }
    virtual bool operator>(const BasicString& other) const { return other < *this; }
    virtual bool operator>=(const CharT* text) const { return *this >= BasicString(text); }
    virtual bool operator>=(CharT c) const { return *this >= FromUnit(c); }
    virtual bool operator>=(const BasicString& other) const { return !(*this < other); }

    // Slots 21 and 22.
    virtual BasicString& Assign(const BasicString& other) {
        S::assign(other);
        return *this;
    }
    virtual BasicString& Assign(CharT c) {
        S::erase();
        S::push_back(c);
        return *this;
    }

    // Slots 23 to 25.
    virtual BasicString& operator+=(const BasicString& other) {
        S::append(other);
        return *this;
    }
    virtual BasicString& operator+=(const CharT* text) {
        S::append(text);
        return *this;
    }
    virtual BasicString& operator+=(CharT c) {
        S::push_back(c);
        return *this;
    }

    // Slots 26 and 27. Inserting before an absent text throws out_of_range
    // from the standard insert, before anything changes.
    virtual BasicString& InsertBefore(const BasicString& what, const BasicString& text) {
        S::insert(S::find(what), text);
        return *this;
    }
    virtual BasicString& InsertBefore(CharT what, const CharT* text) {
        S::insert(S::find(what), text);
        return *this;
    }

    // Slots 28 to 31.
    virtual BasicString Left(unsigned int count) const { return BasicString(S::substr(0, count)); }
    virtual BasicString Right(unsigned int count) const {
        if (count > S::size())
            return *this;
        return BasicString(S::substr(S::size() - count));
    }
    virtual BasicString Mid(unsigned int pos, unsigned int count) const {
        return BasicString(S::substr(pos, count));
    }
    virtual BasicString Mid(unsigned int pos) const {
        if (pos > S::size())
            return BasicString();
        return BasicString(S::substr(pos));
    }

    // Slots 32 to 34. The search resumes after each inserted replacement, so
    // text produced by a replacement is never replaced again.
    virtual BasicString& ReplaceAll(CharT what, const BasicString& with) {
        return ReplaceUnit(what, with.data(), with.size());
    }
    virtual BasicString& ReplaceAll(const BasicString& what, const BasicString& with) {
        if (what.empty())
            return *this;
        for (std::size_t pos = S::find(what); pos != S::npos; pos = S::find(what, pos)) {
            S::replace(pos, what.size(), with);
            pos += with.size();
        }
        return *this;
    }
    virtual BasicString& ReplaceAll(CharT what, const CharT* with) {
        return ReplaceUnit(what, with, S::traits_type::length(with));
    }

    // Slots 35 and 36.
    virtual int Compare(const BasicString& other) const { return S::compare(other); }
    virtual int Compare(CharT c) const { return Compare(FromUnit(c)); }

    // Not virtual: puts `text` in front of the current content.
    BasicString& Prepend(const BasicString& text) {
        BasicString old(static_cast<const S&>(*this));
        Assign(text);
        *this += old;
        return *this;
    }

    // Every assignment goes through the virtual Assign, so that a derived
    // class that overrides it sees them all; a temporary is copied, not moved.
    BasicString& operator=(BasicString&& other) {
        if (this != &other)
            Assign(other);
        return *this;
    }
    BasicString& operator=(const CharT* text) { return Assign(BasicString(text)); }
    BasicString& operator=(const S& other) {
        if (static_cast<const S*>(this) != &other)
            Assign(BasicString(other));
        return *this;
    }

private:
    static BasicString FromUnit(CharT c) {
        BasicString unit;
        unit.Assign(c);
        return unit;
    }

    BasicString& ReplaceUnit(CharT what, const CharT* with, std::size_t withLength) {
        for (std::size_t pos = S::find(what); pos != S::npos; pos = S::find(what, pos)) {
            S::replace(pos, 1, with, withLength);
            pos += withLength;
        }
        return *this;
    }
};

// Narrow text: bytes in the system's ANSI code page, or UTF-8 by agreement.
class REDUDI_API PString : public BasicString<std::string> {
public:
    using Base = BasicString<std::string>;
    using Base::Base;
    PString() = default;
    PString(const Base& other) : Base(other) {}
    PString(Base&& other) noexcept : Base(std::move(other)) {}
    PString(const PString& other) : Base(other) {}
    PString(PString&& other) noexcept : Base(std::move(other)) {}
    ~PString() override;

    PString& operator=(const PString& other) {
        if (this != &other)
            Assign(other);
        return *this;
    }
    PString& operator=(PString&& other) {
        if (this != &other)
            Assign(other);
        return *this;
    }
    using Base::operator=;

    // Slots 37 to 40: case-insensitive comparison of a range of this string.
    // Bytes are compared as signed chars after toupper, so bytes 0x80-0xFF
    // order before ASCII. The result is always -1, 0 or 1.
    virtual int CompareNoCase(unsigned int pos, unsigned int count, const char* text,
                              unsigned int textLength) const;
    virtual int CompareNoCase(unsigned int pos, unsigned int count, const Base& other,
                              unsigned int otherPos, unsigned int otherCount) const;
    virtual int CompareNoCase(unsigned int pos, unsigned int count, const Base& other) const;
    virtual int CompareNoCase(const Base& other) const;
};

// 16-bit text, UTF-16 by convention; every operation works on single units.
class REDUDI_API UString : public BasicString<UnicodeStdString> {
public:
    using Base = BasicString<UnicodeStdString>;
    using Base::Base;
    UString() = default;
    UString(const Base& other) : Base(other) {}
    UString(Base&& other) noexcept : Base(std::move(other)) {}
    UString(const UString& other) : Base(other) {}
    UString(UString&& other) noexcept : Base(std::move(other)) {}
    ~UString() override;

    UString& operator=(const UString& other) {
        if (this != &other)
            Assign(other);
        return *this;
    }
    UString& operator=(UString&& other) {
        if (this != &other)
            Assign(other);
        return *this;
    }
    using Base::operator=;
};

// Conversions between 16-bit text and other forms. Each returns false when
// the input cannot be represented exactly in the target form.
REDUDI_API bool ConvertUnicodeToANSI(const UnicodeStdString& in, std::string& out);
REDUDI_API bool ConvertANSIToUnicode(const std::string& in, UnicodeStdString& out);
REDUDI_API bool ConvertUnicodeToASCII(const UnicodeStdString& in, std::string& out);
REDUDI_API bool ConvertASCIIToUnicode(const std::string& in, UnicodeStdString& out);
REDUDI_API bool ConvertUnicodeToUTF8(const UnicodeStdString& in, Utf8StdString& out);
REDUDI_API bool ConvertUTF8ToUnicode(const Utf8StdString& in, UnicodeStdString& out);
REDUDI_API bool ConvertUnicodeToUTF32(const UnicodeStdString& in, Utf32StdString& out);
REDUDI_API bool ConvertUTF32ToUnicode(const Utf32StdString& in, UnicodeStdString& out);

} // namespace REDudi

#include <REDudi/locale_names.h>
