// ANSI conversions through the process's ANSI code page. Both leave the
// output untouched when they fail.
#include <REDudi/strings.h>

#include <windows.h>

#include <vector>

namespace REDudi {

bool ConvertUnicodeToANSI(const UnicodeStdString& in, std::string& out) {
    if (in.empty()) {
        out.clear();
        return true;
    }
    const wchar_t* units = reinterpret_cast<const wchar_t*>(in.data());
    const int count = static_cast<int>(in.size());
    BOOL usedDefault = FALSE;
    int needed = WideCharToMultiByte(CP_ACP, 0, units, count, nullptr, 0, nullptr, &usedDefault);
    if (needed == 0)
        return false;
    std::vector<char> buffer(needed);
    usedDefault = FALSE;
    int written =
        WideCharToMultiByte(CP_ACP, 0, units, count, buffer.data(), needed, nullptr, &usedDefault);
    if (written == 0 || usedDefault)
        return false;
    out.assign(buffer.data(), written);
    return true;
}

bool ConvertANSIToUnicode(const std::string& in, UnicodeStdString& out) {
    if (in.empty()) {
        out.clear();
        return true;
    }
    const int count = static_cast<int>(in.size());
    int needed = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, in.data(), count, nullptr, 0);
    if (needed == 0)
        return false;
    std::vector<wchar_t> buffer(needed);
    int written =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, in.data(), count, buffer.data(), needed);
    if (written == 0)
        return false;
    const unsigned short* units = reinterpret_cast<const unsigned short*>(buffer.data());
    out.assign(units, units + written);
    return true;
}

} // namespace REDudi
