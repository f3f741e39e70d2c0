#include "props_options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace REDudi {
namespace props {

const char kPropsUsage[] =
    "Usage: redudi-props COMMAND ROOT ... [options]\n"
    "Reads and writes the properties kept below ROOT, a registry key under\n"
    "HKEY_LOCAL_MACHINE written with \"/\" or \"\\\" (for example Software/Example).\n"
    "A property NAME is a path such as /Net/Port (the leading \"/\" may be left out).\n"
    "\n"
    "Commands:\n"
    "  get ROOT NAME                 print the value of a property\n"
    "  set ROOT NAME VALUE [--type T]\n"
    "                                store a value; T is string (default), wide, int,\n"
    "                                uint, float or bool, and the value must fit it\n"
    "  list ROOT [PATH] [--recursive]\n"
    "                                print NAME=VALUE for each property of the key\n"
    "                                (with --recursive, of every key below it)\n"
    "  delete ROOT NAME              delete one property\n"
    "  delete ROOT --branch PATH     delete a key with everything below it\n"
    "  import ROOT FILE.ini [--plugin NAME]\n"
    "                                store every key of an INI file as a property\n"
    "                                (--plugin: as a plug-in's INI file, filed under\n"
    "                                /properties/map/NAME unless its [General] Name\n"
    "                                says otherwise)\n"
    "  export ROOT [--ini]           print the properties below ROOT as INI text that\n"
    "                                import reads back\n"
    "\n"
    "Options:\n"
    "  --json      get and list print JSON\n"
    "  --help      print this help\n"
    "\n"
    "Exit status: 0 on success, 1 when the operation failed (missing root or\n"
    "property, unreadable file, access denied), 2 for a bad command line.\n";

namespace {

bool ParseCommand(const std::string& word, Command& command) {
    static const struct {
        const char* word;
        Command command;
    } commands[] = {
        {"get", Command::kGet},       {"set", Command::kSet},       {"list", Command::kList},
        {"delete", Command::kDelete}, {"import", Command::kImport}, {"export", Command::kExport},
    };
    for (const auto& c : commands) {
        if (word == c.word) {
            command = c.command;
            return true;
        }
    }
    return false;
}

bool ParseType(const std::string& word, ValueType& type) {
    static const struct {
        const char* word;
        ValueType type;
    } types[] = {
        {"string", ValueType::kString}, {"wide", ValueType::kWide},   {"int", ValueType::kInt},
        {"uint", ValueType::kUInt},     {"float", ValueType::kFloat}, {"bool", ValueType::kBool},
    };
    for (const auto& t : types) {
        if (word == t.word) {
            type = t.type;
            return true;
        }
    }
    return false;
}

// How many words each command takes after the root, at least and at most.
void WordsOf(Command command, std::size_t& least, std::size_t& most) {
    switch (command) {
    case Command::kGet:
    case Command::kImport:
        least = most = 1;
        break;
    case Command::kSet:
        least = most = 2;
        break;
    case Command::kList:
        least = 0;
        most = 1;
        break;
    case Command::kDelete:
        least = most = 1;
        break;
    case Command::kExport:
        least = most = 0;
        break;
    }
}

} // namespace

ParseResult ParsePropsOptions(int argc, const char* const* argv, PropsOptions& options,
                              std::string& error) {
    std::vector<std::string> words;
    bool typeGiven = false;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        auto next = [&](const char* what) -> bool {
            if (i + 1 >= argc) {
                error = arg + " needs " + what;
                return false;
            }
            ++i;
            return true;
        };
        if (arg == "--help" || arg == "-h")
            return ParseResult::kHelp;
        if (arg == "--recursive") {
            options.recursive = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--ini") {
            // INI is the only export form; the option says so explicitly.
        } else if (arg == "--branch") {
            options.branch = true;
        } else if (arg == "--type") {
            if (!next("a type"))
                return ParseResult::kError;
            if (!ParseType(argv[i], options.type)) {
                error = std::string("unknown type '") + argv[i] +
                        "' (string, wide, int, uint, float or bool)";
                return ParseResult::kError;
            }
            typeGiven = true;
        } else if (arg == "--plugin") {
            if (!next("a plug-in name"))
                return ParseResult::kError;
            options.plugin = argv[i];
            if (options.plugin.empty()) {
                error = "--plugin needs a plug-in name";
                return ParseResult::kError;
            }
        } else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            error = "unknown option " + arg;
            return ParseResult::kError;
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty()) {
        error = "no command given";
        return ParseResult::kError;
    }
    if (!ParseCommand(words[0], options.command)) {
        error = "unknown command '" + words[0] + "'";
        return ParseResult::kError;
    }
    if (words.size() < 2) {
        error = words[0] + " needs a ROOT";
        return ParseResult::kError;
    }
    options.root = words[1];
    std::size_t least = 0;
    std::size_t most = 0;
    WordsOf(options.command, least, most);
    std::size_t rest = words.size() - 2;
    if (rest < least || rest > most) {
        error = "wrong number of arguments for " + words[0];
        return ParseResult::kError;
    }
    if (rest > 0)
        options.target = words[2];
    if (rest > 1)
        options.value = words[3];
    if (typeGiven && options.command != Command::kSet) {
        error = "--type belongs to set";
        return ParseResult::kError;
    }
    if (options.branch && options.command != Command::kDelete) {
        error = "--branch belongs to delete";
        return ParseResult::kError;
    }
    if (!options.plugin.empty() && options.command != Command::kImport) {
        error = "--plugin belongs to import";
        return ParseResult::kError;
    }
    if (options.command == Command::kSet && !CheckValue(options.type, options.value, error))
        return ParseResult::kError;
    return ParseResult::kRun;
}

bool CheckValue(ValueType type, const std::string& value, std::string& error) {
    const char* text = value.c_str();
    char* end = nullptr;
    errno = 0;
    bool fits = true;
    const char* name = "";
    switch (type) {
    case ValueType::kString:
    case ValueType::kWide:
        return true;
    case ValueType::kInt: {
        name = "an int";
        long long number = std::strtoll(text, &end, 10);
        fits = number >= -2147483648LL && number <= 2147483647LL;
        break;
    }
    case ValueType::kUInt: {
        name = "a uint";
        fits = value.find('-') == std::string::npos;
        unsigned long long number = std::strtoull(text, &end, 10);
        fits = fits && number <= 4294967295ULL;
        break;
    }
    case ValueType::kFloat: {
        name = "a float";
        float number = std::strtof(text, &end);
        fits = std::isfinite(number);
        break;
    }
    case ValueType::kBool:
        if (value == "true" || value == "false")
            return true;
        error = "'" + value + "' is not a bool (true or false)";
        return false;
    }
    if (value.empty() || end == text || *end != '\0' || errno == ERANGE || !fits) {
        error = "'" + value + "' is not " + name;
        return false;
    }
    return true;
}

std::string PropertyPath(const std::string& name) {
    return !name.empty() && name[0] == '/' ? name : "/" + name;
}

std::string JsonEscaped(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

} // namespace props
} // namespace REDudi
