// Expands arbitrary templates in both widths: expansion must end, agree with the scan
// built from the in-place steps (which edit the text exactly as the directive rules are
// written) and give text without directives back unchanged.
#include <REDudi/config.h>

#include "tests/preprocessor/preprocessor_fixtures.h"

#include <cstdint>
#include <iterator>
#include <memory>

using namespace REDudi;
using namespace REDudi::testing;

namespace {

template <class Preprocessor, class Loops, class Files, class Text, class Bag>
void Fuzz(const Text& input, Bag& bag) {
    Stepwise<Preprocessor, Text> preprocessor;
    PassingHandler<Stepwise<Preprocessor, Text>, Loops, Text> loops(preprocessor, 2);
    RecordingFiles<Files, Text> files;
    preprocessor.SetParameterProvider(&bag);
    preprocessor.SetForHandler(&loops);
    preprocessor.SetFileGenerator(&files);
    loops.budget = 40;
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
        // clang-format off
        const char* const values[] = {"a", "A", "b", "0", "c", "", "i0", "zero", "i1", "one",
            "v", "%var name='a' -->", "w", "%endifvar -->", "i4294967295", "max"};
        // clang-format on
        for (std::size_t at = 0; at < std::size(values); at += 2) {
            bag->SetProperty(values[at], Q(values[at + 1]).c_str());
            const unsigned short lone = 0xDC00; // only a unit to the preprocessor
            wideBag->SetProperty(values[at], (Wide(Q(values[at + 1])) + UString(&lone, 1)).c_str());
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
