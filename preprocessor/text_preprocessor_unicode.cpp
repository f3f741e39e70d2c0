#include <REDudi/preprocessor.h>

#include "preprocessor/directive_texts.h"
#include "preprocessor/literal_steps.h"
#include "preprocessor/preprocessor_hooks.h"
#include "preprocessor/template_expander.h"

#include <REDudi/config.h>

namespace REDudi {

using preprocessing::DirectiveTexts;

// The wide reading of a directive's name and index: both must be ASCII.
class ATextPreprocessorUnicode::Hooks final
    : public preprocessing::PreprocessorHooks<UString, ParameterProviderUnicode, PropertyBagUnicode,
                                              ForHandlerUnicode, FileGenerationHandlerUnicode> {
public:
    explicit Hooks(ATextPreprocessorUnicode& owner)
        : PreprocessorHooks({owner.callProvider_, owner.defaultProvider_, owner.forHandler_,
                             owner.fileGenerator_, owner.n_}),
          owner_(owner) {}

    const UString* Resolve(View name, const View* indexText, bool lookUp) override {
        if (!Narrow(name, name_))
            return nullptr;
        if (!indexText) {
            if (lookUp)
                return LookUp(name_, nullptr);
            value_.assign(name.data(), name.size());
            return &value_;
        }
        unsigned int index = owner_.n_;
        if (!preprocessing::SameText(*indexText,
                                     DirectiveTexts<UnicodeStdString>::Get().autoIndex)) {
            std::string digits;
            if (!Narrow(*indexText, digits) || digits.empty())
                return nullptr;
            index = preprocessing::ReadIndexLikeStrtoul(digits);
        }
        if (lookUp)
            return LookUp(name_, &index);
        // The loop name keeps the index text as written ("auto" included).
        value_.assign(name.data(), name.size()).append(indexText->data(), indexText->size());
        return &value_;
    }

    UString Expand(const UString& body) override { return owner_.DoTheDeal(body); }

private:
    // Fails on a unit outside ASCII.
    template <class Narrowed>
    static bool Narrow(View wide, Narrowed& narrow) {
        narrow.resize(wide.size());
        for (std::size_t at = 0; at < wide.size(); ++at) {
            if (wide[at] > 127)
                return false;
            narrow[at] = static_cast<char>(wide[at]);
        }
        return true;
    }

    ATextPreprocessorUnicode& owner_;
};

static_assert(sizeof(ATextPreprocessorUnicode) == sizeof(ATextPreprocessor),
              "the wide preprocessor has the narrow one's layout");

ATextPreprocessorUnicode::~ATextPreprocessorUnicode() = default;

void ATextPreprocessorUnicode::SetParameterProvider(ParameterProviderUnicode* provider) {
    defaultProvider_ = provider;
}

void ATextPreprocessorUnicode::SetTextProvider(TextProviderUnicode* provider) {
    textProvider_ = provider;
}

void ATextPreprocessorUnicode::SetFileGenerator(FileGenerationHandlerUnicode* generator) {
    fileGenerator_ = generator;
}

void ATextPreprocessorUnicode::SetForHandler(ForHandlerUnicode* handler) {
    forHandler_ = handler;
}

void ATextPreprocessorUnicode::SetN(unsigned int n) {
    n_ = n;
}

UString ATextPreprocessorUnicode::Preprocess(const UString& text,
                                             ParameterProviderUnicode* provider) {
    if (!defaultProvider_)
        return UString();
    callProvider_ = provider;
    return DoTheDeal(text);
}

UString ATextPreprocessorUnicode::Preprocess(unsigned int id, ParameterProviderUnicode* provider) {
    if (!textProvider_)
        return UString();
    return Preprocess(textProvider_->GetText(id), provider);
}

UString ATextPreprocessorUnicode::DoTheDeal(const UString& text) {
    Hooks hooks(*this);
    return UString(preprocessing::TemplateExpander<UString, Hooks>::Expand(hooks, text));
}

int ATextPreprocessorUnicode::ReplaceVariable(UString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<UString>(hooks).ReplaceVariable(text, position);
}

int ATextPreprocessorUnicode::ProcessIfVariable(UString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<UString>(hooks).ProcessIfVariable(text, position);
}

int ATextPreprocessorUnicode::ProcessFile(UString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<UString>(hooks).ProcessFile(text, position);
}

int ATextPreprocessorUnicode::ProcessFor(UString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<UString>(hooks).ProcessFor(text, position);
}

bool ATextPreprocessorUnicode::ExtractVariable(const UString& text, const UString& opening,
                                               const UString& endMarker, int position, int& length,
                                               UString& value, bool lookUp) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<UString>(hooks).ExtractVariable(
        text, opening, endMarker, position, length, value, lookUp);
}

bool ATextPreprocessorUnicode::FindMatchingEnd(const UString& text, const UString& opening,
                                               const UString& closing, int from, int& end) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<UString>(hooks).FindMatchingEnd(text, opening, closing, from,
                                                                       end);
}

int ATextPreprocessorUnicode::CountBeginsBetweenHereAndThere(const UString& text,
                                                             const UString& opening, int from,
                                                             int to) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<UString>(hooks).CountBeginsBetweenHereAndThere(text, opening,
                                                                                      from, to);
}

bool ATextPreprocessorUnicode::IsFirst(int a, int b, int c, int d) {
    return preprocessing::IsFirstFound(a, b, c, d);
}

} // namespace REDudi
