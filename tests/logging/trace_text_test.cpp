// The stack buffer every trace entry point formats into, and the facades'
// behaviour where no shared log exists.
#include <REDudi/logging.h>

#include "logging/trace_text.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

using namespace REDudi;

namespace {

std::string Formatted(const char* format, ...) {
    TraceText text;
    va_list args;
    va_start(args, format);
    text.Format(format, args);
    va_end(args);
    return text.c_str();
}

TEST(TraceTextTest, FormatsOnceAndCutsAt511Characters) {
    EXPECT_EQ("7 items, 50%", Formatted("%d items, %d%%", 7, 50));
    const std::string exact(511, 'a');
    EXPECT_EQ(exact, Formatted("%s", exact.c_str()));
    EXPECT_EQ(exact, Formatted("%s", (exact + "bcdef").c_str()));
    EXPECT_EQ(exact, Formatted("%sb", exact.c_str()));
    EXPECT_EQ("", Formatted(nullptr));
}

TEST(TraceTextTest, FinishedTextPassesUnchanged) {
    const std::string finished = Formatted("%s", "100% %d %s");
    EXPECT_EQ("100% %d %s", Formatted(kFinishedText, finished.c_str()));
}

#ifndef _WIN32
TEST(TraceFacadeWithoutLogTest, EverythingIsAQuietNoOp) {
    ALogger logger;
    EXPECT_FALSE(logger.IsValid());
    logger.SetClass(PString("Nowhere"));
    logger.Trace("%s", "dropped");
    ADefaultLogger defaultLogger;
    EXPECT_FALSE(defaultLogger.IsValid());
    Trace("%d", 1);
    ClassTrace("Sub", 1u, "%d", 2);
}
#endif

} // namespace
