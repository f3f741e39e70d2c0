// Expands a template in one pass, in time linear in the template and the
// output for well-formed templates.
//
// The directive rules are written as edits of one working text at a scan
// position that never moves backwards. Everything before the position is
// final, so it is appended to the output as the scan passes it; the rest is
// read where it lies, in the caller's text, without a copy. The one edit
// that is scanned again is a kept conditional: its body, then the text after
// its closing text. The scan goes on into the body in place and notes the
// closing text as a skip, to be jumped over when the scan reaches it. While a
// skip is pending, nothing is read across it (the skip's start is a barrier
// for every search); a search that would have to look past it, which only a
// malformed body makes necessary, first copies the rest of the working text
// with the skips taken out. From then on the expansion works on that copy
// and moves each kept body up against the text after its closing text
// (costing the body's length), so nested kept bodies cost their length once
// per level.
//
// Searches that a malformed template could repeat over the same text (the
// end marker, attributes, openers and closing texts of nested directives)
// remember their last answer until the text changes, so a run of broken
// directives does not rescan the rest of the template for each of them.
//
// The usual case is read without those searches: a directive written as
// ' name="..." [n="..."] -->' right after its opener, a closing text within a
// few hundred units of its opener, and loop bodies of plain text and
// variables, which are read once and replayed in every pass. Blocks written
// as one of the last few (the rows and paragraphs repeated for every item of
// a page) take that one's closing text, reading and plain-text body without
// reading them again. Each shortcut is taken only where it gives what the
// searches would.
#pragma once

#include "preprocessor/directive_texts.h"
#include "preprocessor/expansion_hooks.h"
#include "preprocessor/expansion_output.h"
#include "preprocessor/short_compare.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace REDudi {
namespace preprocessing {

// Str is the library's string (PString or UString) in which values and loop
// names reach the providers and handlers; texts are its standard string.
// Hooks is the preprocessor's own (final) hooks class, called directly.
template <class Str, class Hooks = ExpansionHooks<Str>>
class TemplateExpander {
public:
    using S = typename Str::StdString;
    using Unit = typename S::value_type;
    using View = std::basic_string_view<Unit, typename S::traits_type>;

    static S Expand(Hooks& hooks, const S& text) {
        S result;
        // Memory is faulted in only as it is written, so reserving room for
        // values a little longer than their directives costs no more than
        // the output itself, and spares growing copies.
        Output output(result, text.size() + text.size() / 8 + 64);
        TemplateExpander expander(hooks, output);
        expander.Restart(text.data(), text.size());
        expander.Run();
        output.Finish();
        return result;
    }

private:
    using Pos = std::size_t;
    // A handler's answer when it must see past a skip: the text has been
    // copied and the directive is to be handled again at the copy's start.
    static constexpr Pos kAgain = S::npos - 1;
    // OpenBlock's answer when the block is there to be processed.
    static constexpr Pos kOpened = S::npos - 2;
    // The longest opener.
    static constexpr Pos kOpenerLength = 12;

    enum class Opener { None, Variable, Condition, Loop, File };
    // The searches whose answers are remembered; those up to Dest look
    // within one directive, where the answer is usually a few units away.
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
        std::size_t version = 0;
        Pos from = S::npos;
        Pos limit = 0;
        Pos found = S::npos;
    };

    // A closing text of a kept conditional, still ahead of the scan.
    struct Skip {
        Pos start;
        Pos end;
    };

    using Output = ExpansionOutput<S>;

    TemplateExpander(Hooks& hooks, Output& output)
        : hooks_(hooks), texts_(DirectiveTexts<S>::Get()), output_(output) {}

    // Works on `length` units at `text`, which must stay unchanged while
    // this object reads them.
    void Restart(const Unit* text, Pos length) {
        data_ = text;
        size_ = length;
        owned_ = false;
        skips_.clear();
        TextChanged();
    }

