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

TEST(StatusPagesTest, OnlyAQueueLongerThanTheLimitCrossesIt) {
    const struct {
        unsigned int length, limit;
        bool over;
    } rows[] = {{119, 120, false}, {120, 120, false}, {121, 120, true},
                {0, 0, false},     {1, 0, true},      {4294967295u, 4294967294u, true}};
    for (const auto& row : rows)
        EXPECT_EQ(IsOverLimit(row.length, row.limit), row.over)
            << row.length << " against " << row.limit;
}

// A properties root of each test's own (ctest runs the tests in parallel
// processes), filled afresh by SetUp and removed after the test.
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
    EXPECT_TRUE(settings_.title == "Gate" && settings_.site == "Pier") << settings_.title;
    EXPECT_EQ(settings_.queueLimit, 10u);
    ASSERT_EQ(settings_.queues.size(), 2u);
    std::vector<QueueSetting> over = QueuesOverLimit(settings_);
    ASSERT_EQ(over.size(), 1u);
    EXPECT_TRUE(over[0].name == "b" && over[0].length == 11u) << over[0].name;
}

TEST_F(ServiceSettingsTest, MissingOrMalformedSettingsNameTheProperty) {
    enum Change { kValue, kUnset, kDeleteKey };
    const struct {
        const char* path;
        Change change;
        const char* value;
    } rows[] = {
        {"/Service/Title", kUnset, ""},
        {"/Limits/QueueLength", kUnset, ""},
        {"/Limits/QueueLength", kValue, "ten"},
        {"/Queues/b", kValue, "-1"},
        {"/Queues", kDeleteKey, ""},
    };
    for (const auto& row : rows) {
        SetUp();
        if (row.change == kValue)
            Set(row.path, row.value);
        else
            ASSERT_TRUE(row.change == kUnset ? properties_.UnsetProperty(PString(row.path))
                                             : properties_.DeleteKey(PString(row.path)));
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
class QueuePageTest : public ::testing::Test {
protected:
    PString Expand(const char* text) {
        FillPageValues(settings_, MachineFigures(), "now", *values_);
        ATextPreprocessor preprocessor;
        preprocessor.SetParameterProvider(values_.get());
        QueueLoop loop(settings_, *values_);
        preprocessor.SetForHandler(&loop);
        return preprocessor.Preprocess(PString(text), nullptr);
    }

    ServiceSettings settings_;
    std::unique_ptr<PropertyBag> values_{PropertyBag::GetNewPropertyBag()};
};

TEST_F(QueuePageTest, TemplatesSeeTheValuesOfTheSettings) {
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
    settings_.queueLimit = 10;
    for (const auto& r : rows) {
        settings_.queues = r.queues;
        values_->Clear();
        EXPECT_EQ(std::string(Expand(r.text.c_str())), r.expected) << r.text;
    }
}

TEST_F(QueuePageTest, AMissingTemplateDirectoryIsNamed) {
    QueueLoop loop(settings_, *values_);
    std::string index, error;
    EXPECT_FALSE(GeneratePages("no-such-templates-dir", "no-such-pages-dir", "index.html", *values_,
                               loop, index, error));
    EXPECT_NE(error.find("no-such-templates-dir"), std::string::npos) << error;
    EXPECT_TRUE(index.empty());
}

} // namespace
} // namespace demo
} // namespace REDudi
