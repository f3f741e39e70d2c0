// Expands a template in one pass, in time linear in the template and the
// output for well-formed templates.
//
// The directive rules are written as edits of one working text at a scan
// position that never moves backwards. Everything before the position is
// final, so it is appended to the output as the scan passes it, and the rest
// of the working text is kept in a buffer read from a start index. Only a
// kept conditional body must be scanned again in front of the text after its
// closing text; it is moved up against that text (its length, not the
// remaining text's) and the start index set to it. Nested kept conditionals
// move their bodies once per level.
//
// Searches that a malformed template could repeat over the same text (the
// end marker, attributes, openers and closing texts of nested directives)
// remember their last answer until the buffer changes, so a run of broken
// directives does not rescan the rest of the template for each of them.
#pragma once

#include "preprocessor/directive_texts.h"
#include "preprocessor/expansion_hooks.h"

#include <algorithm>
#include <cstddef>

namespace REDudi {
namespace preprocessing {

template <class S>
class TemplateExpander {
public:
    // Expands `text`, appending to `output`.
    TemplateExpander(ExpansionHooks<S>& hooks, const S& text, S& output)
        : TemplateExpander(hooks, output) {
        work_ = text;
    }

    static S Expand(ExpansionHooks<S>& hooks, const S& text) {
        S output;
        output.reserve(text.size());
        TemplateExpander(hooks, text, output).Run();
        return output;
    }

    void Run() {
        Pos position = 0;
        for (;;) {
            Opener opener = Opener::None;
            Pos found = FindIn(texts_.commonPrefix, position, work_.size());
            while (found != S::npos && (opener = OpenerAt(found)) == Opener::None)
                found = FindIn(texts_.commonPrefix, found + 1, work_.size());
            if (found == S::npos) {
                output_.append(work_, position, S::npos);
                return;
            }
            output_.append(work_, position, found - position);
            position = Handle(opener, found);
        }
    }

private:
    using Pos = std::size_t;

    TemplateExpander(ExpansionHooks<S>& hooks, S& output)
        : hooks_(hooks), texts_(DirectiveTexts<S>::Get()), output_(output) {}

    // Reuses the buffer for another text (the next pass of a loop body).
    void Restart(const typename S::value_type* text, Pos length) {
        work_.assign(text, length);
        BufferChanged();
    }
    enum class Opener { None, Variable, Condition, Loop, File };
    // The searches whose answers are remembered.
    enum Search {
        EndMarker,
        Name,
        Index,
        Source,
        Dest,
        OpenCondition,
        CloseCondition,
        OpenLoop,
        CloseLoop,
        SearchCount
    };

    struct Remembered {
        Pos from = S::npos;
        Pos limit = 0;
        Pos found = S::npos;
    };

    Opener OpenerAt(Pos at) const {
        if (StartsAt(texts_.openCondition, at))
            return Opener::Condition;
        if (StartsAt(texts_.openVariable, at))
            return Opener::Variable;
        if (StartsAt(texts_.openFile, at))
            return Opener::File;
        if (StartsAt(texts_.openLoop, at))
            return Opener::Loop;
        return Opener::None;
    }

    bool StartsAt(const S& text, Pos at) const { return work_.compare(at, text.size(), text) == 0; }

    Pos Handle(Opener opener, Pos at) {
        switch (opener) {
        case Opener::Condition:
            return ProcessCondition(at);
        case Opener::Variable:
            return ReplaceVariable(at);
        case Opener::File:
            return ProcessFile(at);
        default:
            return ProcessLoop(at);
        }
    }

    const S& Pattern(Search search) const {
        switch (search) {
        case EndMarker:
            return texts_.endMarker;
        case Name:
            return texts_.nameAttribute;
        case Index:
            return texts_.indexAttribute;
        case Source:
            return texts_.sourceAttribute;
        case Dest:
            return texts_.destAttribute;
        case OpenCondition:
            return texts_.openCondition;
        case CloseCondition:
            return texts_.closeCondition;
        case OpenLoop:
            return texts_.openLoop;
        default:
            return texts_.closeLoop;
        }
    }

    // The first occurrence that starts in [from, limit) and lies inside the
    // buffer. A remembered answer for the same limit holds for every start
    // between its own start and the occurrence it found. Attributes are
    // searched only up to the end of their directive, so that a directive
    // without an index does not send the search through the rest of the
    // template.
    Pos Find(Search search, Pos from, Pos limit = S::npos) {
        Remembered& last = remembered_[search];
        if (last.from != S::npos && last.limit == limit && last.from <= from &&
            (last.found == S::npos || from <= last.found))
            return last.found;
        last.from = from;
        last.limit = limit;
        last.found = FindIn(Pattern(search), from, limit);
        return last.found;
    }

    // One unit of the pattern found by the library's search (memchr for
    // bytes), the rest compared in place: the patterns are short. The unit
    // is the pattern's '!' where it has one, since HTML has a '<' every few
    // dozen bytes but few '!'.
    Pos FindIn(const S& pattern, Pos from, Pos limit) const {
        const Pos size = work_.size();
        if (limit > size)
            limit = size;
        const Pos length = pattern.size();
        if (from >= limit || length > size - from)
            return S::npos;
        const auto* data = work_.data();
        const auto* wanted = pattern.data();
        const Pos anchor = length > 1 && wanted[1] == '!' ? 1 : 0;
        const Pos lastStart = std::min(limit - 1, size - length);
        for (Pos at = from; at <= lastStart;) {
            const auto* unit =
                S::traits_type::find(data + at + anchor, lastStart - at + 1, wanted[anchor]);
            if (!unit)
                return S::npos;
            at = static_cast<Pos>(unit - data) - anchor;
            Pos matched = 0;
            while (matched < length && data[at + matched] == wanted[matched])
                ++matched;
            if (matched == length)
                return at;
            ++at;
        }
        return S::npos;
    }

