#include "generate_options.h"

#include <cstring>

namespace REDudi {
namespace generate {

const char kGenerateUsage[] =
    "usage: redudi-generate --source DIR --dest DIR TEMPLATE [options]\n"
    "Expands TEMPLATE (relative to the source directory) and every template its\n"
    "file directives name, writing each output under the destination directory.\n"
    "\n"
    "  --source DIR        directory of the templates\n"
    "  --dest DIR          directory of the outputs (must exist, see --mkdir)\n"
    "  --ini FILE          read variables from an INI file ...\n"
    "  --section NAME      ... section NAME (both or neither)\n"
    "  --set NAME=VALUE    set a variable; later settings win over earlier ones\n"
    "                      and over the INI file\n"
    "  --wide              templates are 16-bit text, read and written unchanged\n"
    "  --mkdir             create the destination directory first\n"
    "  --json              print the result as JSON\n"
    "  --help              show this text\n"
    "Prints each file written; exits 1 on any failure, 2 on a bad command line.\n";

namespace {

bool TakeValue(int argc, const char* const* argv, int& at, std::string& value, std::string& error) {
    if (at + 1 >= argc) {
        error = std::string(argv[at]) + " needs a value";
        return false;
    }
    value = argv[++at];
    return true;
}

} // namespace

ParseResult ParseGenerateOptions(int argc, const char* const* argv, GenerateOptions& options,
                                 std::string& error) {
    for (int at = 0; at < argc; ++at) {
        std::string word = argv[at];
        bool ok = true;
        if (word == "--help" || word == "-h")
            return ParseResult::kHelp;
        if (word == "--source")
            ok = TakeValue(argc, argv, at, options.sourceDir, error);
        else if (word == "--dest")
            ok = TakeValue(argc, argv, at, options.destDir, error);
        else if (word == "--ini")
            ok = TakeValue(argc, argv, at, options.iniFile, error);
        else if (word == "--section")
            ok = TakeValue(argc, argv, at, options.iniSection, error);
        else if (word == "--set") {
            std::string setting;
            ok = TakeValue(argc, argv, at, setting, error);
            std::size_t equals = setting.find('=');
            if (ok && (equals == std::string::npos || equals == 0)) {
                error = "--set needs NAME=VALUE, got \"" + setting + "\"";
                ok = false;
            }
            if (ok)
                options.settings.emplace_back(setting.substr(0, equals),
                                              setting.substr(equals + 1));
        } else if (word == "--wide")
            options.wide = true;
        else if (word == "--mkdir")
            options.makeDestination = true;
        else if (word == "--json")
            options.json = true;
        else if (word.size() > 1 && word[0] == '-') {
            error = "unknown option " + word;
            ok = false;
        } else if (options.templateName.empty())
            options.templateName = word;
        else {
            error = "only one TEMPLATE may be given";
            ok = false;
        }
        if (!ok)
            return ParseResult::kError;
    }
    if (options.sourceDir.empty() || options.destDir.empty() || options.templateName.empty())
        error = "--source, --dest and TEMPLATE are required";
    else if (options.iniFile.empty() != options.iniSection.empty())
        error = "--ini and --section go together";
    return error.empty() ? ParseResult::kRun : ParseResult::kError;
}

} // namespace generate
} // namespace REDudi
