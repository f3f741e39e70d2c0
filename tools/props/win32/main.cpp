// redudi-props: reads and writes the registry properties below a root, for
// administrators and scripts.
#include <REDudi/config.h>
#include <REDudi/files.h>

#include "config/property_paths.h"
#include "ini_text.h"
#include "props_options.h"
#include "win32/registry_view.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <io.h>
#include <list>
#include <string>
#include <vector>

using namespace REDudi;
using namespace REDudi::props;

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "redudi-props: %s\n", message.c_str());
    return 1;
}

std::string Backslashed(std::string text) {
    for (char& c : text) {
        if (c == '/')
            c = '\\';
    }
    return text;
}

// Why the registry would refuse a property path below `root`, or empty:
// key names of 1 to 255 characters, value names of at most 16383, and key
// paths of at most 259 characters, as the narrow registry functions convert
// them in a buffer of MAX_PATH characters.
std::string PathProblem(const PString& root, const PString& path) {
    PString key;
    PString name;
    property_paths::ConvertToRegKey(root, path, key, name);
    if (name.size() > 16383)
        return "its name is longer than 16383 characters";
    for (std::size_t start = 0; start <= key.size();) {
        std::size_t end = std::min(key.find('\\', start), key.size());
        if (end == start || end - start > 255)
            return "its key has a name that is empty or longer than 255 characters";
        start = end + 1;
    }
    if (key.size() > MAX_PATH - 1)
        return "its key path is longer than " + std::to_string(MAX_PATH - 1) + " characters";
    return "";
}

// An importer that first only checks every path, so that a file with a
// property the registry would refuse changes nothing, and then imports,
// remembering the first property it could not write: the library's import
// reports only whether the file could be read.
template <class Importer>
class CheckedImport : public Importer {
public:
    CheckedImport(const APropertyManager& manager, const std::string& plugin)
        : Importer(manager), plugin_(plugin.c_str()) {
        this->pluginName_ = plugin_;
    }
    using Importer::Import;

    // The number of refused properties; each is named on standard error.
    int Check(const AFileSpec& file, bool& readable) {
        checking_ = true;
        readable = Import(file);
        checking_ = false;
        this->pluginName_ = plugin_;
        return refused_;
    }
    const std::string& FirstFailure() const { return firstFailure_; }
    int Written() const { return written_; }

protected:
    bool Import(const PString& path, const PString& value) override {
        if (checking_) {
            std::string problem = PathProblem(this->manager_.GetPropertiesRoot(), path);
            if (!problem.empty()) {
                std::fprintf(stderr, "redudi-props: %s cannot be stored: %s\n", path.c_str(),
                             problem.c_str());
                ++refused_;
            }
            return true;
        }
        if (Importer::Import(path, value)) {
            ++written_;
            return true;
        }
        if (firstFailure_.empty())
            firstFailure_ = path;
        return false;
    }

private:
    PString plugin_;
    bool checking_ = false;
    int refused_ = 0;
    std::string firstFailure_;
    int written_ = 0;
};

class PropsTool {
public:
    explicit PropsTool(const PropsOptions& options) : options_(options) {
        manager_.SetPropertiesRoot(PString(options.root.c_str()));
        rootKey_ = Backslashed(manager_.GetPropertiesRoot());
    }

    int Run() {
        if (!manager_.IsValid())
            return Fail("the root '" + options_.root + "' names no key");
        if (options_.command != Command::kSet && options_.command != Command::kImport) {
            LONG opened = OpenResult(rootKey_, KEY_READ);
            if (opened != ERROR_SUCCESS)
                return Fail("cannot open the root HKEY_LOCAL_MACHINE\\" + rootKey_ + ": " +
                            ErrorText(opened));
        }
        switch (options_.command) {
        case Command::kGet:
            return Get();
        case Command::kSet:
            return Set();
        case Command::kList:
            return List();
        case Command::kDelete:
            return Delete();
        case Command::kImport:
            return Import();
        case Command::kExport:
            return Export();
        }
        return 1;
    }

private:
    struct Location {
        std::string key;
        std::string name;
    };

    Location Locate(const std::string& path) {
        PString key;
        PString name;
        property_paths::ConvertToRegKey(manager_.GetPropertiesRoot(), PString(path.c_str()), key,
                                        name);
        return {key, name};
    }

