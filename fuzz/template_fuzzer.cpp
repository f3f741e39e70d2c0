// Expands arbitrary templates against a property bag, in both widths, and
// checks that expansion ends without crashing, that text without directives
// comes back unchanged, and that the one-pass scan agrees with a scan built
// from the in-place steps, which edit the text exactly as the directive
// rules are written.
#include <REDudi/config.h>
#include <REDudi/preprocessor.h>

#include "tests/preprocessor/preprocessor_fixtures.h"
#include "tests/preprocessor/stepwise.h"

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

// Both scans of one input, which must agree; text without an opener must
// come back as it was.
template <class Preprocessor, class ForHandlerType, class FilesHandler, class Text, class Bag>
void Fuzz(const Text& input, Bag& bag) {
    REDudi::testing::Stepwise<Preprocessor, Text> preprocessor;
    BoundedLoops<Preprocessor, ForHandlerType, Text> loops(preprocessor);
    REDudi::testing::RecordingFiles<FilesHandler, Text> files;
    preprocessor.SetParameterProvider(&bag);
    preprocessor.SetForHandler(&loops);
    preprocessor.SetFileGenerator(&files);
    Text fast = preprocessor.Preprocess(input, nullptr);
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
    Fuzz<ATextPreprocessor, ForHandler, FileGenerationHandler>(narrow, *bag);
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
    Fuzz<ATextPreprocessorUnicode, ForHandlerUnicode, FileGenerationHandlerUnicode>(wide, *wideBag);
    return 0;
}
