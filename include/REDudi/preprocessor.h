// Template preprocessors and file generators.
//
// A template is text in which commands are written as HTML comments:
//   <!-- qvvar name="title" -->                    the variable's value
//   <!-- qvifvar name="show" --> ... <!-- qvendifvar -->
//                                                  the body unless the value is "0"
//   <!-- qvfor name="item" --> ... <!-- qvendfor -->
//                                                  the body once per pass of a ForHandler
//   <!-- qvfile source="a.htm" dest="b.htm" -->    a further file to generate
// Variables may carry an index, n="3" or n="auto" (the preprocessor's N).
// Everything else, malformed directives included, is copied unchanged.
#pragma once

#include <REDudi/config.h>
#include <REDudi/export.h>
#include <REDudi/files.h>
#include <REDudi/strings.h>

#include <list>
#include <utility>

namespace REDudi {

// Supplies template texts by number.
class TextProvider {
public:
    virtual PString GetText(unsigned int id) = 0;
};

// Drives loops: BeginFor once, then NextFor after each pass, until one of
// them returns false. Between passes the handler changes the values that
// the providers return, or the preprocessor's N.
class ForHandler {
public:
    virtual bool BeginFor(PString& loopName) = 0;
    virtual bool NextFor(PString& loopName) = 0;
};

// Receives the file directives of a template.
class FileGenerationHandler {
public:
    virtual bool AddFile(const PString& source, PString& destination) = 0;
};

// The wide twin of TextProvider: the text a directive names by number.
class TextProviderUnicode {
public:
    virtual UString GetText(unsigned int id) = 0;
};

// The wide twin of ForHandler: starts and advances a named loop; false ends it.
class ForHandlerUnicode {
public:
    virtual bool BeginFor(UString& loopName) = 0;
    virtual bool NextFor(UString& loopName) = 0;
};

// The wide twin of FileGenerationHandler: told of each file a template names,
// it may change the destination; false refuses the file.
class FileGenerationHandlerUnicode {
public:
    virtual bool AddFile(const UString& source, UString& destination) = 0;
};

// Expands narrow templates. Owns none of the objects it points to; one
// object runs one expansion at a time.
class REDUDI_API ATextPreprocessor {
public:
    ATextPreprocessor() = default;
    ATextPreprocessor(const ATextPreprocessor&) = default;
    ATextPreprocessor& operator=(const ATextPreprocessor&) = default;
    virtual ~ATextPreprocessor();

    // Must be set before any expansion; asked when the per-call provider
    // has no answer.
    void SetParameterProvider(ParameterProvider* provider);
    void SetTextProvider(TextProvider* provider);
    void SetFileGenerator(FileGenerationHandler* generator);
    void SetForHandler(ForHandler* handler);
    // The index of directives whose index text is "auto".
    void SetN(unsigned int n);

    // The expanded text; empty when no default provider is set. `provider`
    // (may be null) is asked before the default provider.
    PString Preprocess(const PString& text, ParameterProvider* provider);
    // The same for the text provider's text `id`; empty without a text provider.
    PString Preprocess(unsigned int id, ParameterProvider* provider);

protected:
    PString DoTheDeal(const PString& text);
    // The steps as edits of a working text: each takes the position of a
    // directive and returns the position where scanning goes on.
    int ReplaceVariable(PString& text, int position);
    int ProcessIfVariable(PString& text, int position);
    int ProcessFile(PString& text, int position);
    int ProcessFor(PString& text, int position);
    bool ExtractVariable(const PString& text, const PString& opening, const PString& endMarker,
                         int position, int& length, PString& value, bool lookUp);
    bool FindMatchingEnd(const PString& text, const PString& opening, const PString& closing,
                         int from, int& end);
    int CountBeginsBetweenHereAndThere(const PString& text, const PString& opening, int from,
                                       int to);
    // True when `a` was found (not negative) and none of the others before it.
    static bool IsFirst(int a, int b, int c, int d);

private:
    class Hooks;

    ParameterProvider* defaultProvider_ = nullptr;
    TextProvider* textProvider_ = nullptr;
    ParameterProvider* callProvider_ = nullptr;
    FileGenerationHandler* fileGenerator_ = nullptr;
    ForHandler* forHandler_ = nullptr;
    unsigned int n_ = 0;
};

// The twin of ATextPreprocessor for 16-bit templates. Variable names stay
// narrow: a name or index text that is not pure ASCII leaves its directive
// unexpanded. Positions count 16-bit units.
class REDUDI_API ATextPreprocessorUnicode {
public:
    ATextPreprocessorUnicode() = default;
    ATextPreprocessorUnicode(const ATextPreprocessorUnicode&) = default;
    ATextPreprocessorUnicode& operator=(const ATextPreprocessorUnicode&) = default;
    virtual ~ATextPreprocessorUnicode();