    // Why a write below `key` failed, as far as the registry tells.
    std::string WriteFailure(const std::string& key) {
        for (std::string probe = key;; probe = probe.substr(0, probe.rfind('\\'))) {
            LONG opened = OpenResult(probe, KEY_WRITE);
            if (opened == ERROR_ACCESS_DENIED)
                return "access denied to HKEY_LOCAL_MACHINE\\" + probe;
            if (opened == ERROR_SUCCESS || probe.find('\\') == std::string::npos)
                break;
        }
        return "the registry refused it (a name too long or not allowed?)";
    }

    int Get() {
        std::string path = PropertyPath(options_.target);
        Location where = Locate(path);
        bool found = false;
        DWORD type = ValueType(where.key, where.name, found);
        PString value;
        if (!found || !manager_.GetProperty(PString(path.c_str()), value))
            return Fail("no property " + path + " below " + options_.root);
        if (type != REG_SZ)
            std::fprintf(stderr, "redudi-props: %s is stored as %s; shown as text\n", path.c_str(),
                         TypeName(type).c_str());
        if (options_.json)
            std::printf("{\"name\":\"%s\",\"value\":\"%s\",\"type\":\"%s\"}\n",
                        JsonEscaped(path).c_str(), JsonEscaped(value).c_str(),
                        TypeName(type).c_str());
        else
            std::printf("%s\n", value.c_str());
        return 0;
    }

    int Set() {
        PString path(PropertyPath(options_.target).c_str());
        const std::string& text = options_.value;
        bool written = false;
        switch (options_.type) {
        case ValueType::kString:
            written = manager_.SetProperty(path, PString(text.c_str()));
            break;
        case ValueType::kWide: {
            UString wide;
            if (!ConvertANSIToUnicode(text, wide))
                return Fail("the value cannot be converted to wide text");
            written = manager_.SetProperty(path, wide);
            break;
        }
        case ValueType::kInt:
            written = manager_.SetProperty(path, static_cast<int>(std::stol(text)));
            break;
        case ValueType::kUInt:
            written = manager_.SetProperty(path, static_cast<unsigned int>(std::stoul(text)));
            break;
        case ValueType::kFloat: {
            float number = std::stof(text);
            written = manager_.SetProperty(path, number);
            break;
        }
        case ValueType::kBool:
            written = manager_.SetProperty(path, text == "true");
            break;
        }
        if (!written) {
            std::string problem = PathProblem(manager_.GetPropertiesRoot(), path);
            return Fail("cannot set " + path + ": " +
                        (problem.empty() ? WriteFailure(Locate(path).key) : problem));
        }
        return 0;
    }

    struct Entry {
        std::string path;
        std::string value;
        std::string type;
    };

    // The properties of the key at `path` ("/" for the root) and, when
    // `recursive`, of every key below it; sub-keys in name order.
    bool Collect(const std::string& path, bool recursive, std::vector<Entry>& entries) {
        std::string below = path == "/" ? "" : path;
        std::string key = rootKey_ + Backslashed(below);
        std::vector<std::string> names;
        if (!ValueNames(key, names))
            return false;
        for (const std::string& name : names) {
            std::string property = below + "/" + name;
            PString value;
            bool found = false;
            DWORD type = ValueType(key, name, found);
            if (!manager_.GetProperty(PString((below + "/" + name).c_str()), value))
                continue;
            entries.push_back({property, value, TypeName(type)});
        }
        if (!recursive)
            return true;
        std::list<PString> children;
        if (!manager_.GetSubKeyList(PString(path.c_str()), children))
            return false;
        for (const PString& child : children) {
            if (!Collect(below + "/" + child, true, entries))
                return false;
        }
        return true;
    }

    int List() {
        std::string path = options_.target.empty() ? "/" : PropertyPath(options_.target);
        std::vector<Entry> entries;
        if (!Collect(path, options_.recursive, entries))
            return Fail("no key " + path + " below " + options_.root);
        if (options_.json) {
            std::printf("[");
            for (std::size_t i = 0; i < entries.size(); ++i)
                std::printf("%s{\"name\":\"%s\",\"value\":\"%s\",\"type\":\"%s\"}",
                            i == 0 ? "" : ",", JsonEscaped(entries[i].path).c_str(),
                            JsonEscaped(entries[i].value).c_str(), entries[i].type.c_str());
            std::printf("]\n");
        } else {
            for (const Entry& entry : entries)
                std::printf("%s=%s\n", entry.path.c_str(), entry.value.c_str());
        }
        return 0;
    }

