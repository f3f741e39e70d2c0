#include "config/property_paths.h"

namespace REDudi {
namespace property_paths {

namespace {

void TrimLeading(PString& text, char c) {
    text.erase(0, text.find_first_not_of(c));
}

void TrimTrailing(PString& text, char c) {
    std::size_t last = text.find_last_not_of(c);
    text.erase(last == PString::npos ? 0 : last + 1);
}

// The registry's own case folding is not locale-dependent either.
char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

void TrimRoot(PString& root) {
    TrimLeading(root, '/');
    TrimLeading(root, '\\');
    TrimTrailing(root, '/');
    TrimTrailing(root, '\\');
}

void SlashHandler(PString& text) {
    if (text.empty())
        return;
    TrimTrailing(text, '/');
    for (char& c : text) {
        if (c == '/')
            c = '\\';
    }
}

bool BeginsWithRoot(const PString& path, const PString& root) {
    if (path.size() < root.size())
        return false;
    for (std::size_t i = 0; i < root.size(); ++i) {
        // A NUL ends both texts for the comparison, as in C string functions.
        if (root[i] == '\0')
            return path[i] == '\0';
        if (LowerAscii(path[i]) != LowerAscii(root[i]))
            return false;
    }
    return true;
}

void PrefixWithRoot(const PString& root, PString& path) {
    if (!BeginsWithRoot(path, root))
        path.insert(0, root);
}

void ConvertToRegKey(const PString& root, const PString& path, PString& key, PString& name) {
    std::size_t slash = path.rfind('/');
    if (slash == PString::npos)
        return;
    key.assign(path, 0, slash + 1);
    name.assign(path, slash + 1, PString::npos);
    // The whole path is tested, not just the part that becomes the key.
    if (!BeginsWithRoot(path, root))
        key.insert(0, root);
    SlashHandler(key);
}

} // namespace property_paths
} // namespace REDudi
