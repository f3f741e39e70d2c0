// redudi-generate: expands a template tree with the library's file generator.
#include "generate_options.h"

#include <REDudi/config.h>
#include <REDudi/files.h>
#include <REDudi/preprocessor.h>

#include <windows.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace REDudi;
using namespace REDudi::generate;

namespace {

using Settings = std::vector<std::pair<std::string, std::string>>;
using Pairs = std::vector<std::pair<std::string, std::string>>;

// The generators with their file directives noted, in the order the
// generator works through them.
class NotingGenerator : public AFileGenerator {
public:
    Pairs pairs;
    bool AddFile(const PString& source, PString& destination) override {
        pairs.emplace_back(source, destination);
        return AFileGenerator::AddFile(source, destination);
    }
};

class NotingGeneratorUnicode : public AFileGeneratorUnicode {
public:
    Pairs pairs;
    bool AddFile(const UString& source, UString& destination) override {
        std::string narrowSource, narrowDestination;
        ConvertUnicodeToANSI(source, narrowSource);
        ConvertUnicodeToANSI(destination, narrowDestination);
        pairs.emplace_back(narrowSource, narrowDestination);
        return AFileGeneratorUnicode::AddFile(source, destination);
    }
};

std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH * 4];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (length == 0 || length >= sizeof buffer)
        return path;
    std::string full(buffer, length);
    while (full.size() > 3 && (full.back() == '\\' || full.back() == '/'))
        full.pop_back();
    return full;
}

bool IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeDirectories(const std::string& path) {
    if (IsDirectory(path))
        return true;
    std::size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 2 && !MakeDirectories(path.substr(0, slash)))
        return false;
    return CreateDirectoryA(path.c_str(), nullptr) || IsDirectory(path);
}

// An AFileSpec naming exactly `fullPath` (texts given to AFileSpec are
// always relative, so the path goes in as its byte form).
AFileSpec SpecAt(const std::string& fullPath) {
    AFileSpec spec;
    spec.SetPersistentData(fullPath.data(), static_cast<unsigned int>(fullPath.size()));
    return spec;
}

std::string Below(const std::string& directory, const std::string& relative) {
    AFileSpec spec = SpecAt(directory);
    spec.SetRelativePath(relative);
    return spec.GetFullPath();
}

