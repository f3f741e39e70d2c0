// The path rewriting done literally: search the whole text from the start
// for the first occurrence, substitute it, and begin again until none is
// left. Quadratic, and obviously right; the reference the single-pass
// rewriting is checked and measured against.
#pragma once

#include <algorithm>
#include <string>

namespace fuzz {

inline std::string ReferenceToBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

inline std::string ReferenceRemoveCurrent(std::string path) {
    for (std::size_t p = path.find("\\.\\"); p != std::string::npos; p = path.find("\\.\\"))
        path.replace(p, 3, "\\");
    return path;
}

// A "\..\" with no delimiter before it is dropped to a single delimiter.
inline std::string ReferenceRemoveParent(std::string path) {
    for (std::size_t p = path.find("\\..\\"); p != std::string::npos; p = path.find("\\..\\")) {
        const std::size_t q = p == 0 ? std::string::npos : path.rfind('\\', p - 1);
        if (q == std::string::npos)
            path.replace(p, 4, "\\");
        else
            path.replace(q, p + 4 - q, "\\");
    }
    return path;
}

inline std::string ReferenceRemoveDuplicates(std::string path) {
    for (std::size_t p = path.find("\\\\"); p != std::string::npos; p = path.find("\\\\"))
        path.replace(p, 2, "\\");
    return path;
}

inline std::string ReferenceAppendRelative(const std::string& base, const std::string& relative) {
    if (relative.empty())
        return base;
    std::string tail = ReferenceToBackslashes(relative);
    while (!tail.empty() && tail[0] == '\\')
        tail.erase(0, 1);
    std::string full = base + "\\" + tail;
    full = ReferenceRemoveDuplicates(ReferenceRemoveParent(ReferenceRemoveCurrent(full)));
    if (!full.empty() && full.back() == '\\')
        full.pop_back();
    return full;
}

} // namespace fuzz
