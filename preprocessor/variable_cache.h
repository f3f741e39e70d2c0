// The answers the library's own property bags gave during one expansion,
// kept while no bag has changed. A plain bag's answer depends only on its
// entries, so asking it again before any bag changed gives the same value;
// keeping it spares the bag's lock and map for every repeated variable.
// Providers of any other type are asked every time: their answers may
// depend on anything, including how often they are asked.
#pragma once

#include "config/bag_changes.h"
#include "preprocessor/short_compare.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>

namespace REDudi {
namespace preprocessing {

template <class Provider, class Bag, class Value>
class VariableCache {
public:
    // The value kept for the name (and index, when not null), or null when
    // the providers must be asked. A miss prepares Keep for the answer.
    const Value* Find(Provider* first, Provider* second, std::string_view name,
                      const unsigned int* index) {
        if (first != first_ || second != second_ || !checked_) {
            first_ = first;
            second_ = second;
            checked_ = true;
            usable_ = IsPlainBag(first) && IsPlainBag(second);
            if (usable_ && !slots_)
                slots_.reset(new Slot[kSlots]);
            Forget();
        }
        if (!usable_)
            return nullptr;
        // Read before the providers are asked, so that a change made while
        // they answer makes the answer count as older than the change.
        std::uint64_t changes = BagChangeCount();
        if (changes != changes_) {
            Forget();
            changes_ = changes;
        }
        std::uint32_t hash = Hash(name, index);
        missed_ = &slots_[hash % kSlots];
        if (missed_->generation == generation_ && missed_->hash == hash &&
            missed_->indexed == (index != nullptr) && (!index || missed_->index == *index) &&
            SameText(missed_->name, name))
            return &missed_->value;
        missed_->hash = hash;
        return nullptr;
    }

    // Keeps the providers' answer to the question Find missed; returns the
    // value to use.
    const Value* Keep(std::string_view name, const unsigned int* index, const Value& value) {
        if (!usable_)
            return &value;
        Slot& slot = *missed_;
        slot.generation = generation_;
        slot.indexed = index != nullptr;
        slot.index = index ? *index : 0;
        slot.name.assign(name.data(), name.size());
        slot.value = value;
        return &slot.value;
    }

private:
    // Direct-mapped: a colliding variable replaces the one kept before, so
    // the cost of a lookup does not grow with the number of variables.
    static constexpr std::size_t kSlots = 64;

    struct Slot {
        std::uint64_t generation = 0;
        std::uint32_t hash = 0;
        bool indexed = false;
        unsigned int index = 0;
        std::string name;
        Value value;
    };

    static bool IsPlainBag(Provider* provider) {
        return provider == nullptr || typeid(*provider) == typeid(Bag);
    }

    // Slots of older generations count as empty.
    void Forget() { ++generation_; }

    // Made of the length, three of the name's characters and the index:
    // cheap, and enough to keep apart the names of one template, which
    // tend to differ in length or at their ends. A collision costs only
    // asking the bag.
    static std::uint32_t Hash(std::string_view name, const unsigned int* index) {
        std::uint32_t hash = static_cast<std::uint32_t>(name.size());
        if (!name.empty()) {
            hash = hash * 131 + static_cast<unsigned char>(name.front());
            hash = hash * 131 + static_cast<unsigned char>(name[name.size() / 2]);
            hash = hash * 131 + static_cast<unsigned char>(name.back());
        }
        if (index)
            hash += (*index + 1) * 2654435761u;
        return hash ^ (hash >> 11) ^ (hash >> 22);
    }

    Provider* first_ = nullptr;
    Provider* second_ = nullptr;
    bool checked_ = false;
    bool usable_ = false;
    std::uint64_t changes_ = 0;
    std::uint64_t generation_ = 1;
    std::unique_ptr<Slot[]> slots_;
    Slot* missed_ = nullptr;
};

} // namespace preprocessing
} // namespace REDudi
