// Expands arbitrary templates in both widths and checks that expansion ends,
// that the one-pass scan agrees with the scan built from the in-place steps
// (which edit the text exactly as the directive rules are written), and that
// text without directives comes back unchanged.
#include <REDudi/config.h>

#include "tests/preprocessor/preprocessor_fixtures.h"

#include <cstdint>
#include <memory>

using namespace REDudi;
using REDudi::testing::Wide;

namespace {

// Loops run at most twice each and 40 passes in all, so nested loops end; the
// handler may change the loop name it is handed.
template <class Preprocessor, class Handler, class Text>
class BoundedLoops : public Handler {
public:
    explicit BoundedLoops(Preprocessor& preprocessor) : preprocessor_(preprocessor) {}
    unsigned int budget = 40;
    bool BeginFor(Text& loopName) override {
        loopName.push_back('!');
        return Pass(pass_ = 0);
    }
    bool NextFor(Text&) override { return ++pass_ < 2 && Pass(pass_); }

private:
    bool Pass(unsigned int pass) {
        preprocessor_.SetN(pass);
        return budget > 0 && budget-- > 0;
    }
    Preprocessor& preprocessor_;
    unsigned int pass_ = 0;
};

template <class Preprocessor, class ForHandlerType, class FilesHandler, class Text, class Bag>
void Fuzz(const Text& input, Bag& bag) {
    REDudi::testing::Stepwise<Preprocessor, Text> preprocessor;
    BoundedLoops<Preprocessor, ForHandlerType, Text> loops(preprocessor);
    REDudi::testing::RecordingFiles<FilesHandler, Text> files;
    preprocessor.SetParameterProvider(&bag);
    preprocessor.SetForHandler(&loops);
    preprocessor.SetFileGenerator(&files);
    Text fast = preprocessor.Preprocess(input, nullptr);
    loops.budget = 40;
    preprocessor.SetN(0);
    if (fast != preprocessor.ExpandStepwise(input) ||
        (input.find(Wide<Text>("<!-- qv")) == Text::npos && fast != input))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::unique_ptr<PropertyBag> bag;
    static std::unique_ptr<PropertyBagUnicode> wideBag;
    if (!bag) {
        bag.reset(PropertyBag::GetNewPropertyBag());
        wideBag.reset(PropertyBagUnicode::GetNewPropertyBag());
        const char* const values[][2] = {{"a", "A"},
                                         {"b", "0"},
                                         {"c", ""},
                                         {"i0", "zero"},
                                         {"i1", "one"},
                                         {"v", "<!-- qvvar name=\"a\" -->"},
                                         {"w", "<!-- qvendifvar -->"},
                                         {"i4294967295", "max"}};
        for (const auto& entry : values) {
            bag->SetProperty(entry[0], entry[1]);
            UString wide = Wide(entry[1]);
            wide.push_back(0xDC00); // a lone surrogate is only a unit to the preprocessor
            wideBag->SetProperty(entry[0], wide.c_str());
        }
    }
    Fuzz<ATextPreprocessor, ForHandler, FileGenerationHandler>(
        PString(reinterpret_cast<const char*>(data), static_cast<unsigned int>(size)), *bag);
    // The same bytes as 16-bit text: ASCII widened, every other byte pair
    // taken as one unit, so invalid UTF-16 comes up too.
    UString wide;
    for (std::size_t at = 0; at < size; ++at) {
        bool pair = data[at] >= 0x80 && at + 1 < size;
        wide.push_back(pair ? static_cast<unsigned short>(data[at] << 8 | data[at + 1]) : data[at]);
        at += pair;
    }
    Fuzz<ATextPreprocessorUnicode, ForHandlerUnicode, FileGenerationHandlerUnicode>(wide, *wideBag);
    return 0;
}
