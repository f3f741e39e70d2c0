#include <REDudi/files.h>
#include <REDudi/platform.h>

#include <cctype>
#include <cstdio>

namespace REDudi {

FileSpec::FileSpec() {}

FileSpec::FileSpec(const FileSpec&) {}

FileSpec& FileSpec::operator=(const FileSpec&) {
    return *this;
}

FileSpec::~FileSpec() {}

namespace {

bool StaysInUrl(unsigned char c) {
    return std::isalpha(c) || std::isdigit(c) || c == ':' || c == '/' || c == ',' || c == '.';
}

} // namespace

// Backslashes are escaped like every other character outside the kept set,
// not turned into slashes.
PString FileSpec::GetURL() {
    PString path = GetFullPath();
    PString url("file://");
    url.reserve(url.size() + 3 * path.size());
    for (char c : path) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (StaysInUrl(byte)) {
            url += c;
            continue;
        }
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02x", byte);
        url += escaped;
    }
    return url;
}

} // namespace REDudi
