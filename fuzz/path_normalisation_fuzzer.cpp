// Checks the single-pass path rewriting against the literal repeated
// substitution on paths made of slashes, backslashes, dots, drive colons and
// short names, where every rule fires and overlaps with the others.
#include "files/path_normalisation.h"
#include "fuzz/path_reference.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace REDudi;

namespace {

// Mostly delimiters and dots, so that "\.\", "\..\" and "\\" arise often.
const char kAlphabet[] = {'\\', '\\', '\\', '/', '.', '.', '.', 'a', 'b', 'D', ':', ' '};

void Check(bool same) {
    if (!same)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte splits the rest into the current path and the appended text.
    const std::size_t split = 1 + data[0] % size;
    std::string base, relative;
    for (std::size_t i = 1; i < size; ++i)
        (i < split ? base : relative) += kAlphabet[data[i] % sizeof kAlphabet];
    const std::string whole = base + relative;

    Check(paths::ToBackslashes(whole) == fuzz::ReferenceToBackslashes(whole));
    const std::string converted = paths::ToBackslashes(whole);
    Check(paths::RemoveCurrentDirectoryReferences(converted) ==
          fuzz::ReferenceRemoveCurrent(converted));
    Check(paths::RemoveParentDirectoryReferences(converted) ==
          fuzz::ReferenceRemoveParent(converted));
    Check(paths::RemoveDuplicateDelimiters(converted) ==
          fuzz::ReferenceRemoveDuplicates(converted));
    Check(paths::AppendRelative(base, relative) == fuzz::ReferenceAppendRelative(base, relative));
    return 0;
}
