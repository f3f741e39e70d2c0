#include "files/win32/tree_containment.h"

#include <windows.h>

#include <vector>

namespace REDudi {

namespace {

// The resolved, upper-cased path without an ending delimiter; the text as it
// is when Windows cannot resolve it.
std::string Canonical(const PString& path) {
    std::string resolved(path);
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed != 0) {
        std::vector<char> buffer(needed + 1, '\0');
        const DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), nullptr);
        if (length != 0 && length < buffer.size())
            resolved.assign(buffer.data(), length);
    }
    while (!resolved.empty() && resolved.back() == '\\')
        resolved.pop_back();
    if (!resolved.empty())
        CharUpperBuffA(&resolved[0], static_cast<DWORD>(resolved.size()));
    return resolved;
}

} // namespace

bool IsInsideTree(const PString& outer, const PString& inner) {
    const std::string container = Canonical(outer);
    const std::string candidate = Canonical(inner);
    return candidate.size() > container.size() + 1 &&
           candidate.compare(0, container.size(), container) == 0 &&
           candidate[container.size()] == '\\';
}

bool IsSamePlace(const PString& first, const PString& second) {
    return Canonical(first) == Canonical(second);
}

} // namespace REDudi
