// The string rewriting behind relative paths: delimiter conversion and the
// removal of "\.\", "\..\" and doubled delimiters. Each pass gives exactly
// the result of substituting its first occurrence again and again until none
// is left, but in one linear scan, so that long paths cost no more per byte
// than short ones. Portable: no file-system access.
#pragma once

#include <string>

namespace REDudi {
namespace paths {

constexpr char kDelimiter = '\\';

// Every "/" becomes a backslash.
std::string ToBackslashes(const std::string& path);
// Every backslash becomes "/".
std::string ToSlashes(const std::string& path);
// "\.\" becomes "\" until none is left.
std::string RemoveCurrentDirectoryReferences(const std::string& path);
// "\<component>\..\" becomes "\" until no "\..\" is left. A "\..\" with no
// delimiter before it has no component to take away: it is dropped to a
// single delimiter, so D:\..\x becomes D:\x (as Windows itself treats the
// parent of a root) and \..\x becomes \x.
std::string RemoveParentDirectoryReferences(const std::string& path);
// "\\" becomes "\" until none is left.
std::string RemoveDuplicateDelimiters(const std::string& path);

// `base` with `relative` appended: slashes converted, the leading delimiters
// of `relative` dropped, joined by one delimiter, the three removals above in
// order and one ending delimiter stripped. An empty `relative` gives `base`.
std::string AppendRelative(const std::string& base, const std::string& relative);

} // namespace paths
} // namespace REDudi
