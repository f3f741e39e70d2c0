#include "status_pages.h"
#include "status_settings.h"

#include <gtest/gtest.h>

#include <memory>

namespace REDudi {
namespace demo {
namespace {

TEST(StatusSettingsTest, ParseCountTakesWholeNumbersThatFit32Bits) {
    const struct {
        const char* text;
        bool ok;
        unsigned int value;
    } rows[] = {
        {"0", true, 0},           {"120", true, 120}, {"4294967295", true, 4294967295u},
        {"4294967296", false, 0}, {"", false, 0},     {"12a", false, 0},
        {"-1", false, 0},         {" 5", false, 0},   {"99999999999", false, 0},
    };
    for (const auto& row : rows) {
        unsigned int value = 7;
        EXPECT_EQ(ParseCount(row.text, value), row.ok) << "text \"" << row.text << "\"";
        EXPECT_EQ(value, row.ok ? row.value : 7u) << "text \"" << row.text << "\"";
    }
}

// A properties root of each test's own: ctest runs the tests in parallel processes.
class ServiceSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        properties_.SetPropertiesRoot(
            PString("Software/REDudiStatusPagesTest/") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        properties_.DeleteKey(PString("/"));
        Set("/Service/Title", "Gate");
        Set("/Service/Site", "Pier");
        Set("/Limits/QueueLength", "10");
        Set("/Queues/a", "3");
        Set("/Queues/b", "11");
        Set("/Queues/", "the key's own value, not a queue");
    }
    void TearDown() override { properties_.DeleteKey(PString("/")); }
    void Set(const char* path, const char* value) {
        ASSERT_TRUE(properties_.SetProperty(PString(path), PString(value))) << path;
    }

    APropertyManager properties_;
    ServiceSettings settings_;
    std::string error_;
};

TEST_F(ServiceSettingsTest, ReadsEverySettingAndEveryQueue) {
    // Only "0" turns the machine figures off.
    for (const char* show : {"", "0", "1", "no"}) {
        if (*show != '\0')
            Set("/Pages/ShowMachine", show);
        ASSERT_TRUE(ReadServiceSettings(properties_, settings_, error_)) << error_;
        EXPECT_EQ(settings_.showMachine, std::string(show) != "0") << show;
    }
    std::string queues;
    for (const QueueSetting& queue : settings_.queues)
        queues += " " + queue.name + "=" + std::to_string(queue.length);
    EXPECT_EQ("Gate Pier 10 a=3 b=11", settings_.title + " " + settings_.site + " " +
                                           std::to_string(settings_.queueLimit) + queues);
    std::vector<QueueSetting> over = QueuesOverLimit(settings_);
    EXPECT_TRUE(over.size() == 1 && over[0].name == "b") << over.size();
}

TEST_F(ServiceSettingsTest, MissingOrMalformedSettingsNameTheProperty) {
    const struct {
        const char* path;
        const char* value; // null: the value or key removed
    } rows[] = {
        {"/Service/Title", nullptr},    {"/Limits/QueueLength", nullptr},
        {"/Limits/QueueLength", "ten"}, {"/Queues/b", "-1"},
        {"/Queues", nullptr},
    };
    for (const auto& row : rows) {
        SetUp();
        if (row.value != nullptr)
            Set(row.path, row.value);
        else
            ASSERT_TRUE(properties_.UnsetProperty(PString(row.path)) ||
                        properties_.DeleteKey(PString(row.path)));
        ServiceSettings settings;
        std::string error;
        EXPECT_FALSE(ReadServiceSettings(properties_, settings, error)) << row.path;
        EXPECT_NE(error.find(row.path), std::string::npos) << row.path << ": " << error;
    }
    APropertyManager unrooted;
    EXPECT_FALSE(ReadServiceSettings(unrooted, settings_, error_));
    EXPECT_FALSE(error_.empty());
}

// Page values and the queue loop, expanded as the templates use them.
TEST(QueuePageTest, TemplatesSeeTheValuesAndAMissingTemplateDirectoryIsNamed) {
    ServiceSettings settings;
    settings.queueLimit = 10;
    std::unique_ptr<PropertyBag> values(PropertyBag::GetNewPropertyBag());
    QueueLoop loop(settings, *values);
    const std::string row = "<!-- qvvar name=\"QueueName\" -->=<!-- qvvar name=\"QueueLength\" "
                            "--><!-- qvifvar name=\"QueueOver\" -->!<!-- qvendifvar -->;";
    const std::string over = "<!-- qvifvar name=\"AnyOver\" -->over<!-- qvendifvar --><!-- "
                             "qvifvar name=\"AllWithin\" -->within<!-- qvendifvar -->";
    const struct {
        std::vector<QueueSetting> queues;
        std::string text;
        std::string expected;
    } rows[] = {
        {{{"a", 10}, {"b", 11}},
         "<!-- qvfor name=\"Queues\" -->" + row + "<!-- qvendfor -->",
         "a=10;b=11!;"},
        {{}, "[<!-- qvfor name=\"Queues\" -->" + row + "<!-- qvendfor -->]", "[]"},
        {{{"a", 1}},
         "<!-- qvfor name=\"Other\" -->x<!-- qvendfor --><!-- qvvar name=\"QueueCount\" -->",
         "1"},
        {{{"a", 1}, {"b", 2}},
         "<!-- qvfor name=\"Queues\" -->1<!-- qvendfor --><!-- qvfor name=\"Queues\" -->2"
         "<!-- qvendfor -->",
         "1122"},
        {{{"a", 1}, {"b", 20}},
         "<!-- qvvar name=\"QueueName\" n=\"1\" --> <!-- qvvar name=\"OverCount\" --> " + over,
         "b 1 over"},
        {{{"a", 10}}, over, "within"},
    };
    for (const auto& r : rows) {
        settings.queues = r.queues;
        values->Clear();
        FillPageValues(settings, MachineFigures(), "now", *values);
        ATextPreprocessor preprocessor;
        preprocessor.SetParameterProvider(values.get());
        preprocessor.SetForHandler(&loop);
        EXPECT_EQ(std::string(preprocessor.Preprocess(PString(r.text.c_str()), nullptr)),
                  r.expected)
            << r.text;
    }
    std::string index, error;
    EXPECT_FALSE(GeneratePages("no-such-templates-dir", "no-such-pages-dir", "index.html", *values,
                               loop, index, error));
    EXPECT_NE(error.find("no-such-templates-dir"), std::string::npos) << error;
    EXPECT_TRUE(index.empty());
}

} // namespace
} // namespace demo
} // namespace REDudi
