// Whether one directory path lies inside another, as Windows resolves them:
// case-insensitive, after ".", ".." and slashes are resolved, whether or not
// the paths exist yet. Guards the copies that would otherwise copy a tree
// into itself until the path overflows.
#pragma once

#include <REDudi/strings.h>

namespace REDudi {

// True when `inner` names a directory strictly below `outer`.
bool IsInsideTree(const PString& outer, const PString& inner);
// True when both name the same place.
bool IsSamePlace(const PString& first, const PString& second);

} // namespace REDudi
