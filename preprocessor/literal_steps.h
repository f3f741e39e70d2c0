// The directive steps as edits of one working text in place, each taking the
// position of a directive and returning the position where scanning goes on.
// They are the preprocessors' protected steps, for classes that build their
// own scan from them; the preprocessors' own scan (TemplateExpander) gives
// the same results without editing the text in place. Positions are ints, -1
// meaning not found.
#pragma once

#include "preprocessor/directive_texts.h"
#include "preprocessor/expansion_hooks.h"

#include <algorithm>
#include <cstddef>

namespace REDudi {
namespace preprocessing {

inline bool IsFirstFound(int a, int b, int c, int d) {
    auto before = [a](int other) { return other < 0 || a < other; };
    return a >= 0 && before(b) && before(c) && before(d);
}

template <class Str>
class LiteralSteps {
public:
    using S = typename Str::StdString;
    using View = typename ExpansionHooks<Str>::View;

    explicit LiteralSteps(ExpansionHooks<Str>& hooks)
        : hooks_(hooks), texts_(DirectiveTexts<S>::Get()) {}

    // The whole scan made of the steps.
    S Run(const S& text) {
        S work = text;
        int position = 0;
        for (;;) {
            int condition = Find(work, texts_.openCondition, position);
            int variable = Find(work, texts_.openVariable, position);
            int file = Find(work, texts_.openFile, position);
            int loop = Find(work, texts_.openLoop, position);
            if (IsFirstFound(condition, variable, file, loop))
                position = ProcessIfVariable(work, condition);
            else if (IsFirstFound(variable, condition, file, loop))
                position = ReplaceVariable(work, variable);
            else if (IsFirstFound(file, condition, variable, loop))
                position = ProcessFile(work, file);
            else if (IsFirstFound(loop, condition, variable, file))
                position = ProcessFor(work, loop);
            else
                return work;
        }
    }

    static int Find(const S& text, const S& what, int from) {
        if (from < 0)
            return -1;
        auto found = text.find(what, static_cast<std::size_t>(from));
        return found == S::npos ? -1 : static_cast<int>(found);
    }

    bool ExtractVariable(const S& text, const S& opening, const S& endMarker, int position,
                         int& length, S& value, bool lookUp) {
        length = static_cast<int>(opening.size());
        int marker = Find(text, endMarker, position);
        if (marker < 0)
            return false;
        int spanEnd = marker + static_cast<int>(endMarker.size());
        length = spanEnd - position;
        int name = Find(text, texts_.nameAttribute, position);
        if (name < 0 || name >= spanEnd)
            return false;
        int nameStart = name + static_cast<int>(texts_.nameAttribute.size());
        int nameEnd = FindQuote(text, nameStart, spanEnd);
        if (nameEnd < 0)
            return true;
        View nameText(text.data() + nameStart, nameEnd - nameStart);
        int index = Find(text, texts_.indexAttribute, nameEnd);
        if (index < 0 || index >= spanEnd)
            return Take(hooks_.Resolve(nameText, nullptr, lookUp), value);
        int indexStart = index + static_cast<int>(texts_.indexAttribute.size());
        int indexEnd = FindQuote(text, indexStart, spanEnd);
        if (indexEnd < 0)
            return false;
        View indexText(text.data() + indexStart, indexEnd - indexStart);
        return Take(hooks_.Resolve(nameText, &indexText, lookUp), value);
    }

    int CountBeginsBetweenHereAndThere(const S& text, const S& opening, int from, int to) {
        int count = 0;
        if (from < 0 || to <= from || opening.empty())
            return 0;
        // Openers that start in [from, to) are counted, and only they are
        // searched for.
        std::size_t last = static_cast<std::size_t>(to) - 1 + opening.size();
        auto end = text.begin() + std::min(last, text.size());
        for (auto at =
                 text.begin() + std::min<std::size_t>(static_cast<std::size_t>(from), text.size());
             (at = std::search(at, end, opening.begin(), opening.end())) != end;
             at += static_cast<std::ptrdiff_t>(opening.size()))
            ++count;
        return count;
    }

