// Recursive listing and recursive copy of a generated tree (2,000 files in
// 100 directories) through the file manager, against a plain loop of
// FindFirstFileA / FindNextFileA / CopyFileA (the floor) and against
// std::filesystem, all in one run. Target: the file manager within 1.3x of
// the plain loop.
#include <REDudi/files.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

using namespace REDudi;

namespace {

constexpr int kTopDirectories = 10;
constexpr int kSubdirectories = 9; // 10 + 10 * 9 = 100 directories
constexpr int kFilesPerDirectory = 20;
constexpr int kListingRounds = 7;
constexpr int kCopyRounds = 4;

void RemoveTree(const std::string& directory) {
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}

void WriteSmallFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::string content(512, 'r');
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

void FillDirectory(const std::string& directory) {
    CreateDirectoryA(directory.c_str(), nullptr);
    for (int f = 0; f < kFilesPerDirectory; ++f)
        WriteSmallFile(directory + "\\file" + std::to_string(f) + ".dat");
}

void MakeTree(const std::string& root) {
    CreateDirectoryA(root.c_str(), nullptr);
    for (int t = 0; t < kTopDirectories; ++t) {
        const std::string top = root + "\\top" + std::to_string(t);
        FillDirectory(top);
        for (int s = 0; s < kSubdirectories; ++s)
            FillDirectory(top + "\\sub" + std::to_string(s));
    }
}

// The floor: what any recursive listing must ask of Windows.
void PlainList(const std::string& directory, std::vector<std::string>& out) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = directory + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            PlainList(path, out);
        else
            out.push_back(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void PlainCopy(const std::string& source, const std::string& destination) {
    CreateDirectoryA(destination.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((source + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            PlainCopy(source + "\\" + name, destination + "\\" + name);
        else
            CopyFileA((source + "\\" + name).c_str(), (destination + "\\" + name).c_str(), FALSE);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

AFileSpec At(const std::string& path) {
    AFileSpec spec;
    spec.SetFromMarshalledIQVFileSpec(path.data(), static_cast<unsigned int>(path.size()));
    return spec;
}

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / frequency.QuadPart;
}

struct Contender {
    std::function<void()> work;
    double best = 0;
};

// Rounds alternate between the contenders, so that a busy moment of the
// machine hits them alike; each keeps its best round. `reset` runs untimed
// before every round, `complete` after it: false when the work fell short.
bool Race(std::vector<Contender>& contenders, int rounds, const std::function<void()>& reset,
          const std::function<bool()>& complete) {
    bool allComplete = true;
    for (Contender& contender : contenders)
        contender.best = 1e300;
    for (int round = 0; round < rounds; ++round) {
        // Each round starts with another contender, so that none always runs
        // right after the untimed reset.
        for (std::size_t turn = 0; turn < contenders.size(); ++turn) {
            Contender& contender = contenders[(round + turn) % contenders.size()];
            reset();
            const double start = Seconds();
            contender.work();
            contender.best = std::min(contender.best, Seconds() - start);
            allComplete = complete() && allComplete;
        }
    }
    return allComplete;
}

void PrintRow(const char* what, double manager, double plain, double peer) {
    std::printf("%-8s %14.1f %14.1f %16.1f %10.2fx %12.2fx\n", what, manager * 1e3, plain * 1e3,
                peer * 1e3, manager / plain, peer / plain);
}

} // namespace

int main() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string base = std::string(temp) + "redudi_file_tree_bench";
    const std::string source = base + "\\source";
    const std::string copy = base + "\\copy";
    RemoveTree(base);
    CreateDirectoryA(base.c_str(), nullptr);
    MakeTree(source);

    std::unique_ptr<FileManager> manager(FileManager::GetNewFileManager());
    const std::size_t expected = kTopDirectories * (1 + kSubdirectories) * kFilesPerDirectory;
    std::size_t listed = 0;
    std::vector<Contender> listing = {
        {[&] {
            std::list<AFileSpec> files;
            manager->GetFileListing(files, At(source), true);
            listed = files.size();
        }},
        {[&] {
            std::vector<std::string> files;
            PlainList(source, files);
            listed = files.size();
        }},
        {[&] {
            listed = 0;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(source))
                listed += entry.is_regular_file();
        }},
    };
    const bool listingComplete = Race(
        listing, kListingRounds, [] {}, [&] { return listed == expected; });

    std::vector<Contender> copying = {
        {[&] {
            CreateDirectoryA(copy.c_str(), nullptr);
            manager->CopyDir(At(source), At(copy), true, true, true);
        }},
        {[&] {
            CreateDirectoryA(copy.c_str(), nullptr);
            PlainCopy(source, copy + "\\source");
        }},
        {[&] {
            std::filesystem::create_directory(copy);
            std::filesystem::copy(source, copy + "\\source",
                                  std::filesystem::copy_options::recursive);
        }},
    };
    const bool copyComplete = Race(
        copying, kCopyRounds, [&] { RemoveTree(copy); },
        [&] {
            std::vector<std::string> copied;
            PlainList(copy, copied);
            return copied.size() == expected;
        });
    RemoveTree(base);

    std::printf("%zu files in %d directories, best of %d listing and %d copy rounds, "
                "milliseconds\n",
                expected, kTopDirectories * (1 + kSubdirectories), kListingRounds, kCopyRounds);
    std::printf("%-8s %14s %14s %16s %11s %13s\n", "", "file manager", "plain Win32",
                "std::filesystem", "manager", "filesystem");
    PrintRow("listing", listing[0].best, listing[1].best, listing[2].best);
    PrintRow("copy", copying[0].best, copying[1].best, copying[2].best);
    std::printf("target: the file manager within 1.3x of the plain Win32 loop\n");
    if (!listingComplete || !copyComplete) {
        std::fprintf(stderr, "a contender did not list or copy all %zu files\n", expected);
        return 1;
    }
    return 0;
}
