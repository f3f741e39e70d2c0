#include "ini_text.h"

#include <cctype>

namespace REDudi {
namespace props {

namespace {

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool HasOuterSpace(const std::string& text) {
    return !text.empty() && (IsSpace(text.front()) || IsSpace(text.back()));
}

std::string LineBreakProblem(const std::string& text) {
    if (text.find_first_of("\r\n") != std::string::npos)
        return "contains a line break";
    return "";
}

} // namespace

std::string KeyNameProblem(const std::string& name) {
    if (name.empty())
        return "is the unnamed value";
    if (name.find('=') != std::string::npos)
        return "contains '='";
    // A "/" would split the property path anew on the way back.
    if (name.find('/') != std::string::npos)
        return "contains '/'";
    if (name[0] == '[' || name[0] == '#' || name[0] == ';')
        return "begins with '" + name.substr(0, 1) + "'";
    if (HasOuterSpace(name))
        return "begins or ends with white space";
    return LineBreakProblem(name);
}

std::string ValueProblem(const std::string& value) {
    if (value.find_first_of("#;") != std::string::npos)
        return "contains '#' or ';'";
    if (HasOuterSpace(value))
        return "begins or ends with white space";
    return LineBreakProblem(value);
}

std::string SectionProblem(const std::string& section) {
    if (section.find(']') != std::string::npos)
        return "contains ']'";
    return LineBreakProblem(section);
}

} // namespace props
} // namespace REDudi
