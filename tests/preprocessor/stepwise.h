// The scan a derived class builds from a preprocessor's protected in-place
// steps; the preprocessors' own one-pass scan must agree with it.
#pragma once

namespace REDudi {
namespace testing {

template <class Base, class Text>
class Stepwise : public Base {
public:
    using Base::CountBeginsBetweenHereAndThere;
    using Base::FindMatchingEnd;
    using Base::IsFirst;

    Text ExpandStepwise(const Text& text) {
        Text work = text;
        int at = 0;
        for (;;) {
            int condition = Find(work, "<!-- qvifvar", at);
            int variable = Find(work, "<!-- qvvar", at);
            int file = Find(work, "<!-- qvfile", at);
            int loop = Find(work, "<!-- qvfor", at);
            if (IsFirst(condition, variable, file, loop))
                at = this->ProcessIfVariable(work, condition);
            else if (IsFirst(variable, condition, file, loop))
                at = this->ReplaceVariable(work, variable);
            else if (IsFirst(file, condition, variable, loop))
                at = this->ProcessFile(work, file);
            else if (IsFirst(loop, condition, variable, file))
                at = this->ProcessFor(work, loop);
            else
                return work;
        }
    }

private:
    static int Find(const Text& text, const char* what, int from) {
        Text pattern;
        for (; *what; ++what)
            pattern.push_back(static_cast<unsigned char>(*what));
        auto found = text.find(pattern, static_cast<std::size_t>(from));
        return found == Text::npos ? -1 : static_cast<int>(found);
    }
};

} // namespace testing
} // namespace REDudi
