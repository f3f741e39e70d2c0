// What an expansion asks of its preprocessor: variable values, the loop
// handler and the file handler. The narrow and the wide preprocessor each
// answer in their own width; the scanning code is shared.
#pragma once

namespace REDudi {
namespace preprocessing {

template <class S>
class ExpansionHooks {
public:
    // Gives a directive's value: looked up in the providers, or (without
    // look-up) the loop name made of the name and the index. `indexText` is
    // null when the directive has no index attribute. False when the
    // directive is malformed and must stay in the output.
    virtual bool Resolve(const S& name, const S* indexText, bool lookUp, S& value) = 0;
    virtual bool HasLoopHandler() = 0;
    virtual bool BeginFor(S& loopName) = 0;
    virtual bool NextFor(S& loopName) = 0;
    virtual void AddFile(const S& source, const S& destination) = 0;
    // The full expansion of a loop body, one pass.
    virtual S Expand(const S& body) = 0;

protected:
    ~ExpansionHooks() = default;
};

} // namespace preprocessing
} // namespace REDudi
