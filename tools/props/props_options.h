// Command line of redudi-props: one command on the properties below a root.
#pragma once

#include <string>
#include <vector>

namespace REDudi {
namespace props {

enum class Command { kGet, kSet, kList, kDelete, kImport, kExport };

// How `set` stores its value: as narrow or wide text, or as the text form
// of a checked number or truth value.
enum class ValueType { kString, kWide, kInt, kUInt, kFloat, kBool };

struct PropsOptions {
    Command command = Command::kGet;
    std::string root;
    // The property (get, set, delete), the INI file (import) or the branch
    // (delete --branch).
    std::string target;
    std::string value;
    ValueType type = ValueType::kString;
    bool recursive = false;
    bool branch = false;
    bool json = false;
    std::string plugin;
};

enum class ParseResult { kRun, kHelp, kError };

ParseResult ParsePropsOptions(int argc, const char* const* argv, PropsOptions& options,
                              std::string& error);

// Whether the whole of `value` is a valid text of `type`, in its range.
bool CheckValue(ValueType type, const std::string& value, std::string& error);

// A property name given with or without its leading "/".
std::string PropertyPath(const std::string& name);

// Text with JSON string escapes, without the quotes.
std::string JsonEscaped(const std::string& text);

extern const char kPropsUsage[];

} // namespace props
} // namespace REDudi
