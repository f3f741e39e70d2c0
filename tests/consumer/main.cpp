// Uses the installed library as an application would and prints what it got;
// exits non-zero when any step fails.
#include <REDudi/config.h>
#include <REDudi/logging.h>
#include <REDudi/preprocessor.h>
#include <REDudi/property_manager.h>
#include <REDudi/strings.h>

#include <cstdio>
#include <memory>

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "consumer: %s\n", what);
    return 1;
}

// A property written and read back below the consumer's own root, which is
// removed again whatever happened.
int CheckProperty() {
    const REDudi::PString root("Software/REDudiConsumer");
    REDudi::APropertyManager properties(root);
    if (!properties.SetProperty(REDudi::PString("/Greeting/Text"), REDudi::PString("hello")))
        return Fail("property could not be written");
    REDudi::PString read;
    bool found = properties.GetProperty(REDudi::PString("/Greeting/Text"), read);
    bool removed = properties.DeleteKey(REDudi::PString("/"));
    if (!found || read != "hello")
        return Fail("property did not read back");
    if (!removed)
        return Fail("property root could not be removed");
    std::printf("consumer: property read back: %s\n", read.c_str());
    return 0;
}

int CheckTemplate() {
    std::unique_ptr<REDudi::PropertyBag> values(REDudi::PropertyBag::GetNewPropertyBag());
    if (!values || !values->SetProperty("who", "package"))
        return Fail("property bag unusable");
    REDudi::ATextPreprocessor preprocessor;
    preprocessor.SetParameterProvider(values.get());
    REDudi::PString text = preprocessor.Preprocess(
        REDudi::PString("hello <!-- qvvar name=\"who\" --><!-- qvifvar name=\"none\" -->!"
                        "<!-- qvendifvar -->"),
        nullptr);
    if (text != "hello package!")
        return Fail("template expanded wrongly");
    std::printf("consumer: template expanded: %s\n", text.c_str());
    return 0;
}

} // namespace

int main() {
    REDudi::ClassTrace("Consumer", static_cast<unsigned char>(3), "consumer %s", "started");
    REDudi::PString text("REDudi");
    if (text.CompareNoCase("redudi") != 0)
        return Fail("string comparison failed");
    if (CheckProperty() != 0 || CheckTemplate() != 0)
        return 1;
    std::printf("consumer: ok\n");
    return 0;
}