std::string JsonText(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

struct Outcome {
    std::vector<std::string> written;
    std::string error;
};

// Goes through the pairs in the generator's order and tells what became of
// each: written, skipped as a repeat, or the one the run ended on.
Outcome Explain(const GenerateOptions& options, const std::string& source, const std::string& dest,
                const Pairs& pairs, bool succeeded) {
    Outcome outcome;
    std::set<std::pair<std::string, std::string>> seen;
    for (const auto& [from, to] : pairs) {
        std::string templatePath = Below(source, from);
        std::string outputPath = Below(dest, to);
        if (!seen.emplace(templatePath, outputPath).second)
            continue;
        if (!succeeded) {
            DWORD attributes = GetFileAttributesA(templatePath.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                outcome.error = "template not found: " + templatePath;
                return outcome;
            }
            std::string parent = outputPath.substr(0, outputPath.find_last_of('\\'));
            if (!IsDirectory(parent)) {
                outcome.error = "destination directory does not exist: " + parent;
                return outcome;
            }
            FILE* probe = std::fopen(outputPath.c_str(), "ab");
            if (!probe) {
                outcome.error = "cannot write " + outputPath;
                return outcome;
            }
            std::fclose(probe);
        }
        outcome.written.push_back(outputPath);
    }
    if (!succeeded)
        outcome.error = "generation failed";
    return outcome;
}

bool Generate(const GenerateOptions& options, const std::string& source, const std::string& dest,
              const Settings& settings, Pairs& pairs) {
    pairs.emplace_back(options.templateName, options.templateName);
    if (!options.wide) {
        std::unique_ptr<PropertyBag> bag(PropertyBag::GetNewPropertyBag());
        for (const auto& [name, value] : settings)
            bag->SetProperty(name.c_str(), value.c_str());
        NotingGenerator generator;
        generator.SetSourceDir(SpecAt(source));
        generator.SetDestinationDir(SpecAt(dest));
        bool done =
            generator.Generate(options.templateName, options.templateName, bag.get(), nullptr);
        pairs.insert(pairs.end(), generator.pairs.begin(), generator.pairs.end());
        return done;
    }
    std::unique_ptr<PropertyBagUnicode> bag(PropertyBagUnicode::GetNewPropertyBag());
    for (const auto& [name, value] : settings) {
        UnicodeStdString wideValue;
        ConvertANSIToUnicode(value, wideValue);
        bag->SetProperty(name.c_str(), UString(wideValue).c_str());
    }
    UnicodeStdString wideName;
    ConvertANSIToUnicode(options.templateName, wideName);
    NotingGeneratorUnicode generator;
    generator.SetSourceDir(AFileSpecUnicode(SpecAt(source)));
    generator.SetDestinationDir(AFileSpecUnicode(SpecAt(dest)));
    bool done = generator.Generate(wideName, wideName, bag.get(), nullptr);
    pairs.insert(pairs.end(), generator.pairs.begin(), generator.pairs.end());
    return done;
}

// The keys of the INI file's section, in file order.
bool ReadIniSection(const GenerateOptions& options, Settings& settings, std::string& error) {
    IniFile ini;
    if (!ini.Open(SpecAt(FullPath(options.iniFile)))) {
        error = "cannot read INI file " + options.iniFile;
        return false;
    }
    try {
        const IniFile::section& section = ini.FindSection(options.iniSection.c_str());
        for (const IniFile::key& key : section.keys)
            settings.emplace_back(key.name, key.value ? key.value : "");
    } catch (const IniFile::INIexception&) {
        error = "no section [" + options.iniSection + "] in " + options.iniFile;
        return false;
    }
    return true;
}

int Fail(const GenerateOptions& options, const std::string& error, int code = 1) {
    if (options.json)
        std::printf("{\"written\":[],\"error\":%s}\n", JsonText(error).c_str());
    std::fprintf(stderr, "redudi-generate: %s\n", error.c_str());
    return code;
}

} // namespace

int main(int argc, char** argv) {
    GenerateOptions options;
    std::string error;
    switch (ParseGenerateOptions(argc - 1, argv + 1, options, error)) {
    case ParseResult::kHelp:
        std::fputs(kGenerateUsage, stdout);
        return 0;
    case ParseResult::kError:
        std::fprintf(stderr, "redudi-generate: %s\n(redudi-generate --help lists the options)\n",
                     error.c_str());
        return 2;
    default:
        break;
    }

    std::string source = FullPath(options.sourceDir);
    std::string dest = FullPath(options.destDir);
    if (!IsDirectory(source))
        return Fail(options, "source directory not found: " + source);
    if (options.makeDestination && !MakeDirectories(dest))
        return Fail(options, "cannot create destination directory " + dest);
    if (!IsDirectory(dest))
        return Fail(options,
                    "destination directory does not exist: " + dest + " (--mkdir creates it)");

    Settings settings;
    if (!options.iniFile.empty() && !ReadIniSection(options, settings, error))
        return Fail(options, error);
    settings.insert(settings.end(), options.settings.begin(), options.settings.end());

    Pairs pairs;
    bool succeeded = Generate(options, source, dest, settings, pairs);
    Outcome outcome = Explain(options, source, dest, pairs, succeeded);
    if (options.json) {
        std::string list;
        for (const std::string& path : outcome.written)
            list += (list.empty() ? "" : ",") + JsonText(path);
        std::printf("{\"written\":[%s],\"error\":%s}\n", list.c_str(),
                    succeeded ? "null" : JsonText(outcome.error).c_str());
    } else {
        for (const std::string& path : outcome.written)
            std::printf("%s\n", path.c_str());
    }
    if (succeeded)
        return 0;
    std::fprintf(stderr, "redudi-generate: %s\n", outcome.error.c_str());
    return 1;
}