    void Run() {
        Pos position = 0;
        for (;;) {
            Pos barrier = Barrier();
            Pos found = FindIn(texts_.commonPrefix, position, barrier);
            Opener opener = Opener::None;
            while (found != S::npos && !NearBarrier(found) &&
                   (opener = OpenerAt(found)) == Opener::None)
                found = FindIn(texts_.commonPrefix, found + 1, barrier);
            if (found != S::npos && NearBarrier(found)) {
                // An opener could run on past the skip: look at the text
                // with the skips taken out.
                Append(position, found - position);
                position = CopyWithoutSkips(found);
                continue;
            }
            if (found == S::npos) {
                if (skips_.empty()) {
                    Append(position, size_ - position);
                    return;
                }
                if (TailMayStartOpener(position, barrier)) {
                    position = CopyWithoutSkips(position);
                    continue;
                }
                Append(position, barrier - position);
                position = skips_.back().end;
                skips_.pop_back();
                continue;
            }
            Append(position, found - position);
            Pos next = Handle(opener, found);
            position = next == kAgain ? 0 : next;
        }
    }

    Pos Barrier() const { return skips_.empty() ? size_ : skips_.back().start; }

    bool NearBarrier(Pos at) const { return !skips_.empty() && at + kOpenerLength > Barrier(); }

    // Whether the units just before the barrier begin an opener that the
    // text after the skip could complete. Most bodies end in markup ("</p>"),
    // which begins none.
    bool TailMayStartOpener(Pos from, Pos barrier) const {
        Pos start = barrier > from + kOpenerLength ? barrier - kOpenerLength : from;
        for (Pos at = start; at < barrier; ++at)
            for (const S* opener :
                 {&texts_.openVariable, &texts_.openCondition, &texts_.openLoop, &texts_.openFile})
                if (data_[at] == texts_.commonPrefix[0] && barrier - at < opener->size() &&
                    SameUnits(data_ + at, opener->data(), barrier - at))
                    return true;
        return false;
    }

    // Makes the working text from `from` on a copy of its own, with the
    // pending skips taken out; returns the position of `from` in it (0).
    Pos CopyWithoutSkips(Pos from) {
        S copy;
        copy.reserve(size_ - from);
        Pos at = from;
        for (auto skip = skips_.rbegin(); skip != skips_.rend(); ++skip) {
            copy.append(data_ + at, skip->start - at);
            at = skip->end;
        }
        copy.append(data_ + at, size_ - at);
        buffer_ = std::move(copy);
        data_ = buffer_.data();
        size_ = buffer_.size();
        owned_ = true;
        skips_.clear();
        TextChanged();
        return 0;
    }

    // Whether the last search stopped at a pending skip: its answer may lie
    // past it, so the handler must start again on a copy.
    bool Blocked() const { return blocked_; }

    Pos Again(Pos at) {
        blocked_ = false;
        CopyWithoutSkips(at);
        return kAgain;
    }

    void Append(Pos at, Pos length) { output_.Append(data_ + at, length); }

    View Text(Pos at, Pos length) const { return View(data_ + at, length); }

    // Which opener begins at `at`, where the common prefix was found: the
    // unit after the prefix tells them apart but for the loop and the file.
    Opener OpenerAt(Pos at) const {
        const Pos next = at + texts_.commonPrefix.size();
        if (next >= size_)
            return Opener::None;
        switch (data_[next]) {
        case 'i':
            return StartsAt(texts_.openCondition, at) ? Opener::Condition : Opener::None;
        case 'v':
            return StartsAt(texts_.openVariable, at) ? Opener::Variable : Opener::None;
        case 'f':
            if (StartsAt(texts_.openFile, at))
                return Opener::File;
            return StartsAt(texts_.openLoop, at) ? Opener::Loop : Opener::None;
        default:
            return Opener::None;
        }
    }

    // Whether the opener `text` begins at `at`, where the common prefix was
    // found.
    bool StartsAt(const S& text, Pos at) const {
        const Pos length = text.size();
        if (length > size_ - at)
            return false;
        const Pos skipped = texts_.commonPrefix.size();
        return SameUnits(data_ + at + skipped, text.data() + skipped, length - skipped);
    }

