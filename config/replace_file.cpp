#include "config/replace_file.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace REDudi {

namespace {

// A name beside `path` that no other save of this process uses at the same
// time; the clock and address parts keep two processes apart.
std::string TemporaryNameBeside(const std::string& path) {
    static std::atomic<unsigned int> counter{0};
    char suffix[48];
    unsigned long long stamp =
        static_cast<unsigned long long>(
            std::chrono::steady_clock::now().time_since_epoch().count()) ^
        static_cast<unsigned long long>(std::time(nullptr)) ^
        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(&counter));
    std::snprintf(suffix, sizeof suffix, ".%llx-%u.tmp", stamp, counter++);
    return path + suffix;
}

} // namespace

bool ReplaceFileContent(const std::string& path, const std::string& content) {
    if (path.empty())
        return false;
    std::string temporary = TemporaryNameBeside(path);
    FILE* stream = std::fopen(temporary.c_str(), "w");
    if (stream == nullptr)
        return false;
    bool written = std::fwrite(content.data(), 1, content.size(), stream) == content.size();
    written = std::fflush(stream) == 0 && written;
    written = std::fclose(stream) == 0 && written;
    if (written && MoveFileOver(temporary, path))
        return true;
    std::remove(temporary.c_str());
    return false;
}

} // namespace REDudi
