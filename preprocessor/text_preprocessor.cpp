#include <REDudi/preprocessor.h>

#include "preprocessor/directive_texts.h"
#include "preprocessor/literal_steps.h"
#include "preprocessor/template_expander.h"
#include "preprocessor/variable_cache.h"

#include <REDudi/config.h>

#include <cstdio>

namespace REDudi {

using preprocessing::DirectiveTexts;

// The narrow answers to the shared scanning code. Names and values pass
// through strings kept for the whole expansion, so that a lookup allocates
// nothing once they have grown to the longest value.
class ATextPreprocessor::Hooks : public preprocessing::ExpansionHooks<PString> {
public:
    explicit Hooks(ATextPreprocessor& owner) : owner_(owner) {}

    const PString* Resolve(View name, const View* indexText, bool lookUp) override {
        if (!indexText) {
            if (lookUp)
                return LookUp(name, nullptr);
            name_.assign(name.data(), name.size());
            return &name_;
        }
        unsigned int index =
            preprocessing::SameText(*indexText, DirectiveTexts<std::string>::Get().autoIndex)
                ? owner_.n_
                : static_cast<unsigned int>(preprocessing::ReadIndexLikeAtol(*indexText));
        if (lookUp)
            return LookUp(name, &index);
        char digits[16];
        int length = std::snprintf(digits, sizeof digits, "%d", static_cast<int>(index));
        value_.assign(name.data(), name.size()).append(digits, static_cast<std::size_t>(length));
        return &value_;
    }

    bool HasLoopHandler() override { return owner_.forHandler_ != nullptr; }

    bool BeginFor(PString& loopName) override {
        return owner_.forHandler_ && owner_.forHandler_->BeginFor(loopName);
    }

    bool NextFor(PString& loopName) override {
        return owner_.forHandler_ && owner_.forHandler_->NextFor(loopName);
    }

    void AddFile(View source, View destination) override {
        if (!owner_.fileGenerator_)
            return;
        PString dest{std::string(destination)};
        owner_.fileGenerator_->AddFile(PString{std::string(source)}, dest);
    }

    PString Expand(const PString& body) override { return owner_.DoTheDeal(body); }

private:
    // The per-call provider first; the default provider's answer is taken
    // whatever it returns. A variable no provider knows stays empty.
    const PString* LookUp(View name, const unsigned int* index) {
        if (const PString* kept =
                cache_.Find(owner_.callProvider_, owner_.defaultProvider_, name, index))
            return kept;
        name_.assign(name.data(), name.size());
        value_.clear();
        bool known = false;
        if (owner_.callProvider_)
            known = Ask(*owner_.callProvider_, index);
        if (!known && owner_.defaultProvider_)
            Ask(*owner_.defaultProvider_, index);
        return cache_.Keep(name_, index, value_);
    }

    bool Ask(ParameterProvider& provider, const unsigned int* index) {
        return index ? provider.GetVariableValue(name_, value_, *index)
                     : provider.GetVariableValue(name_, value_);
    }

    ATextPreprocessor& owner_;
    PString name_;
    PString value_;
    preprocessing::VariableCache<ParameterProvider, PropertyBag, PString> cache_;
};

// The layout: a table pointer, then the six fields in their order.
static_assert(sizeof(ATextPreprocessor) == (sizeof(void*) == 4 ? 28 : 56),
              "ATextPreprocessor is a table pointer, five pointers and an unsigned int");

ATextPreprocessor::~ATextPreprocessor() = default;

void ATextPreprocessor::SetParameterProvider(ParameterProvider* provider) {
    defaultProvider_ = provider;
}

void ATextPreprocessor::SetTextProvider(TextProvider* provider) {
    textProvider_ = provider;
}

void ATextPreprocessor::SetFileGenerator(FileGenerationHandler* generator) {
    fileGenerator_ = generator;
}

void ATextPreprocessor::SetForHandler(ForHandler* handler) {
    forHandler_ = handler;
}

void ATextPreprocessor::SetN(unsigned int n) {
    n_ = n;
}

PString ATextPreprocessor::Preprocess(const PString& text, ParameterProvider* provider) {
    if (!defaultProvider_)
        return PString();
    callProvider_ = provider;
    return DoTheDeal(text);
}

PString ATextPreprocessor::Preprocess(unsigned int id, ParameterProvider* provider) {
    if (!textProvider_)
        return PString();
    return Preprocess(textProvider_->GetText(id), provider);
}

PString ATextPreprocessor::DoTheDeal(const PString& text) {
    Hooks hooks(*this);
    return PString(preprocessing::TemplateExpander<PString>::Expand(hooks, text));
}

int ATextPreprocessor::ReplaceVariable(PString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<PString>(hooks).ReplaceVariable(text, position);
}

int ATextPreprocessor::ProcessIfVariable(PString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<PString>(hooks).ProcessIfVariable(text, position);
}

int ATextPreprocessor::ProcessFile(PString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<PString>(hooks).ProcessFile(text, position);
}

int ATextPreprocessor::ProcessFor(PString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<PString>(hooks).ProcessFor(text, position);
}

bool ATextPreprocessor::ExtractVariable(const PString& text, const PString& opening,
                                        const PString& endMarker, int position, int& length,
                                        PString& value, bool lookUp) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<PString>(hooks).ExtractVariable(
        text, opening, endMarker, position, length, value, lookUp);
}

bool ATextPreprocessor::FindMatchingEnd(const PString& text, const PString& opening,
                                        const PString& closing, int from, int& end) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<PString>(hooks).FindMatchingEnd(text, opening, closing, from,
                                                                       end);
}

int ATextPreprocessor::CountBeginsBetweenHereAndThere(const PString& text, const PString& opening,
                                                      int from, int to) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<PString>(hooks).CountBeginsBetweenHereAndThere(text, opening,
                                                                                      from, to);
}

bool ATextPreprocessor::IsFirst(int a, int b, int c, int d) {
    return preprocessing::IsFirstFound(a, b, c, d);
}

} // namespace REDudi