    // The quotation mark that ends an attribute value inside the span.
    Pos FindQuote(Pos from, Pos spanEnd) const {
        if (from >= spanEnd)
            return S::npos;
        const auto* data = work_.data();
        const auto* found = S::traits_type::find(data + from, spanEnd - from, texts_.quote);
        return found ? static_cast<Pos>(found - data) : S::npos;
    }

    void BufferChanged() {
        for (Remembered& last : remembered_)
            last = Remembered();
    }

    bool Extract(const S& opening, Pos at, Pos& length, S& value, bool lookUp) {
        length = opening.size();
        Pos marker = Find(EndMarker, at);
        if (marker == S::npos)
            return false;
        length = marker + texts_.endMarker.size() - at;
        Pos name = Find(Name, at, marker);
        if (name == S::npos)
            return false;
        Pos nameStart = name + texts_.nameAttribute.size();
        Pos nameEnd = FindQuote(nameStart, marker);
        if (nameEnd == S::npos)
            return true;
        S nameText = work_.substr(nameStart, nameEnd - nameStart);
        Pos index = Find(Index, nameEnd, marker);
        if (index == S::npos)
            return hooks_.Resolve(nameText, nullptr, lookUp, value);
        Pos indexStart = index + texts_.indexAttribute.size();
        Pos indexEnd = FindQuote(indexStart, marker);
        if (indexEnd == S::npos)
            return false;
        S indexText = work_.substr(indexStart, indexEnd - indexStart);
        return hooks_.Resolve(nameText, &indexText, lookUp, value);
    }

    std::size_t CountOpeners(Search opener, Pos from, Pos to) {
        std::size_t count = 0;
        for (Pos at = Find(opener, from, to); at != S::npos; at = Find(opener, at + 1, to))
            ++count;
        return count;
    }

    // The closing text that balances the openers from `from` on.
    bool FindMatchingEnd(Search opener, Search closer, Pos from, Pos& end) {
        std::size_t depth = 0;
        for (;;) {
            Pos closing = Find(closer, from);
            if (closing == S::npos)
                return false;
            std::size_t count = CountOpeners(opener, from, closing);
            if (depth + count == 0) {
                end = closing;
                return true;
            }
            depth += count - 1;
            from = closing + Pattern(closer).size();
        }
    }

    Pos KeepAndSkip(Pos at, Pos length) {
        output_.append(work_, at, length);
        return at + length;
    }

    Pos ReplaceVariable(Pos at) {
        Pos length = 0;
        S value;
        if (!Extract(texts_.openVariable, at, length, value, true))
            return KeepAndSkip(at, length);
        output_ += value;
        return at + length;
    }

    Pos ProcessCondition(Pos at) {
        Pos length = 0;
        S value;
        if (!Extract(texts_.openCondition, at, length, value, true))
            return KeepAndSkip(at, 1);
        Pos bodyStart = at + length;
        Pos closing = 0;
        if (!FindMatchingEnd(OpenCondition, CloseCondition, bodyStart, closing))
            return KeepAndSkip(at, length);
        Pos closingEnd = closing + texts_.closeCondition.size();
        if (value == texts_.falseValue)
            return closingEnd;
        Pos bodyLength = closing - bodyStart;
        Pos movedStart = closingEnd - bodyLength;
        S::traits_type::move(&work_[movedStart], &work_[bodyStart], bodyLength);
        BufferChanged();
        return movedStart;
    }

    Pos ProcessLoop(Pos at) {
        Pos length = 0;
        S loopName;
        if (!Extract(texts_.openLoop, at, length, loopName, false))
            return KeepAndSkip(at, 1);
        Pos bodyStart = at + length;
        Pos closing = 0;
        if (!FindMatchingEnd(OpenLoop, CloseLoop, bodyStart, closing))
            return KeepAndSkip(at, length);
        if (hooks_.HasLoopHandler()) {
            // Each pass appends straight to the output; the body is not
            // changed by the passes, which work on their own buffer.
            TemplateExpander pass(hooks_, output_);
            for (bool more = hooks_.BeginFor(loopName); more; more = hooks_.NextFor(loopName)) {
                pass.Restart(work_.data() + bodyStart, closing - bodyStart);
                pass.Run();
            }
        }
        return closing + texts_.closeLoop.size();
    }

    Pos ProcessFile(Pos at) {
        Pos marker = Find(EndMarker, at);
        if (marker == S::npos)
            return KeepAndSkip(at, texts_.openFile.size());
        Pos spanEnd = marker + texts_.endMarker.size();
        Pos source = Find(Source, at, marker);
        if (source == S::npos)
            return KeepAndSkip(at, spanEnd - at);
        Pos sourceStart = source + texts_.sourceAttribute.size();
        Pos sourceEnd = FindQuote(sourceStart, marker);
        if (sourceEnd == S::npos)
            return KeepAndSkip(at, spanEnd - at);
        Pos dest = Find(Dest, sourceEnd, marker);
        if (dest == S::npos)
            return KeepAndSkip(at, spanEnd - at);
        Pos destStart = dest + texts_.destAttribute.size();
        Pos destEnd = FindQuote(destStart, marker);
        if (destEnd == S::npos)
            return KeepAndSkip(at, spanEnd - at);
        hooks_.AddFile(work_.substr(sourceStart, sourceEnd - sourceStart),
                       work_.substr(destStart, destEnd - destStart));
        return spanEnd;
    }

    ExpansionHooks<S>& hooks_;
    const DirectiveTexts<S>& texts_;
    S work_;
    S& output_;
    Remembered remembered_[SearchCount];
};

} // namespace preprocessing
} // namespace REDudi
