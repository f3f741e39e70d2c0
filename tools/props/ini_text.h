// What INI text can carry: the reader ends a value at "#", ";" or a line
// end, trims white space around names and values, and ends a section name
// at "]". Export refuses what import would not read back unchanged.
#pragma once

#include <string>

namespace REDudi {
namespace props {

// Why the text cannot be written as it is, or empty when it can.
std::string KeyNameProblem(const std::string& name);
std::string ValueProblem(const std::string& value);
std::string SectionProblem(const std::string& section);

} // namespace props
} // namespace REDudi
