// The text an expansion writes, appended piece by piece: most pieces are a
// few units long (a value, the text between two directives), so the writer
// keeps its own end pointers instead of the string's bookkeeping per piece.
#pragma once

#include <algorithm>
#include <cstddef>

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
        S::traits_type::copy(next_, units, count);
        next_ += count;
    }

    // Gives the text its final length; nothing may be appended afterwards.
    void Finish() { text_.resize(Written()); }

private:
    std::size_t Written() const { return static_cast<std::size_t>(next_ - text_.data()); }

    // The string's length runs ahead of what is written by a block at a
    // time: each growth fills the new block (with zeros) once, so the block
    // is small enough to be written over while still in the cache.
    void Grow(std::size_t count) {
        constexpr std::size_t kBlock = 16384;
        const std::size_t written = Written();
        text_.resize(written + std::max(count, kBlock));
        next_ = &text_[0] + written;
        end_ = &text_[0] + text_.size();
    }

    S& text_;
    Unit* next_;
    Unit* end_;
};

} // namespace preprocessing
} // namespace REDudi
