// What an expansion asks of its preprocessor: variable values, the loop
// handler and the file handler. The narrow and the wide preprocessor each
// answer in their own width; the scanning code is shared. Str is the
// library's string of that width (PString or UString).
#pragma once

#include <string_view>

namespace REDudi {
namespace preprocessing {

template <class Str>
class ExpansionHooks {
public:
    using S = typename Str::StdString;
    using View = std::basic_string_view<typename S::value_type, typename S::traits_type>;

    // A directive's value: looked up in the providers, or (without look-up)
    // the loop name made of the name and the index. `indexText` is null when
    // the directive has no index attribute. Null when the directive is
    // malformed and must stay in the output; otherwise the hooks' own
    // string, valid until the next call.
    virtual const Str* Resolve(View name, const View* indexText, bool lookUp) = 0;
    virtual bool HasLoopHandler() = 0;
    virtual bool BeginFor(Str& loopName) = 0;
    virtual bool NextFor(Str& loopName) = 0;
    virtual void AddFile(View source, View destination) = 0;
    // The full expansion of a loop body, one pass.
    virtual Str Expand(const Str& body) = 0;

protected:
    ~ExpansionHooks() = default;
};

} // namespace preprocessing
} // namespace REDudi
