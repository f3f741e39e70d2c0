// The INI reader, over text in memory or over a C stream. Lines are taken
// the way fgets takes them into the 1024-byte line buffer: at most 1022
// characters at a time, so that a longer line continues as the next line,
// and only the text before an embedded NUL counts.
#pragma once

#include "config/ini_text.h"

#include <REDudi/config.h>

#include <cstdio>
#include <cstring>

namespace REDudi {
namespace ini {

constexpr size_t kLineBufferSize = 1024;
constexpr size_t kLineChars = kLineBufferSize - 2;

struct Text {
    const char* begin;
    const char* end;
};

class MemorySource {
public:
    MemorySource(const char* text, size_t length) : pos_(text), end_(text + length) {}

    int Get() { return pos_ < end_ ? static_cast<unsigned char>(*pos_++) : EOF; }
    void Unget() { --pos_; }

    bool Line(Text& line) {
        if (pos_ >= end_)
            return false;
        size_t room = static_cast<size_t>(end_ - pos_);
        const char* limit = pos_ + (room < kLineChars ? room : kLineChars);
        const char* newline = static_cast<const char*>(std::memchr(pos_, '\n', limit - pos_));
        const char* chunkEnd = newline != nullptr ? newline + 1 : limit;
        const char* nul = static_cast<const char*>(std::memchr(pos_, '\0', chunkEnd - pos_));
        line.begin = pos_;
        line.end = nul != nullptr ? nul : chunkEnd;
        pos_ = chunkEnd;
        return true;
    }

    // The line whose first character `Get` just returned.
    void RestOfLine(Text& line) {
        Unget();
        Line(line);
    }

    void SkipLine() {
        const char* newline = static_cast<const char*>(std::memchr(pos_, '\n', end_ - pos_));
        pos_ = newline != nullptr ? newline + 1 : end_;
    }

private:
    const char* pos_;
    const char* end_;
};

class StreamSource {
public:
    explicit StreamSource(FILE* stream) : stream_(stream) {}

    int Get() { return std::fgetc(stream_); }
    void Unget() { std::ungetc(last_, stream_); }

    bool Line(Text& line) {
        if (std::fgets(buffer_, static_cast<int>(kLineChars + 1), stream_) == nullptr)
            return false;
        line.begin = buffer_;
        line.end = buffer_ + std::strlen(buffer_);
        return true;
    }

    void RestOfLine(Text& line) {
        buffer_[0] = static_cast<char>(last_);
        if (std::fgets(buffer_ + 1, static_cast<int>(kLineChars), stream_) == nullptr)
            buffer_[1] = '\0';
        line.begin = buffer_;
        line.end = buffer_ + std::strlen(buffer_);
    }

    void SkipLine() {
        while (std::fgets(buffer_, static_cast<int>(kLineChars + 1), stream_) != nullptr) {
            size_t length = std::strlen(buffer_);
            if (length > 0 && buffer_[length - 1] == '\n')
                return;
        }
    }

    void Remember(int c) { last_ = c; }

private:
    FILE* stream_;
    int last_ = EOF;
    char buffer_[kLineBufferSize];
};

inline void Remember(MemorySource&, int) {}
inline void Remember(StreamSource& source, int c) {
    source.Remember(c);
}

// Characters that end a key's name ('=') or its value.
inline bool IsKeyLineStop(unsigned char c) {
    return c == '=' || c == '#' || c == ';' || c == '\r' || c == '\n';
}

inline bool IsValueStop(unsigned char c) {
    return c == '#' || c == ';' || c == '\r' || c == '\n';
}

// A key line `name = value ; comment`. A line in which a comment mark comes
// before the first '=' is a comment from that mark on, so it holds no key.
inline void AddKeyLine(Text line, IniFile::section& into) {
    const char* eq = line.begin;
    while (eq < line.end && !IsKeyLineStop(static_cast<unsigned char>(*eq)))
        ++eq;
    if (eq == line.end || *eq != '=')
        return;
    const char* nameEnd = eq;
    while (nameEnd > line.begin && IsSpace(static_cast<unsigned char>(nameEnd[-1])))
        --nameEnd;
    const char* valueEnd = eq + 1;
    while (valueEnd < line.end && !IsValueStop(static_cast<unsigned char>(*valueEnd)))
        ++valueEnd;
    const char* value = eq + 1;
    while (value < valueEnd && IsSpace(static_cast<unsigned char>(*value)))
        ++value;
    while (valueEnd > value && IsSpace(static_cast<unsigned char>(valueEnd[-1])))
        --valueEnd;
    into.keys.emplace_back(line.begin, static_cast<size_t>(nameEnd - line.begin), value,
                           static_cast<size_t>(valueEnd - value));
}

// Key lines up to the next section header (left unread) or the end.
template <class Source>
void ParseSectionBody(Source& source, IniFile::section& into) {
    for (;;) {
        int c;
        do {
            c = source.Get();
        } while (c != EOF && IsSpace(static_cast<unsigned char>(c)));
        if (c == EOF)
            return;
        Remember(source, c);
        if (c == '#' || c == ';' || c == '=') {
            source.SkipLine();
            continue;
        }
        if (c == '[') {
            source.Unget();
            return;
        }
        Text line;
        source.RestOfLine(line);
        AddKeyLine(line, into);
    }
}

// Sections in file order; lines outside a section are skipped, and so is a
// '[' line without ']'.
template <class Source>
void ParseSections(Source& source, std::list<IniFile::section>& sections) {
    Text line;
    while (source.Line(line)) {
        const char* p = line.begin;
        while (p < line.end && IsSpace(static_cast<unsigned char>(*p)))
            ++p;
        if (p == line.end || *p != '[')
            continue;
        ++p;
        const char* close = static_cast<const char*>(std::memchr(p, ']', line.end - p));
        if (close == nullptr)
            continue;
        sections.emplace_back(p, static_cast<size_t>(close - p));
        ParseSectionBody(source, sections.back());
    }
}

} // namespace ini
} // namespace REDudi