    Pos Handle(Opener opener, Pos at) {
        blocked_ = false;
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

    // The first occurrence that starts in [from, limit) and ends before the
    // barrier. A remembered answer for the same limit holds for every start
    // between its own start and the occurrence it found. Attributes are
    // searched only up to the end of their directive, so that a directive
    // without an index does not send the search through the rest of the
    // template.
    Pos Find(Search search, Pos from, Pos limit = S::npos) {
        Pos barrier = Barrier();
        bool cut = limit > barrier && barrier < size_;
        limit = std::min(limit, barrier);
        Remembered& last = remembered_[search];
        Pos found;
        if (last.version == textVersion_ && last.limit == limit && last.from <= from &&
            (last.found == S::npos || from <= last.found)) {
            found = last.found;
        } else {
            found = FindIn(Pattern(search), from, limit, search <= Dest);
            last = Remembered{textVersion_, from, limit, found};
        }
        if (found == S::npos && cut)
            blocked_ = true;
        return found;
    }

    // Searches inside a directive (`near`) usually end within a few units,
    // and many others cover only a few units (a short loop body), sooner
    // than the library's search has set itself up: those units are looked
    // at in place, the library searches what lies further.
    static const Unit* FindUnit(const Unit* first, Pos count, Unit wanted, bool near) {
        constexpr Pos kNear = 32;
        const Pos inPlace = near || count <= kNear ? std::min(count, kNear) : 0;
        for (Pos at = 0; at < inPlace; ++at)
            if (first[at] == wanted)
                return first + at;
        return count > inPlace ? S::traits_type::find(first + inPlace, count - inPlace, wanted)
                               : nullptr;
    }

    // One unit of the pattern found by the library's search (memchr for
    // bytes), the rest compared in place: the patterns are short. The unit
    // is the pattern's '!' where it has one, since HTML has a '<' every few
    // dozen bytes but few '!'. Matches must end before the barrier.
    Pos FindIn(const S& pattern, Pos from, Pos limit, bool near = false) const {
        const Pos end = Barrier();
        const Pos length = pattern.size();
        if (limit > end)
            limit = end;
        if (from >= limit || length > end - from)
            return S::npos;
        const Unit* wanted = pattern.data();
        const Pos anchor = length > 1 && wanted[1] == '!' ? 1 : 0;
        const Pos lastStart = std::min(limit - 1, end - length);
        for (Pos at = from; at <= lastStart;) {
            const Unit* first = data_ + at + anchor;
            const Unit* unit = FindUnit(first, lastStart - at + 1, wanted[anchor], near);
            if (!unit)
                return S::npos;
            at = static_cast<Pos>(unit - data_) - anchor;
            if (SameUnits(data_ + at, wanted, length))
                return at;
            ++at;
        }
        return S::npos;
    }

    // The quotation mark that ends an attribute value inside the span.
    Pos FindQuote(Pos from, Pos spanEnd) const {
        if (from >= spanEnd)
            return S::npos;
        const Unit* found = FindUnit(data_ + from, spanEnd - from, texts_.quote, true);
        return found ? static_cast<Pos>(found - data_) : S::npos;
    }

    // Answers remembered for an older version count as absent.
    void TextChanged() { ++textVersion_; }

    // The attributes of a directive written the usual way.
    struct Written {
        Pos nameStart = 0, nameEnd = 0;
        Pos indexStart = S::npos, indexEnd = S::npos;
        Pos spanEnd = 0;
    };

    // Reads the attribute value starting at `from` up to its closing
    // quotation mark, which must come before `limit`. False if the value
    // holds a '>', which could end an end marker inside it.
    bool ReadWrittenValue(Pos from, Pos limit, Pos& end) const {
        for (Pos at = from; at < limit; ++at) {
            const Unit unit = data_[at];
            if (unit == texts_.quote) {
                end = at;
                return true;
            }
            if (unit == '>')
                return false;
        }
        return false;
    }

    bool Follows(const Unit* text, Pos length, Pos at, Pos limit) const {
        return length <= limit && at <= limit - length && SameUnits(data_ + at, text, length);
    }

    // Whether the opener ending at `from` is followed by exactly ' name="..."',
    // optionally ' n="..."', then ' -->', all before the barrier, with no '>'
    // in the values. Such a directive's first end marker is its own and its
    // attributes are the ones the general search would find, so the result
    // is the same without searching.
    bool ReadWritten(Pos from, Written& written) const {
        static const Unit kName[] = {' ', 'n', 'a', 'm', 'e', '=', '"'};
        static const Unit kIndex[] = {' ', 'n', '=', '"'};
        static const Unit kEnd[] = {' ', '-', '-', '>'};
        const Pos limit = Barrier();
        if (!Follows(kName, 7, from, limit))
            return false;
        written.nameStart = from + 7;
        if (!ReadWrittenValue(written.nameStart, limit, written.nameEnd))
            return false;
        Pos next = written.nameEnd + 1;
        if (Follows(kIndex, 4, next, limit)) {
            written.indexStart = next + 4;
            if (!ReadWrittenValue(written.indexStart, limit, written.indexEnd))
                return false;
            next = written.indexEnd + 1;
        }
        if (!Follows(kEnd, 4, next, limit))
            return false;
        written.spanEnd = next + 4;
        return true;
    }

    // On success `value` points at the directive's value, which stays valid
    // until the next extraction.
    bool Extract(const S& opening, Pos at, Pos& length, const Str*& value, bool lookUp) {
        Written written;
        if (ReadWritten(at + opening.size(), written)) {
            length = written.spanEnd - at;
            View nameText = Text(written.nameStart, written.nameEnd - written.nameStart);
            if (written.indexStart == S::npos)
                return (value = hooks_.Resolve(nameText, nullptr, lookUp)) != nullptr;
            View indexText = Text(written.indexStart, written.indexEnd - written.indexStart);
            return (value = hooks_.Resolve(nameText, &indexText, lookUp)) != nullptr;
        }
        length = opening.size();
        // No end marker can begin inside an opener, so the search starts
        // after it.
        Pos marker = Find(EndMarker, at + opening.size());
        if (marker == S::npos)
            return false;
        length = marker + texts_.endMarker.size() - at;
        Pos name = Find(Name, at, marker);
        if (name == S::npos)
            return false;
        Pos nameStart = name + texts_.nameAttribute.size();
        Pos nameEnd = FindQuote(nameStart, marker);
        if (nameEnd == S::npos) {
            value = &noValue_;
            return true;
        }
        View nameText = Text(nameStart, nameEnd - nameStart);
        Pos index = Find(Index, nameEnd, marker);
        if (index == S::npos)
            return (value = hooks_.Resolve(nameText, nullptr, lookUp)) != nullptr;
        Pos indexStart = index + texts_.indexAttribute.size();
        Pos indexEnd = FindQuote(indexStart, marker);
        if (indexEnd == S::npos)
            return false;
        View indexText = Text(indexStart, indexEnd - indexStart);
        return (value = hooks_.Resolve(nameText, &indexText, lookUp)) != nullptr;
    }

    std::size_t CountOpeners(Search opener, Pos from, Pos to) {
        std::size_t count = 0;
        for (Pos at = Find(opener, from, to); at != S::npos; at = Find(opener, at + 1, to))
            ++count;
        return count;
    }

    // The closing text that balances the openers from `from` on.
    bool FindMatchingEnd(Search opener, Search closer, Pos from, Pos& end) {
        // Which closing text matches depends only on the units up to it, so
        // a block written as a recent one nearby was (a row or a paragraph
        // repeated for every item of a page) ends where that one did.
        Block* recent = recentBlocks_[closer == CloseLoop];
        const Pos room = Barrier() - from;
        for (Pos block = 0; block < kRecentBlocks; ++block) {
            const S& known = recent[block].text;
            if (!known.empty() && known.size() <= room &&
                data_[from + known.size() / 2] == known[known.size() / 2] &&
                S::traits_type::compare(data_ + from, known.data(), known.size()) == 0) {
                end = from + known.size() - Pattern(closer).size();
                plainBody_ = recent[block].plain;
                return true;
            }
        }
        plainBody_ = false;
        if (FindMatchingEndNearby(Pattern(opener), Pattern(closer), from, end)) {
            // A body in which no opener begins, not even one that the text
            // after the closing text would complete, is final as it stands.
            plainBody_ =
                FindIn(texts_.commonPrefix, from, end) == S::npos && !TailMayStartOpener(from, end);
            Block& block = recent[nextRecent_++ % kRecentBlocks];
            block.text.assign(data_ + from, end + Pattern(closer).size() - from);
            block.plain = plainBody_;
            return true;
        }
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

    // The same answer for a body of a few hundred units, found in one pass
    // over the directives in it instead of one for the closing texts and one
    // for the openers: openers and closing texts begin with the common
    // prefix and never overlap, so taking them in order, an opener deepens
    // and a closing text either matches or rises. False when the match is
    // not within reach before the barrier; the searches above then decide.
    bool FindMatchingEndNearby(const S& opener, const S& closer, Pos from, Pos& end) const {
        constexpr Pos kReach = 512;
        const Pos barrier = Barrier();
        const Pos limit = std::min(barrier, from + kReach);
        std::size_t depth = 0;
        for (Pos at = from;;) {
            at = FindIn(texts_.commonPrefix, at, limit);
            if (at == S::npos)
                return false;
            if (closer.size() > barrier - at)
                return false;
            if (SameUnits(data_ + at, closer.data(), closer.size())) {
                if (depth == 0) {
                    end = at;
                    return true;
                }
                --depth;
                at += closer.size();
            } else if (opener.size() <= barrier - at &&
                       SameUnits(data_ + at, opener.data(), opener.size())) {
                ++depth;
                at += opener.size();
            } else {
                ++at;
            }
        }
    }

    Pos KeepAndSkip(Pos at, Pos length) {
        Append(at, length);
        return at + length;
    }

    Pos ReplaceVariable(Pos at) {
        Pos length = 0;
        const Str* value = nullptr;
        bool extracted = Extract(texts_.openVariable, at, length, value, true);
        if (Blocked())
            return Again(at);
        if (!extracted)
            return KeepAndSkip(at, length);
        output_.Append(value->data(), value->size());
        return at + length;
    }

    // Reads a conditional's or a loop's opening directive (with look-up for
    // a conditional) and finds its closing text. kOpened when both are
    // there, with the value, the body's start and the closing text's
    // position; otherwise the position where the scan goes on.
    Pos OpenBlock(bool condition, Pos at, const Str*& value, Pos& bodyStart, Pos& closing) {
        Pos length = 0;
        bool extracted = Extract(condition ? texts_.openCondition : texts_.openLoop, at, length,
                                 value, condition);
        if (Blocked())
            return Again(at);
        if (!extracted)
            return KeepAndSkip(at, 1);
        bodyStart = at + length;
        bool matched = condition
                           ? FindMatchingEnd(OpenCondition, CloseCondition, bodyStart, closing)
                           : FindMatchingEnd(OpenLoop, CloseLoop, bodyStart, closing);
        if (Blocked())
            return Again(at);
        if (!matched)
            return KeepAndSkip(at, length);
        return kOpened;
    }

    Pos ProcessCondition(Pos at) {
        const Str* value = nullptr;
        Pos bodyStart = 0, closing = 0;
        Pos next = OpenBlock(true, at, value, bodyStart, closing);
        if (next != kOpened)
            return next;
        Pos closingEnd = closing + texts_.closeCondition.size();
        if (SameText(*value, texts_.falseValue))
            return closingEnd;
        if (plainBody_)
            return KeepAndSkip(bodyStart, closing - bodyStart) + texts_.closeCondition.size();
        if (!owned_) {
            skips_.push_back(Skip{closing, closingEnd});
            return bodyStart;
        }
        Pos bodyLength = closing - bodyStart;
        Pos movedStart = closingEnd - bodyLength;
        S::traits_type::move(&buffer_[movedStart], &buffer_[bodyStart], bodyLength);
        TextChanged();
        return movedStart;
    }

    Pos ProcessLoop(Pos at) {
        const Str* name = nullptr;
        Pos bodyStart = 0, closing = 0;
        Pos next = OpenBlock(false, at, name, bodyStart, closing);
        if (next != kOpened)
            return next;
        if (hooks_.HasLoopHandler()) {
            Str loopName(*name);
            // Each pass reads the body where it lies and appends straight to
            // the output. The pass lives on the heap: loops nest by
            // recursion, and each level should cost the stack no more than
            // its frames. It is kept for the level's next loop.
            if (!pass_)
                pass_.reset(new TemplateExpander(hooks_, output_));
            pass_->Restart(data_ + bodyStart, closing - bodyStart);
            const bool simple = pass_->ReadSimpleBody();
            for (bool more = hooks_.BeginFor(loopName); more; more = hooks_.NextFor(loopName)) {
                if (simple) {
                    pass_->ReplaySimpleBody();
                    continue;
                }
                pass_->Restart(data_ + bodyStart, closing - bodyStart);
                pass_->Run();
            }
        }
        return closing + texts_.closeLoop.size();
    }

    // A loop body made only of text and variable directives written the
    // usual way is read once: every pass would find the same directives at
    // the same places, and only their values can differ. Each step is the
    // text before a directive and the directive; the last, the text after
    // the last directive (its directive position is the body's end).
    struct BodyStep {
        Pos text, directive;
        Written written;
    };

    // Reads the whole text as Run would, into steps_; false if it holds
    // anything but such directives. A body written as the last one was is
    // not read again.
    bool ReadSimpleBody() {
        if (SameText(View(data_, size_), readBody_))
            return readSimple_;
        readBody_.assign(data_, size_);
        readSimple_ = false;
        steps_.clear();
        for (Pos position = 0;;) {
            Pos found = FindIn(texts_.commonPrefix, position, size_);
            Opener opener = Opener::None;
            while (found != S::npos && (opener = OpenerAt(found)) == Opener::None)
                found = FindIn(texts_.commonPrefix, found + 1, size_);
            if (found == S::npos) {
                steps_.push_back(BodyStep{position, size_, Written()});
                return readSimple_ = true;
            }
            Written written;
            if (opener != Opener::Variable ||
                !ReadWritten(found + texts_.openVariable.size(), written))
                return false;
            steps_.push_back(BodyStep{position, found, written});
            position = written.spanEnd;
        }
    }

    // One pass over the steps: what Run gives for the same text.
    void ReplaySimpleBody() {
        for (const BodyStep& step : steps_) {
            Append(step.text, step.directive - step.text);
            if (step.directive == size_)
                return;
            const Written& written = step.written;
            View name = Text(written.nameStart, written.nameEnd - written.nameStart);
            const bool indexed = written.indexStart != S::npos;
            View index =
                indexed ? Text(written.indexStart, written.indexEnd - written.indexStart) : View();
            const Str* value = hooks_.Resolve(name, indexed ? &index : nullptr, true);
            if (value)
                output_.Append(value->data(), value->size());
            else
                Append(step.directive, written.spanEnd - step.directive);
        }
    }

    Pos ProcessFile(Pos at) {
        Pos marker = Find(EndMarker, at);
        if (Blocked())
            return Again(at);
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
        hooks_.AddFile(Text(sourceStart, sourceEnd - sourceStart),
                       Text(destStart, destEnd - destStart));
        return spanEnd;
    }

    Hooks& hooks_;
    const DirectiveTexts<S>& texts_;
    Output& output_;
    // The working text: the caller's (or the enclosing loop's) units, or
    // buffer_ once a copy was needed.
    const Unit* data_ = nullptr;
    Pos size_ = 0;
    bool owned_ = false;
    S buffer_;
    std::vector<Skip> skips_;
    bool blocked_ = false;
    std::vector<BodyStep> steps_;
    S readBody_;
    bool readSimple_ = false;
    // The last conditionals and loops whose closing texts were found
    // nearby, from the body's start through the closing text.
    static constexpr Pos kRecentBlocks = 4;
    struct Block {
        S text;
        bool plain = false;
    };
    Block recentBlocks_[2][kRecentBlocks];
    // Whether the body of the block FindMatchingEnd found last is plain text.
    bool plainBody_ = false;
    Pos nextRecent_ = 0;
    Remembered remembered_[SearchCount];
    std::size_t textVersion_ = 1;
    // The value of a name without its closing quotation mark.
    const Str noValue_;
    std::unique_ptr<TemplateExpander> pass_;
};

} // namespace preprocessing
} // namespace REDudi
