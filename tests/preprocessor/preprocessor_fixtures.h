// Handlers shared by the preprocessor tests and the template fuzzer, and a scan
// built from a preprocessor's protected in-place steps to check the real one.
#pragma once

#include <REDudi/preprocessor.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace REDudi {
namespace testing {

template <class Text = UString>
Text Wide(const std::string& ascii) {
    return Text(ascii.begin(), ascii.end());
}

// Templates in tests write ' for the quotation mark and % for "<!-- qv".
inline std::string Q(const std::string& text) {
    std::string result;
    for (char c : text)
        result += c == '%' ? std::string("<!-- qv") : std::string(1, c == '\'' ? '"' : c);
    return result;
}

template <class Base, class Text>
class Stepwise : public Base {
public:
    Text ExpandStepwise(const Text& text) {
        Text work = text;
        for (int at = 0;;) {
            auto find = [&](const char* what) {
                auto found = work.find(Wide<Text>(what), static_cast<std::size_t>(at));
                return found == Text::npos ? -1 : static_cast<int>(found);
            };
            int condition = find("<!-- qvifvar"), variable = find("<!-- qvvar");
            int file = find("<!-- qvfile"), loop = find("<!-- qvfor");
            if (this->IsFirst(condition, variable, file, loop))
                at = this->ProcessIfVariable(work, condition);
            else if (this->IsFirst(variable, condition, file, loop))
                at = this->ReplaceVariable(work, variable);
            else if (this->IsFirst(file, condition, variable, loop))
                at = this->ProcessFile(work, file);
            else if (this->IsFirst(loop, condition, variable, file))
                at = this->ProcessFor(work, loop);
            else
                return work;
        }
    }
};

// Runs each loop `passes` times, at most `budget` passes in all (so that
// nested loops end), and points N at the pass, noting the loop names.
template <class Preprocessor, class Handler, class Text>
class PassingHandler : public Handler {
public:
    PassingHandler(Preprocessor& preprocessor, unsigned int passes)
        : preprocessor_(preprocessor), passes_(passes) {}
    std::vector<Text> names;
    unsigned int budget = ~0u;

    bool BeginFor(Text& loopName) override {
        names.push_back(loopName);
        preprocessor_.SetN(pass_[loopName] = 0);
        return passes_ > 0 && Spend();
    }
    bool NextFor(Text& loopName) override {
        preprocessor_.SetN(++pass_[loopName]);
        return pass_[loopName] < passes_ && Spend();
    }

private:
    bool Spend() { return budget > 0 && budget--; }
    Preprocessor& preprocessor_;
    unsigned int passes_;
    std::map<Text, unsigned int> pass_;
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

} // namespace testing
} // namespace REDudi
