#include <REDudi/preprocessor.h>

#include "preprocessor/generation_run.h"

#include <cstdio>

namespace REDudi {

AFileGeneratorUnicode::AFileGeneratorUnicode() {
    preprocessor_.SetFileGenerator(this);
}

// The copy reports its file directives to itself, never to the original.
AFileGeneratorUnicode::AFileGeneratorUnicode(const AFileGeneratorUnicode& other)
    : FileGenerationHandlerUnicode(other), preprocessor_(other.preprocessor_),
      destinationDir_(other.destinationDir_), sourceDir_(other.sourceDir_),
      workList_(other.workList_) {
    preprocessor_.SetFileGenerator(this);
}

AFileGeneratorUnicode& AFileGeneratorUnicode::operator=(const AFileGeneratorUnicode& other) {
    if (this != &other) {
        preprocessor_ = other.preprocessor_;
        destinationDir_ = other.destinationDir_;
        sourceDir_ = other.sourceDir_;
        workList_ = other.workList_;
        preprocessor_.SetFileGenerator(this);
    }
    return *this;
}

AFileGeneratorUnicode::~AFileGeneratorUnicode() = default;

bool AFileGeneratorUnicode::AddFile(const UString& source, UString& destination) {
    workList_.emplace_back(source, destination);
    return true;
}

void AFileGeneratorUnicode::SetSourceDir(const UString& directory) {
    sourceDir_ = directory;
}

void AFileGeneratorUnicode::SetDestinationDir(const UString& directory) {
    destinationDir_ = directory;
}

void AFileGeneratorUnicode::SetSourceDir(const AFileSpecUnicode& directory) {
    sourceDir_ = directory;
}

void AFileGeneratorUnicode::SetDestinationDir(const AFileSpecUnicode& directory) {
    destinationDir_ = directory;
}

bool AFileGeneratorUnicode::Generate(const UString& source, const UString& destination,
                                     ParameterProviderUnicode* provider,
                                     ForHandlerUnicode* handler) {
    if (!provider)
        return false;
    workList_.emplace_back(source, destination);
    return preprocessing::GenerateWorkList(
        workList_, sourceDir_, destinationDir_, preprocessor_, provider, handler,
        [this](const AFileSpecUnicode& file, UString& text) { return GetFileContents(file, text); },
        [this](const AFileSpecUnicode& file, const UString& text) {
            return SaveFileContents(file, text);
        });
}

// Raw 16-bit units in the machine's byte order, as they are in the file: no
// byte-order mark is added or removed and line ends stay as they are. An odd
// last byte is not a unit and is left out.
bool AFileGeneratorUnicode::GetFileContents(const AFileSpecUnicode& file, UString& text) {
    FILE* stream = file.Open("rb");
    if (!stream)
        return false;
    unsigned short piece[2048];
    std::size_t units;
    while ((units = std::fread(piece, sizeof piece[0], 2048, stream)) > 0)
        text.append(piece, units);
    std::fclose(stream);
    return true;
}

bool AFileGeneratorUnicode::SaveFileContents(const AFileSpecUnicode& file, const UString& text) {
    return preprocessing::WriteUnits(file, "wb", text);
}

} // namespace REDudi
