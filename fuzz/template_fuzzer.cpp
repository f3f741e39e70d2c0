// Expands arbitrary templates against a property bag, in both widths, and
// checks that expansion ends without crashing, that text without directives
// comes back unchanged, and that the one-pass scan agrees with a scan built
// from the in-place steps, which edit the text exactly as the directive
// rules are written.
#include <REDudi/config.h>
#include <REDudi/preprocessor.h>

#include <cstdint>
#include <memory>
#include <string>

using namespace REDudi;

namespace {

// Loops run at most twice each and 40 passes in all, so nested loops end.
template <class Preprocessor, class Handler, class Text>
class BoundedLoops : public Handler {
public:
    explicit BoundedLoops(Preprocessor& preprocessor) : preprocessor_(preprocessor) {}
    void Reset() { budget_ = 40; }
    bool BeginFor(Text& loopName) override {
        loopName.push_back('!'); // the handler may change the name it is handed
        pass_ = 0;
        return Pass();
    }
    bool NextFor(Text&) override { return ++pass_ < 2 && Pass(); }

private:
    bool Pass() {
        preprocessor_.SetN(pass_);
        return budget_ > 0 && budget_-- > 0;
    }
    Preprocessor& preprocessor_;
    unsigned int budget_ = 40;
    unsigned int pass_ = 0;
};

template <class Handler, class Text>
struct CountingFiles : Handler {
    std::size_t count = 0;
    bool AddFile(const Text&, Text& destination) override {
        destination.push_back('x');
        return ++count != 0;
    }
};

// The scan made of the protected steps.
template <class Base, class Text>
class Stepwise : public Base {
public:
    Text ExpandStepwise(const Text& text) {
        Text work = text;
        int at = 0;
        for (;;) {
            int condition = Find(work, "<!-- qvifvar", at);
            int variable = Find(work, "<!-- qvvar", at);
            int file = Find(work, "<!-- qvfile", at);
            int loop = Find(work, "<!-- qvfor", at);
            if (Base::IsFirst(condition, variable, file, loop))
                at = this->ProcessIfVariable(work, condition);
            else if (Base::IsFirst(variable, condition, file, loop))
                at = this->ReplaceVariable(work, variable);
            else if (Base::IsFirst(file, condition, variable, loop))
                at = this->ProcessFile(work, file);
            else if (Base::IsFirst(loop, condition, variable, file))
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

const char* const kValues[][2] = {
    {"a", "A"},
    {"b", "0"},
    {"c", ""},
    {"i0", "zero"},
    {"i1", "one"},
    {"v", "<!-- qvvar name=\"a\" -->"},
    {"w", "<!-- qvendifvar -->"},
    {"i4294967295", "max"},
};

template <class Text>
bool HasOpener(const Text& text) {
    static const char prefix[] = "<!-- qv";
    Text pattern(prefix, prefix + 7);
    return text.find(pattern) != Text::npos;
}

void FuzzNarrow(const PString& input, PropertyBag& bag) {
    Stepwise<ATextPreprocessor, PString> preprocessor;
    BoundedLoops<ATextPreprocessor, ForHandler, PString> loops(preprocessor);
    CountingFiles<FileGenerationHandler, PString> files;
    preprocessor.SetParameterProvider(&bag);
    preprocessor.SetForHandler(&loops);
    preprocessor.SetFileGenerator(&files);
    PString fast = preprocessor.Preprocess(input, nullptr);
    loops.Reset();
    preprocessor.SetN(0);
    PString stepwise = preprocessor.ExpandStepwise(input);
    if (fast != stepwise)
        __builtin_trap();
    if (!HasOpener(input) && fast != input)
        __builtin_trap();
}

void FuzzWide(const UString& input, PropertyBagUnicode& bag) {
    Stepwise<ATextPreprocessorUnicode, UString> preprocessor;
    BoundedLoops<ATextPreprocessorUnicode, ForHandlerUnicode, UString> loops(preprocessor);
    CountingFiles<FileGenerationHandlerUnicode, UString> files;
    preprocessor.SetParameterProvider(&bag);
    preprocessor.SetForHandler(&loops);
    preprocessor.SetFileGenerator(&files);
    UString fast = preprocessor.Preprocess(input, nullptr);
    loops.Reset();
    preprocessor.SetN(0);
    if (fast != preprocessor.ExpandStepwise(input))
        __builtin_trap();
    if (!HasOpener(input) && fast != input)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::unique_ptr<PropertyBag> bag;
    static std::unique_ptr<PropertyBagUnicode> wideBag;
    if (!bag) {
        bag.reset(PropertyBag::GetNewPropertyBag());
        wideBag.reset(PropertyBagUnicode::GetNewPropertyBag());
        for (const auto& entry : kValues) {
            bag->SetProperty(entry[0], entry[1]);
            std::string value = entry[1];
            UString wide(value.begin(), value.end());
            wide.push_back(0xDC00); // a lone surrogate is only a unit to the preprocessor
            wideBag->SetProperty(entry[0], wide.c_str());
        }
    }
    PString narrow(reinterpret_cast<const char*>(data), static_cast<unsigned int>(size));
    FuzzNarrow(narrow, *bag);
    // The same bytes as 16-bit text: ASCII widened, and every other byte
    // pair taken as one unit, so invalid UTF-16 comes up too.
    UString wide;
    for (std::size_t at = 0; at < size; ++at) {
        if (data[at] < 0x80 || at + 1 == size)
            wide.push_back(data[at]);
        else {
            wide.push_back(static_cast<unsigned short>(data[at] << 8 | data[at + 1]));
            ++at;
        }
    }
    FuzzWide(wide, *wideBag);
    return 0;
}
