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

} // namespace preprocessing
} // namespace REDudi
