#include "logging/critical_text.h"

namespace REDudi {

namespace {
constexpr std::size_t kVersionLimit = 15;
} // namespace

PString CriticalVersionText(bool found, const PString& fileVersion) {
    PString text;
    if (found) {
        for (char c : fileVersion) {
            if (c == ' ')
                continue;
            text += c == ',' ? '.' : c;
            if (text.size() == kVersionLimit)
                break;
        }
    }
    // A resource that holds only spaces says as little as none at all.
    if (text.empty())
        text = "UNKNOWN";
    return text;
}

} // namespace REDudi
