#include "files/path_normalisation.h"

#include <vector>

namespace REDudi {
namespace paths {

namespace {

std::string Replaced(const std::string& path, char from, char to) {
    std::string out(path);
    for (char& c : out) {
        if (c == from)
            c = to;
    }
    return out;
}

bool EndsWith(const std::string& text, const char* tail, std::size_t length) {
    return text.size() >= length && text.compare(text.size() - length, length, tail) == 0;
}

// Whether "\\", "\.\" or "\..\" occurs anywhere in `path`.
bool HasRewritablePattern(const std::string& path) {
    const std::size_t size = path.size();
    for (std::size_t i = path.find(kDelimiter); i != std::string::npos;
         i = path.find(kDelimiter, i + 1)) {
        std::size_t next = i + 1;
        while (next < size && path[next] == '.' && next - i <= 2)
            ++next;
        if (next < size && path[next] == kDelimiter)
            return true;
    }
    return false;
}

} // namespace

std::string ToBackslashes(const std::string& path) {
    return Replaced(path, '/', kDelimiter);
}

std::string ToSlashes(const std::string& path) {
    return Replaced(path, kDelimiter, '/');
}

// Each removal leaves a delimiter that can only start a new occurrence at or
// after itself, never before; so completing the output one character at a
// time and reducing its tail finds the occurrences in the same order as the
// repeated search from the start.
std::string RemoveCurrentDirectoryReferences(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        out.push_back(c);
        if (c == kDelimiter && EndsWith(out, "\\.\\", 3))
            out.resize(out.size() - 2);
    }
    return out;
}

// The positions of the output's delimiters are kept on a stack, so that the
// delimiter before a "\..\" is found without searching back through the
// output (which would be quadratic for a long name followed by many "..\").
std::string RemoveParentDirectoryReferences(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    std::vector<std::size_t> delimiters;
    delimiters.reserve(path.size() / 2);
    for (char c : path) {
        out.push_back(c);
        if (c != kDelimiter)
            continue;
        delimiters.push_back(out.size() - 1);
        if (!EndsWith(out, "\\..\\", 4))
            continue;
        // The "\..\" starts at the second-last delimiter; the component before
        // it starts at the third-last.
        delimiters.pop_back();
        delimiters.pop_back();
        if (delimiters.empty()) {
            out.resize(out.size() - 3);
            delimiters.push_back(out.size() - 1);
        } else {
            out.resize(delimiters.back() + 1);
        }
    }
    return out;
}

std::string RemoveDuplicateDelimiters(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == kDelimiter && !out.empty() && out.back() == kDelimiter)
            continue;
        out.push_back(c);
    }
    return out;
}

std::string AppendRelative(const std::string& base, const std::string& relative) {
    if (relative.empty())
        return base;
    std::string tail = ToBackslashes(relative);
    std::size_t first = tail.find_first_not_of(kDelimiter);
    if (first == std::string::npos)
        first = tail.size();
    std::string full;
    full.reserve(base.size() + 1 + tail.size() - first);
    full.append(base).push_back(kDelimiter);
    full.append(tail, first, std::string::npos);
    // Appending a plain name to a clean path, the usual case (every entry of
    // a directory listing), has nothing to rewrite: each removal is the
    // identity on a text without its pattern.
    if (HasRewritablePattern(full))
        full = RemoveDuplicateDelimiters(
            RemoveParentDirectoryReferences(RemoveCurrentDirectoryReferences(full)));
    if (!full.empty() && full.back() == kDelimiter)
        full.pop_back();
    return full;
}

} // namespace paths
} // namespace REDudi
