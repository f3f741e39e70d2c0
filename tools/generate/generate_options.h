// Command line of redudi-generate: where templates come from, where outputs
// go, and the variables.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace REDudi {
namespace generate {

struct GenerateOptions {
    std::string sourceDir;
    std::string destDir;
    std::string templateName; // relative to sourceDir; the output has the same name
    std::string iniFile;
    std::string iniSection;
    // NAME=VALUE pairs in command-line order, applied after the INI section.
    std::vector<std::pair<std::string, std::string>> settings;
    bool wide = false; // templates are raw 16-bit text
    bool makeDestination = false;
    bool json = false;
};

enum class ParseResult { kRun, kHelp, kError };

ParseResult ParseGenerateOptions(int argc, const char* const* argv, GenerateOptions& options,
                                 std::string& error);

extern const char kGenerateUsage[];

} // namespace generate
} // namespace REDudi
