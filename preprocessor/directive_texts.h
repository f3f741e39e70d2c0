// The fixed texts of the template directive language, in the unit type of
// the template being expanded. Directive texts are ASCII, so the wide forms
// are the same characters widened unit by unit.
#pragma once

#include <string>
#include <string_view>

namespace REDudi {
namespace preprocessing {

template <class S>
S Widen(const char* ascii) {
    S text;
    for (; *ascii; ++ascii)
        text.push_back(static_cast<typename S::value_type>(static_cast<unsigned char>(*ascii)));
    return text;
}

template <class S>
struct DirectiveTexts {
    // Every opener begins with this; the scan looks for it once and then
    // tells the four openers apart.
    const S commonPrefix = Widen<S>("<!-- qv");
    const S openVariable = Widen<S>("<!-- qvvar");
    const S openCondition = Widen<S>("<!-- qvifvar");
    const S openLoop = Widen<S>("<!-- qvfor");
    const S openFile = Widen<S>("<!-- qvfile");
    const S endMarker = Widen<S>("-->");
    const S closeCondition = Widen<S>("<!-- qvendifvar -->");
    const S closeLoop = Widen<S>("<!-- qvendfor -->");
    const S nameAttribute = Widen<S>("name=\"");
    const S indexAttribute = Widen<S>("n=\"");
    const S sourceAttribute = Widen<S>("source=\"");
    const S destAttribute = Widen<S>("dest=\"");
    const S autoIndex = Widen<S>("auto");
    const S falseValue = Widen<S>("0");
    const typename S::value_type quote = '"';

    static const DirectiveTexts& Get() {
        static const DirectiveTexts texts;
        return texts;
    }
};

// Reads an index text as the C library's atol does where long has 32 bits
// (the library's Windows targets): leading white space, an optional sign,
// decimal digits up to the first other character. Out-of-range values
// saturate, as the Windows runtime's atol does, so the result does not
// depend on the width of long on the build machine.
long ReadIndexLikeAtol(std::string_view text);

// Reads an index text as strtoul in base 10 does where unsigned long has 32
// bits: a leading minus negates modulo 2^32, out-of-range values give
// 0xFFFFFFFF.
unsigned int ReadIndexLikeStrtoul(std::string_view text);

} // namespace preprocessing
} // namespace REDudi
