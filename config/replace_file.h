// Replacing a file's content so that readers see either the old or the new
// content, never a part of it.
#pragma once

#include <string>

namespace REDudi {

// Writes `content` in text mode to a new file in the same directory as
// `path`, then moves it over `path`. On any failure the temporary file is
// removed, `path` is untouched, and the result is false.
bool ReplaceFileContent(const std::string& path, const std::string& content);

// The platform part: move `from` over `to`, replacing it.
bool MoveFileOver(const std::string& from, const std::string& to);

} // namespace REDudi
