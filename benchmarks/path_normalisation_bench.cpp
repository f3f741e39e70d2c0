// Appending a relative path costs time linear in its length: the single-pass
// rewriting against the literal repeated substitution, for paths of 1 KB,
// 16 KB and 256 KB made of names, ".", ".." and doubled delimiters.
// Target: the time per byte of the largest path within 1.5x of the smallest's.
#include "files/path_normalisation.h"
#include "fuzz/path_reference.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <time.h>

namespace {

// Every rule fires in each repetition of the pattern.
std::string RelativePathOf(std::size_t bytes) {
    const std::string pattern = "name\\.\\sub\\..\\x\\\\long_name/.\\";
    std::string path;
    while (path.size() + pattern.size() <= bytes)
        path += pattern;
    path.append(bytes - path.size(), 'z');
    return path;
}

// The thread's processor time, so that other work on the machine does not
// count.
double ThreadNanoseconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e9 + now.tv_nsec;
}

// The best of several rounds, in nanoseconds per byte of the appended text.
// `budget` bytes are appended per round.
template <class Append>
double NanosecondsPerByte(const std::string& relative, Append append, std::size_t budget) {
    const std::size_t rounds = std::max<std::size_t>(1, budget / relative.size());
    double best = 1e300;
    std::size_t sink = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const double start = ThreadNanoseconds();
        for (std::size_t i = 0; i < rounds; ++i)
            sink += append("C:\\root", relative).size();
        best = std::min(best, (ThreadNanoseconds() - start) / rounds / relative.size());
    }
    if (sink == 0)
        std::puts("");
    return best;
}

} // namespace

int main() {
    const std::size_t sizes[] = {1024, 16 * 1024, 256 * 1024};
    std::printf("%-10s %16s %22s %10s\n", "size", "single pass ns/B", "repeated search ns/B",
                "speed-up");
    double first = 0, last = 0, referenceFirst = 0, referenceLast = 0;
    for (std::size_t size : sizes) {
        const std::string relative = RelativePathOf(size);
        if (REDudi::paths::AppendRelative("C:\\root", relative) !=
            fuzz::ReferenceAppendRelative("C:\\root", relative)) {
            std::fprintf(stderr, "results differ at %zu bytes\n", size);
            return 1;
        }
        const double ours = NanosecondsPerByte(relative, REDudi::paths::AppendRelative, 1u << 22);
        // The literal form takes minutes at 256 KB; it is measured up to 16 KB.
        const double reference =
            size <= 16 * 1024
                ? NanosecondsPerByte(relative, fuzz::ReferenceAppendRelative, 1u << 15)
                : 0;
        if (reference > 0)
            std::printf("%-10zu %16.3f %22.3f %9.1fx\n", size, ours, reference, reference / ours);
        else
            std::printf("%-10zu %16.3f %22s %10s\n", size, ours, "-", "-");
        if (size == sizes[0]) {
            first = ours;
            referenceFirst = reference;
        }
        last = ours;
        if (reference > 0)
            referenceLast = reference;
    }
    std::printf("time per byte, 256 KB against 1 KB: %.2fx (target at most 1.5x; "
                "repeated search, 16 KB against 1 KB: %.1fx)\n",
                last / first, referenceLast / referenceFirst);
    return last / first <= 1.5 ? 0 : 1;
}
