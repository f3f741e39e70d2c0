// The text an expansion writes, appended piece by piece: most pieces are a
// few units long (a value, the text between two directives), so the writer
// keeps its own end pointers instead of the string's bookkeeping per piece.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace REDudi {
namespace preprocessing {

template <class S>
class ExpansionOutput {
public:
    using Unit = typename S::value_type;

    // `expected` is the length the text will probably reach; it is reserved
    // (untouched memory costs nothing until written) and the text grows
    // past it as needed.
    ExpansionOutput(S& text, std::size_t expected) : text_(text) {
        text_.clear();
        text_.reserve(expected);
        next_ = end_ = &text_[0];
    }

    void Append(const Unit* units, std::size_t count) {
        if (count > static_cast<std::size_t>(end_ - next_))
            Grow(count);
        CopyBytes(reinterpret_cast<char*>(next_), reinterpret_cast<const char*>(units),
                  count * sizeof(Unit));
        next_ += count;
    }

    // Gives the text its final length; nothing may be appended afterwards.
    void Finish() { text_.resize(Written()); }

private:
    // Pieces of up to sixteen bytes (most values, the text around a value)
    // are copied as two words that may overlap, in place.
    static void CopyBytes(char* to, const char* from, std::size_t bytes) {
        if (bytes > 16) {
            std::memcpy(to, from, bytes);
        } else if (bytes >= 8) {
            CopyWord<std::uint64_t>(to, from);
            CopyWord<std::uint64_t>(to + bytes - 8, from + bytes - 8);
        } else if (bytes >= 4) {
            CopyWord<std::uint32_t>(to, from);
            CopyWord<std::uint32_t>(to + bytes - 4, from + bytes - 4);
        } else {
            for (std::size_t at = 0; at < bytes; ++at)
                to[at] = from[at];
        }
    }

    template <class Word>
    static void CopyWord(char* to, const char* from) {
        Word word;
        std::memcpy(&word, from, sizeof word);
        std::memcpy(to, &word, sizeof word);
    }

    std::size_t Written() const { return static_cast<std::size_t>(next_ - text_.data()); }

    // The string's length runs ahead of what is written by a block at a
    // time: each growth fills the new block (with zeros) once, so the block
    // is small enough to be written over while still in the cache. The next
    // block is fetched meanwhile, or filling it would wait for memory.
    void Grow(std::size_t count) {
        constexpr std::size_t kBlock = 4096;
        const std::size_t written = Written();
        text_.resize(written + std::max(count, kBlock));
        next_ = &text_[0] + written;
        end_ = &text_[0] + text_.size();
        const char* ahead = reinterpret_cast<const char*>(end_);
        const std::size_t room = (text_.capacity() - text_.size()) * sizeof(Unit);
        for (std::size_t at = 0; at < std::min(room, kBlock * sizeof(Unit)); at += 64)
            __builtin_prefetch(ahead + at, 1);
    }

    S& text_;
    Unit* next_;
    Unit* end_;
};

} // namespace preprocessing
} // namespace REDudi
