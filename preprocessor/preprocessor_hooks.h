// The answers both preprocessors give the shared scanning code, in the
// width of their strings: the loop and file handlers, and variable values
// looked up through names and values kept for the whole expansion, so that
// a lookup allocates nothing once they have grown to the longest value.
// Each preprocessor adds how it reads a directive's name and index.
#pragma once

#include "preprocessor/expansion_hooks.h"
#include "preprocessor/variable_cache.h"

#include <REDudi/strings.h>

#include <string_view>

namespace REDudi {
namespace preprocessing {

template <class Str, class Provider, class Bag, class Loops, class Files>
class PreprocessorHooks : public ExpansionHooks<Str> {
public:
    using View = typename ExpansionHooks<Str>::View;

    // The preprocessor's fields, read as they are at each use: a loop
    // handler may change them between passes.
    struct Settings {
        Provider* const& callProvider;
        Provider* const& defaultProvider;
        Loops* const& loops;
        Files* const& files;
        const unsigned int& n;
    };

    explicit PreprocessorHooks(const Settings& settings) : settings_(settings) {}

    bool HasLoopHandler() override { return settings_.loops != nullptr; }

    bool BeginFor(Str& loopName) override {
        return settings_.loops && settings_.loops->BeginFor(loopName);
    }

    bool NextFor(Str& loopName) override {
        return settings_.loops && settings_.loops->NextFor(loopName);
    }

    void AddFile(View source, View destination) override {
        if (!settings_.files)
            return;
        Str dest{typename Str::StdString(destination)};
        settings_.files->AddFile(Str{typename Str::StdString(source)}, dest);
    }

protected:
    // The per-call provider first; the default provider's answer is taken
    // whatever it returns. A variable no provider knows stays empty.
    const Str* LookUp(std::string_view name, const unsigned int* index) {
        if (const Str* kept =
                cache_.Find(settings_.callProvider, settings_.defaultProvider, name, index))
            return kept;
        if (name.data() != name_.data())
            name_.assign(name.data(), name.size());
        value_.clear();
        bool known = false;
        if (settings_.callProvider)
            known = Ask(*settings_.callProvider, index);
        if (!known && settings_.defaultProvider)
            Ask(*settings_.defaultProvider, index);
        return cache_.Keep(name, index, value_);
    }

    const Settings settings_;
    PString name_;
    Str value_;

private:
    bool Ask(Provider& provider, const unsigned int* index) {
        return index ? provider.GetVariableValue(name_, value_, *index)
                     : provider.GetVariableValue(name_, value_);
    }

    VariableCache<Provider, Bag, Str> cache_;
};

} // namespace preprocessing
} // namespace REDudi