    bool FindMatchingEnd(const S& text, const S& opening, const S& closing, int from, int& end) {
        int depth = 0;
        for (;;) {
            int found = Find(text, closing, from);
            if (found < 0)
                return false;
            int count = CountBeginsBetweenHereAndThere(text, opening, from, found);
            if (depth + count == 0) {
                end = found;
                return true;
            }
            depth += count - 1;
            from = found + static_cast<int>(closing.size());
        }
    }

    int ReplaceVariable(S& text, int position) {
        int length = 0;
        S value;
        if (!ExtractVariable(text, texts_.openVariable, texts_.endMarker, position, length, value,
                             true))
            return position + length;
        text.replace(position, length, value);
        return position + static_cast<int>(value.size());
    }

    int ProcessIfVariable(S& text, int position) {
        int length = 0;
        S value;
        if (!ExtractVariable(text, texts_.openCondition, texts_.endMarker, position, length, value,
                             true))
            return position + 1;
        int bodyStart = position + length;
        int closing = 0;
        if (!FindMatchingEnd(text, texts_.openCondition, texts_.closeCondition, bodyStart, closing))
            return bodyStart;
        int closingEnd = closing + static_cast<int>(texts_.closeCondition.size());
        if (value == texts_.falseValue)
            text.erase(position, closingEnd - position);
        else
            text.replace(position, closingEnd - position,
                         text.substr(bodyStart, closing - bodyStart));
        return position;
    }

    int ProcessFor(S& text, int position) {
        int length = 0;
        S loopName;
        if (!ExtractVariable(text, texts_.openLoop, texts_.endMarker, position, length, loopName,
                             false))
            return position + 1;
        int bodyStart = position + length;
        int closing = 0;
        if (!FindMatchingEnd(text, texts_.openLoop, texts_.closeLoop, bodyStart, closing))
            return bodyStart;
        S output;
        if (hooks_.HasLoopHandler()) {
            const Str body(text.substr(bodyStart, closing - bodyStart));
            Str name(loopName);
            for (bool more = hooks_.BeginFor(name); more; more = hooks_.NextFor(name))
                output += hooks_.Expand(body);
        }
        int closingEnd = closing + static_cast<int>(texts_.closeLoop.size());
        text.replace(position, closingEnd - position, output);
        return position + static_cast<int>(output.size());
    }

    int ProcessFile(S& text, int position) {
        int marker = Find(text, texts_.endMarker, position);
        if (marker < 0)
            return position + static_cast<int>(texts_.openFile.size());
        int spanEnd = marker + static_cast<int>(texts_.endMarker.size());
        int source = Find(text, texts_.sourceAttribute, position);
        int sourceStart = source + static_cast<int>(texts_.sourceAttribute.size());
        int sourceEnd =
            source < 0 || source >= spanEnd ? -1 : FindQuote(text, sourceStart, spanEnd);
        int dest = sourceEnd < 0 ? -1 : Find(text, texts_.destAttribute, sourceEnd);
        int destStart = dest + static_cast<int>(texts_.destAttribute.size());
        int destEnd = dest < 0 || dest >= spanEnd ? -1 : FindQuote(text, destStart, spanEnd);
        if (destEnd < 0)
            return spanEnd;
        S sourceText = text.substr(sourceStart, sourceEnd - sourceStart);
        S destText = text.substr(destStart, destEnd - destStart);
        text.erase(position, spanEnd - position);
        hooks_.AddFile(sourceText, destText);
        return position;
    }

private:
    static bool Take(const Str* found, S& value) {
        if (found)
            value = *found;
        return found != nullptr;
    }

    int FindQuote(const S& text, int from, int spanEnd) const {
        int found = Find(text, S(1, texts_.quote), from);
        return found >= 0 && found < spanEnd ? found : -1;
    }

    ExpansionHooks<Str>& hooks_;
    const DirectiveTexts<S>& texts_;
};

} // namespace preprocessing
} // namespace REDudi
