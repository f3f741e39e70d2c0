// What one Generate call remembers: the (template, output) pairs it has
// generated, by full path.
//
// A template that names itself, directly or through others, names a pair
// that was generated already; such a repeat is skipped, so a run generates
// each distinct pair once and ends. Pairs are compared by their full paths,
// so "a.htm" and "sub\..\a.htm" are the same pair. The work list holds what
// is still to be generated: entries leave it as they are generated, and a
// failed run drops the rest, so a later Generate starts from its own pair.
#pragma once

#include <REDudi/files.h>

#include <cstdio>
#include <list>
#include <set>
#include <string>
#include <utility>

namespace REDudi {
namespace preprocessing {

class GenerationRun {
public:
    bool FirstTime(const std::string& templatePath, const std::string& outputPath) {
        return done_.emplace(templatePath, outputPath).second;
    }

    template <class Entry>
    bool Abandon(std::list<Entry>& workList) {
        workList.clear();
        return false;
    }

private:
    std::set<std::pair<std::string, std::string>> done_;
};

inline std::string FullPath(const AFileSpec& file) {
    return file.GetFullPath();
}

inline std::string FullPath(const AFileSpecUnicode& file) {
    return file.GetAFileSpec().GetFullPath();
}

// Generates the work list's pairs in turn, reaching those that the
// templates' file directives append while it runs: each template is read
// with `read`, expanded with `provider` (and `handler`, when given), and
// written with `save`. False at the first template or output that fails.
template <class FileSpec, class Str, class Preprocessor, class Provider, class Handler, class Read,
          class Save>
bool GenerateWorkList(std::list<std::pair<Str, Str>>& workList, const FileSpec& sourceDir,
                      const FileSpec& destinationDir, Preprocessor& preprocessor,
                      Provider* provider, Handler* handler, Read read, Save save) {
    GenerationRun run;
    while (!workList.empty()) {
        std::pair<Str, Str> entry = workList.front();
        workList.pop_front();
        FileSpec templateFile(sourceDir);
        templateFile.SetRelativePath(entry.first);
        FileSpec outputFile(destinationDir);
        outputFile.SetRelativePath(entry.second);
        if (!run.FirstTime(FullPath(templateFile), FullPath(outputFile)))
            continue;
        Str text;
        if (!read(templateFile, text))
            return run.Abandon(workList);
        preprocessor.SetParameterProvider(provider);
        if (handler)
            preprocessor.SetForHandler(handler);
        if (!save(outputFile, preprocessor.Preprocess(text, nullptr)))
            return run.Abandon(workList);
    }
    return true;
}

// Writes the text's units with one fwrite; true when all were written and
// the file closed cleanly.
template <class FileSpec, class Str>
bool WriteUnits(const FileSpec& file, const char* mode, const Str& text) {
    std::FILE* stream = file.Open(mode);
    if (!stream)
        return false;
    std::size_t written =
        std::fwrite(text.data(), sizeof(typename Str::value_type), text.size(), stream);
    bool closed = std::fclose(stream) == 0;
    return written == text.size() && closed;
}

} // namespace preprocessing
} // namespace REDudi
