#include <REDudi/preprocessor.h>

#include "preprocessor/directive_texts.h"
#include "preprocessor/literal_steps.h"
#include "preprocessor/preprocessor_hooks.h"
#include "preprocessor/template_expander.h"

#include <REDudi/config.h>

#include <cstdio>

namespace REDudi {

using preprocessing::DirectiveTexts;

// The narrow reading of a directive's name and index.
class ATextPreprocessor::Hooks final
    : public preprocessing::PreprocessorHooks<PString, ParameterProvider, PropertyBag, ForHandler,
                                              FileGenerationHandler> {
public:
    explicit Hooks(ATextPreprocessor& owner)
        : PreprocessorHooks({owner.callProvider_, owner.defaultProvider_, owner.forHandler_,
                             owner.fileGenerator_, owner.n_}),
          owner_(owner) {}

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

    PString Expand(const PString& body) override { return owner_.DoTheDeal(body); }

private:
    ATextPreprocessor& owner_;
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
    return PString(preprocessing::TemplateExpander<PString, Hooks>::Expand(hooks, text));
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
