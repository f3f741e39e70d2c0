// glibc's iconv as the reference converter of the fuzzers.
#pragma once

#include <cerrno>
#include <cstddef>
#include <iconv.h>
#include <string>

namespace fuzz {

// Converts all of `in`; false when iconv finds an invalid or incomplete
// sequence.
inline bool IconvConvert(const char* to, const char* from, const std::string& in,
                         std::string& out) {
    iconv_t handle = iconv_open(to, from);
    if (handle == reinterpret_cast<iconv_t>(-1))
        __builtin_trap();
    out.assign(in.size() * 4 + 16, '\0');
    char* source = const_cast<char*>(in.data());
    std::size_t sourceLeft = in.size();
    char* target = &out[0];
    std::size_t targetLeft = out.size();
    std::size_t result = iconv(handle, &source, &sourceLeft, &target, &targetLeft);
    iconv_close(handle);
    if (result == static_cast<std::size_t>(-1))
        return false;
    out.resize(out.size() - targetLeft);
    return true;
}

} // namespace fuzz
