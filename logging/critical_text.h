// Text handling of the critical log: the 2048-byte buffer every critical
// entry point formats into, and the version text stored in each record.
#pragma once

#include <REDudi/strings.h>

#include "logging/trace_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace REDudi {

// The size of a critical record's message field; cleared before
// formatting, as the whole field is copied into the record.
using CriticalText = FormattedText<2048, true>;

// The version field of a critical record made from the program's file
// version as its resource states it ("5, 1, 0, 12"): spaces removed, commas
// turned into full stops, cut to 15 characters. "UNKNOWN" when the lookup
// failed or found nothing.
PString CriticalVersionText(bool found, const PString& fileVersion);

} // namespace REDudi
