// Checks the single-pass path rewriting against the literal repeated
// substitution on paths made of slashes, backslashes, dots, drive colons and
// short names, where every rule fires and overlaps with the others.
#include "files/path_normalisation.h"
#include "fuzz/path_reference.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace REDudi;

// Mostly delimiters and dots, so that "\.\", "\..\" and "\\" arise often.
static const char kAlphabet[] = {'\\', '\\', '\\', '/', '.', '.', '.', 'a', 'b', 'D', ':', ' '};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte splits the rest into the current path and the appended text.
    std::string base, relative;
    for (std::size_t i = 1; i < size; ++i)
        (i <= data[0] % size ? base : relative) += kAlphabet[data[i] % sizeof kAlphabet];
    const std::string path = paths::ToBackslashes(base + relative);
    if (path != fuzz::ReferenceToBackslashes(base + relative) ||
        paths::RemoveCurrentDirectoryReferences(path) != fuzz::ReferenceRemoveCurrent(path) ||
        paths::RemoveParentDirectoryReferences(path) != fuzz::ReferenceRemoveParent(path) ||
        paths::RemoveDuplicateDelimiters(path) != fuzz::ReferenceRemoveDuplicates(path) ||
        paths::AppendRelative(base, relative) != fuzz::ReferenceAppendRelative(base, relative))
        __builtin_trap();
    return 0;
}
