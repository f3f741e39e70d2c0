// Providers and handlers shared by the preprocessor tests.
#pragma once

#include <REDudi/preprocessor.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace REDudi {
namespace testing {

// A provider over a plain map that notes the names it was asked for.
class MapProvider : public ParameterProvider {
public:
    std::map<std::string, PString> values;
    std::vector<std::string> asked;

    bool GetVariableValue(const PString& name, PString& value, unsigned int index) override {
        return Get(name + std::to_string(index), value);
    }
    bool GetVariableValue(const PString& name, PString& value) override { return Get(name, value); }

private:
    bool Get(const std::string& key, PString& value) {
        asked.push_back(key);
        auto found = values.find(key);
        if (found == values.end())
            return false;
        value = found->second;
        return true;
    }
};

// Runs each loop `passes` times and points N at the pass, recording the loop
// names it was handed.
template <class Preprocessor, class Handler, class Text>
class PassingHandler : public Handler {
public:
    PassingHandler(Preprocessor& preprocessor, unsigned int passes)
        : preprocessor_(preprocessor), passes_(passes) {}
    std::vector<Text> names;

    bool BeginFor(Text& loopName) override {
        names.push_back(loopName);
        passes[loopName] = 0;
        preprocessor_.SetN(0);
        return passes_ > 0;
    }
    bool NextFor(Text& loopName) override {
        unsigned int pass = ++passes[loopName];
        preprocessor_.SetN(pass);
        return pass < passes_;
    }

private:
    Preprocessor& preprocessor_;
    unsigned int passes_;
    std::map<Text, unsigned int> passes;
};

template <class Handler, class Text>
class RecordingFiles : public Handler {
public:
    std::vector<std::pair<Text, Text>> files;
    bool AddFile(const Text& source, Text& destination) override {
        files.emplace_back(source, destination);
        return true;
    }
};

inline UString Wide(const std::string& ascii) {
    UString text;
    for (char c : ascii)
        text.push_back(static_cast<unsigned char>(c));
    return text;
}

} // namespace testing
} // namespace REDudi
