#include <REDudi/preprocessor.h>

#include "preprocessor/directive_texts.h"
#include "preprocessor/literal_steps.h"
#include "preprocessor/template_expander.h"

namespace REDudi {

using preprocessing::DirectiveTexts;

// The wide answers to the shared scanning code: names and index texts must
// be ASCII, values are wide.
class ATextPreprocessorUnicode::Hooks : public preprocessing::ExpansionHooks<UnicodeStdString> {
public:
    explicit Hooks(ATextPreprocessorUnicode& owner) : owner_(owner) {}

    bool Resolve(const UnicodeStdString& name, const UnicodeStdString* indexText, bool lookUp,
                 UnicodeStdString& value) override {
        std::string narrowName;
        if (!ConvertUnicodeToASCII(name, narrowName))
            return false;
        if (!indexText) {
            if (lookUp)
                return LookUp(PString(narrowName), value, nullptr);
            return ConvertASCIIToUnicode(narrowName, value);
        }
        unsigned int index = owner_.n_;
        if (*indexText != DirectiveTexts<UnicodeStdString>::Get().autoIndex) {
            std::string digits;
            if (!ConvertUnicodeToASCII(*indexText, digits) || digits.empty())
                return false;
            index = preprocessing::ReadIndexLikeStrtoul(digits);
        }
        if (lookUp)
            return LookUp(PString(narrowName), value, &index);
        // The loop name keeps the index text as written ("auto" included).
        if (!ConvertASCIIToUnicode(narrowName, value))
            return false;
        value += *indexText;
        return true;
    }

    bool HasLoopHandler() override { return owner_.forHandler_ != nullptr; }

    bool BeginFor(UnicodeStdString& loopName) override {
        return CallHandler(loopName, &ForHandlerUnicode::BeginFor);
    }

    bool NextFor(UnicodeStdString& loopName) override {
        return CallHandler(loopName, &ForHandlerUnicode::NextFor);
    }

    void AddFile(const UnicodeStdString& source, const UnicodeStdString& destination) override {
        if (!owner_.fileGenerator_)
            return;
        UString dest(destination);
        owner_.fileGenerator_->AddFile(UString(source), dest);
    }

    UnicodeStdString Expand(const UnicodeStdString& body) override {
        return owner_.DoTheDeal(body);
    }

private:
    bool LookUp(const PString& name, UnicodeStdString& value, const unsigned int* index) {
        UString found(value);
        bool known = false;
        if (owner_.callProvider_)
            known = Ask(*owner_.callProvider_, name, found, index);
        if (!known && owner_.defaultProvider_)
            Ask(*owner_.defaultProvider_, name, found, index);
        value = found;
        return true;
    }

    static bool Ask(ParameterProviderUnicode& provider, const PString& name, UString& value,
                    const unsigned int* index) {
        return index ? provider.GetVariableValue(name, value, *index)
                     : provider.GetVariableValue(name, value);
    }

    bool CallHandler(UnicodeStdString& loopName, bool (ForHandlerUnicode::*step)(UString&)) {
        if (!owner_.forHandler_)
            return false;
        UString name(loopName);
        bool more = (owner_.forHandler_->*step)(name);
        loopName = name;
        return more;
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
    return UString(preprocessing::TemplateExpander<UnicodeStdString>::Expand(hooks, text));
}

int ATextPreprocessorUnicode::ReplaceVariable(UString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<UnicodeStdString>(hooks).ReplaceVariable(text, position);
}

int ATextPreprocessorUnicode::ProcessIfVariable(UString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<UnicodeStdString>(hooks).ProcessIfVariable(text, position);
}

int ATextPreprocessorUnicode::ProcessFile(UString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<UnicodeStdString>(hooks).ProcessFile(text, position);
}

int ATextPreprocessorUnicode::ProcessFor(UString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<UnicodeStdString>(hooks).ProcessFor(text, position);
}

bool ATextPreprocessorUnicode::ExtractVariable(const UString& text, const UString& opening,
                                               const UString& endMarker, int position, int& length,
                                               UString& value, bool lookUp) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<UnicodeStdString>(hooks).ExtractVariable(
        text, opening, endMarker, position, length, value, lookUp);
}

bool ATextPreprocessorUnicode::FindMatchingEnd(const UString& text, const UString& opening,
                                               const UString& closing, int from, int& end) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<UnicodeStdString>(hooks).FindMatchingEnd(text, opening,
                                                                                closing, from, end);
}

int ATextPreprocessorUnicode::CountBeginsBetweenHereAndThere(const UString& text,
                                                             const UString& opening, int from,
                                                             int to) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<UnicodeStdString>(hooks).CountBeginsBetweenHereAndThere(
        text, opening, from, to);
}

bool ATextPreprocessorUnicode::IsFirst(int a, int b, int c, int d) {
    return preprocessing::IsFirstFound(a, b, c, d);
}

} // namespace REDudi
