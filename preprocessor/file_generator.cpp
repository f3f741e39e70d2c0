#include <REDudi/preprocessor.h>

#include "preprocessor/generation_run.h"

#include <cstdio>

namespace REDudi {

AFileGenerator::AFileGenerator() {
    preprocessor_.SetFileGenerator(this);
}

// The copy reports its file directives to itself, never to the original.
AFileGenerator::AFileGenerator(const AFileGenerator& other)
    : FileGenerationHandler(other), preprocessor_(other.preprocessor_),
      destinationDir_(other.destinationDir_), sourceDir_(other.sourceDir_),
      workList_(other.workList_) {
    preprocessor_.SetFileGenerator(this);
}

AFileGenerator& AFileGenerator::operator=(const AFileGenerator& other) {
    if (this != &other) {
        preprocessor_ = other.preprocessor_;
        destinationDir_ = other.destinationDir_;
        sourceDir_ = other.sourceDir_;
        workList_ = other.workList_;
        preprocessor_.SetFileGenerator(this);
    }
    return *this;
}

AFileGenerator::~AFileGenerator() = default;

bool AFileGenerator::AddFile(const PString& source, PString& destination) {
    workList_.emplace_back(source, destination);
    return true;
}

void AFileGenerator::SetSourceDir(const PString& directory) {
    sourceDir_ = directory;
}

void AFileGenerator::SetDestinationDir(const PString& directory) {
    destinationDir_ = directory;
}

void AFileGenerator::SetSourceDir(const AFileSpec& directory) {
    sourceDir_ = directory;
}

void AFileGenerator::SetDestinationDir(const AFileSpec& directory) {
    destinationDir_ = directory;
}

bool AFileGenerator::Generate(const PString& source, const PString& destination,
                              ParameterProvider* provider, ForHandler* handler) {
    if (!provider)
        return false;
    workList_.emplace_back(source, destination);
    return preprocessing::GenerateWorkList(
        workList_, sourceDir_, destinationDir_, preprocessor_, provider, handler,
        [this](const AFileSpec& file, PString& text) { return GetFileContents(file, text); },
        [this](const AFileSpec& file, const PString& text) {
            return SaveFileContents(file, text);
        });
}

bool AFileGenerator::GetFileContents(const AFileSpec& file, PString& text) {
    FILE* stream = file.Open("r");
    if (!stream)
        return false;
    char piece[2048];
    while (std::fgets(piece, sizeof piece, stream))
        text += piece;
    std::fclose(stream);
    return true;
}

bool AFileGenerator::SaveFileContents(const AFileSpec& file, const PString& text) {
    return preprocessing::WriteUnits(file, "w", text);
}

} // namespace REDudi
