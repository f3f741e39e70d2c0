#include <REDudi/preprocessor.h>

#include "preprocessor/directive_texts.h"
#include "preprocessor/literal_steps.h"
#include "preprocessor/template_expander.h"

#include <cstdio>

namespace REDudi {

using preprocessing::DirectiveTexts;

// The narrow answers to the shared scanning code.
class ATextPreprocessor::Hooks : public preprocessing::ExpansionHooks<std::string> {
public:
    explicit Hooks(ATextPreprocessor& owner) : owner_(owner) {}

    bool Resolve(const std::string& name, const std::string* indexText, bool lookUp,
                 std::string& value) override {
        const PString variable(name);
        if (!indexText) {
            if (lookUp)
                return LookUp(variable, value, nullptr);
            value = name;
            return true;
        }
        unsigned int index =
            *indexText == DirectiveTexts<std::string>::Get().autoIndex
                ? owner_.n_
                : static_cast<unsigned int>(preprocessing::ReadIndexLikeAtol(*indexText));
        if (lookUp)
            return LookUp(variable, value, &index);
        char digits[16];
        std::snprintf(digits, sizeof digits, "%d", static_cast<int>(index));
        value = name + digits;
        return true;
    }

    bool HasLoopHandler() override { return owner_.forHandler_ != nullptr; }

    bool BeginFor(std::string& loopName) override {
        return CallHandler(loopName, &ForHandler::BeginFor);
    }

    bool NextFor(std::string& loopName) override {
        return CallHandler(loopName, &ForHandler::NextFor);
    }

    void AddFile(const std::string& source, const std::string& destination) override {
        if (!owner_.fileGenerator_)
            return;
        PString dest(destination);
        owner_.fileGenerator_->AddFile(PString(source), dest);
    }

    std::string Expand(const std::string& body) override { return owner_.DoTheDeal(body); }

private:
    // The per-call provider first; the default provider's answer is taken
    // whatever it returns. A variable no provider knows leaves `value` as it
    // was.
    bool LookUp(const PString& name, std::string& value, const unsigned int* index) {
        PString found(value);
        bool known = false;
        if (owner_.callProvider_)
            known = Ask(*owner_.callProvider_, name, found, index);
        if (!known && owner_.defaultProvider_)
            Ask(*owner_.defaultProvider_, name, found, index);
        value = found;
        return true;
    }

    static bool Ask(ParameterProvider& provider, const PString& name, PString& value,
                    const unsigned int* index) {
        return index ? provider.GetVariableValue(name, value, *index)
                     : provider.GetVariableValue(name, value);
    }

    bool CallHandler(std::string& loopName, bool (ForHandler::*step)(PString&)) {
        if (!owner_.forHandler_)
            return false;
        PString name(loopName);
        bool more = (owner_.forHandler_->*step)(name);
        loopName = name;
        return more;
    }

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
    return PString(preprocessing::TemplateExpander<std::string>::Expand(hooks, text));
}

int ATextPreprocessor::ReplaceVariable(PString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<std::string>(hooks).ReplaceVariable(text, position);
}

int ATextPreprocessor::ProcessIfVariable(PString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<std::string>(hooks).ProcessIfVariable(text, position);
}

int ATextPreprocessor::ProcessFile(PString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<std::string>(hooks).ProcessFile(text, position);
}

int ATextPreprocessor::ProcessFor(PString& text, int position) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<std::string>(hooks).ProcessFor(text, position);
}

bool ATextPreprocessor::ExtractVariable(const PString& text, const PString& opening,
                                        const PString& endMarker, int position, int& length,
                                        PString& value, bool lookUp) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<std::string>(hooks).ExtractVariable(
        text, opening, endMarker, position, length, value, lookUp);
}

bool ATextPreprocessor::FindMatchingEnd(const PString& text, const PString& opening,
                                        const PString& closing, int from, int& end) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<std::string>(hooks).FindMatchingEnd(text, opening, closing,
                                                                           from, end);
}

int ATextPreprocessor::CountBeginsBetweenHereAndThere(const PString& text, const PString& opening,
                                                      int from, int to) {
    Hooks hooks(*this);
    return preprocessing::LiteralSteps<std::string>(hooks).CountBeginsBetweenHereAndThere(
        text, opening, from, to);
}

bool ATextPreprocessor::IsFirst(int a, int b, int c, int d) {
    return preprocessing::IsFirstFound(a, b, c, d);
}

} // namespace REDudi