    int Delete() {
        std::string path = PropertyPath(options_.target);
        if (options_.branch) {
            if (!manager_.DeleteKey(PString(path.c_str())))
                return Fail("cannot delete the branch " + path + " below " + options_.root +
                            " (missing or access denied)");
            return 0;
        }
        if (!manager_.UnsetProperty(PString(path.c_str())))
            return Fail("no property " + path + " below " + options_.root);
        return 0;
    }

    template <class Importer>
    int ImportWith(Importer& importer, const AFileSpec& file) {
        bool readable = false;
        int refused = importer.Check(file, readable);
        if (!readable)
            return Fail("cannot read the INI file " + options_.target);
        if (refused > 0)
            return Fail("nothing imported: " + std::to_string(refused) +
                        " properties cannot be stored");
        importer.Import(file);
        if (!importer.FirstFailure().empty())
            return Fail("import stopped: cannot set " + importer.FirstFailure() + ": " +
                        WriteFailure(Locate(importer.FirstFailure()).key) + " (" +
                        std::to_string(importer.Written()) + " properties written before)");
        return 0;
    }

    int Import() {
        char full[MAX_PATH];
        char* fileName = nullptr;
        DWORD length = GetFullPathNameA(options_.target.c_str(), MAX_PATH, full, &fileName);
        if (length == 0 || length >= MAX_PATH || fileName == nullptr)
            return Fail("cannot read the INI file " + options_.target + ": not a file name");
        std::FILE* probe = std::fopen(full, "r");
        if (probe == nullptr)
            return Fail("cannot read the INI file " + options_.target + ": " +
                        ErrorText(static_cast<LONG>(GetLastError())));
        std::fclose(probe);
        // An AFileSpec names files relative to a folder of its
        // own; the file's folder made current gives it the user's meaning.
        std::string name = fileName;
        *fileName = '\0';
        if (!SetCurrentDirectoryA(full))
            return Fail("cannot read the INI file " + options_.target);
        AFileSpec file;
        file.SetToCurrentDirectory();
        file += PString(name.c_str());
        if (!options_.plugin.empty()) {
            CheckedImport<APluginIniImport> importer(manager_, options_.plugin);
            return ImportWith(importer, file);
        }
        CheckedImport<APropertyManagerIniImport> importer(manager_, "");
        return ImportWith(importer, file);
    }

    int Export() {
        std::vector<Entry> entries;
        if (!Collect("/", true, entries))
            return Fail("cannot read the properties below " + options_.root);
        std::string text;
        std::string section;
        bool any = false;
        int refused = 0;
        for (const Entry& entry : entries) {
            std::size_t slash = entry.path.rfind('/');
            std::string entrySection = slash == 0 ? "/" : entry.path.substr(0, slash);
            std::string name = entry.path.substr(slash + 1);
            std::string problem = SectionProblem(entrySection);
            if (problem.empty() && (problem = KeyNameProblem(name)).empty())
                problem = ValueProblem(entry.value);
            if (!problem.empty()) {
                std::fprintf(stderr, "redudi-props: %s left out: it %s\n", entry.path.c_str(),
                             problem.c_str());
                ++refused;
                continue;
            }
            if (!any || entrySection != section) {
                text += (any ? "\n[" : "[") + entrySection + "]\n";
                section = entrySection;
                any = true;
            }
            text += name + "=" + entry.value + "\n";
        }
        std::fputs(text.c_str(), stdout);
        if (refused > 0)
            return Fail(std::to_string(refused) + " properties cannot be written as INI text");
        return 0;
    }

    PropsOptions options_;
    APropertyManager manager_;
    std::string rootKey_;
};

} // namespace

int main(int argc, char** argv) {
    // Scripts read the output on any system: lines end with "\n" alone.
    _setmode(_fileno(stdout), _O_BINARY);
    PropsOptions options;
    std::string error;
    switch (ParsePropsOptions(argc - 1, argv + 1, options, error)) {
    case ParseResult::kHelp:
        std::fputs(kPropsUsage, stdout);
        return 0;
    case ParseResult::kError:
        std::fprintf(stderr, "redudi-props: %s\nTry 'redudi-props --help'.\n", error.c_str());
        return 2;
    case ParseResult::kRun:
        break;
    }
    return PropsTool(options).Run();
}
