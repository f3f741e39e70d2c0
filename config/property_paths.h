// The text rules that map a property path onto a registry key and a value
// name. Kept apart from the registry calls so that they build and can be
// fuzzed everywhere.
#pragma once

#include <REDudi/strings.h>

namespace REDudi {
namespace property_paths {

// Removes leading "/", then leading "\", then trailing "/", then trailing "\".
void TrimRoot(PString& root);

// Drops trailing "/" and turns every other "/" into "\"; empty text stays.
void SlashHandler(PString& text);

// Whether `path` begins with `root`, ASCII case ignored; always true for an
// empty root.
bool BeginsWithRoot(const PString& path, const PString& root);

// Puts the root in front of a path that does not already begin with it. No
// separator is inserted: paths carry their own leading "/".
void PrefixWithRoot(const PString& root, PString& path);

// Splits `path` at its last "/" into the key (root prefixed unless already
// there, separators converted) and the value name after it. A path without
// "/" leaves both outputs untouched.
void ConvertToRegKey(const PString& root, const PString& path, PString& key, PString& name);

} // namespace property_paths
} // namespace REDudi