    void SetParameterProvider(ParameterProviderUnicode* provider);
    void SetTextProvider(TextProviderUnicode* provider);
    void SetFileGenerator(FileGenerationHandlerUnicode* generator);
    void SetForHandler(ForHandlerUnicode* handler);
    void SetN(unsigned int n);

    UString Preprocess(const UString& text, ParameterProviderUnicode* provider);
    UString Preprocess(unsigned int id, ParameterProviderUnicode* provider);

protected:
    UString DoTheDeal(const UString& text);
    int ReplaceVariable(UString& text, int position);
    int ProcessIfVariable(UString& text, int position);
    int ProcessFile(UString& text, int position);
    int ProcessFor(UString& text, int position);
    bool ExtractVariable(const UString& text, const UString& opening, const UString& endMarker,
                         int position, int& length, UString& value, bool lookUp);
    bool FindMatchingEnd(const UString& text, const UString& opening, const UString& closing,
                         int from, int& end);
    int CountBeginsBetweenHereAndThere(const UString& text, const UString& opening, int from,
                                       int to);
    static bool IsFirst(int a, int b, int c, int d);

private:
    class Hooks;

    ParameterProviderUnicode* defaultProvider_ = nullptr;
    TextProviderUnicode* textProvider_ = nullptr;
    ParameterProviderUnicode* callProvider_ = nullptr;
    FileGenerationHandlerUnicode* fileGenerator_ = nullptr;
    ForHandlerUnicode* forHandler_ = nullptr;
    unsigned int n_ = 0;
};

// Turns a tree of templates into a tree of files: Generate expands a
// template read below the source directory, writes the result below the
// destination directory, and does the same for every file directive met on
// the way, in the order the directives appear. Directory texts are relative
// as AFileSpec takes them; no directory is created.
class REDUDI_API AFileGenerator : public FileGenerationHandler {
public:
    AFileGenerator();
    AFileGenerator(const AFileGenerator& other);
    AFileGenerator& operator=(const AFileGenerator& other);
    bool AddFile(const PString& source, PString& destination) override;
    virtual ~AFileGenerator();

    void SetSourceDir(const PString& directory);
    void SetDestinationDir(const PString& directory);
    void SetSourceDir(const AFileSpec& directory);
    void SetDestinationDir(const AFileSpec& directory);

    // False for a null provider, an unreadable template or an unwritable
    // output; files written before a failure stay written. A null handler
    // keeps the loop handler set before.
    bool Generate(const PString& source, const PString& destination, ParameterProvider* provider,
                  ForHandler* handler);

protected:
    bool GetFileContents(const AFileSpec& file, PString& text);
    bool SaveFileContents(const AFileSpec& file, const PString& text);

private:
    ATextPreprocessor preprocessor_;
    AFileSpec destinationDir_;
    AFileSpec sourceDir_;
    std::list<std::pair<PString, PString>> workList_;
};

// AFileGenerator for 16-bit templates, read and written as raw 16-bit units
// (no byte-order mark added or removed, no line-end translation).
class REDUDI_API AFileGeneratorUnicode : public FileGenerationHandlerUnicode {
public:
    AFileGeneratorUnicode();
    AFileGeneratorUnicode(const AFileGeneratorUnicode& other);
    AFileGeneratorUnicode& operator=(const AFileGeneratorUnicode& other);
    bool AddFile(const UString& source, UString& destination) override;
    virtual ~AFileGeneratorUnicode();

    void SetSourceDir(const UString& directory);
    void SetDestinationDir(const UString& directory);
    void SetSourceDir(const AFileSpecUnicode& directory);
    void SetDestinationDir(const AFileSpecUnicode& directory);

    bool Generate(const UString& source, const UString& destination,
                  ParameterProviderUnicode* provider, ForHandlerUnicode* handler);

protected:
    bool GetFileContents(const AFileSpecUnicode& file, UString& text);
    bool SaveFileContents(const AFileSpecUnicode& file, const UString& text);

private:
    ATextPreprocessorUnicode preprocessor_;
    AFileSpecUnicode destinationDir_;
    AFileSpecUnicode sourceDir_;
    std::list<std::pair<UString, UString>> workList_;
};

} // namespace REDudi
