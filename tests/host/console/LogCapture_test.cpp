// A command's own lines: taken on its thread, up to a limit, nested, silent when asked.
#include "host/console/ConsoleLog.h"
#include "host/console/LogCapture.h"
#include "support/RecordingView.h"

#include <gtest/gtest.h>

#include <thread>

namespace dravo {
namespace {

TEST(LogCapture, TakesThisThreadsLinesOfItsLogUpToItsLimit) {
    test::RecordingView view;
    ConsoleLog log(view);
    test::RecordingView otherView;
    ConsoleLog other(otherView);
    {
        LogCapture capture(log, 13); // "first\n" and "second\n"
        log.Line("first");
        other.Line("another log");
        std::thread([&log] { log.Line("another thread"); }).join();
        log.Line("second");
        log.Line("third, past the limit");
        EXPECT_EQ(capture.Lines(), (std::vector<std::string>{"first", "second"}));
        EXPECT_EQ(capture.LeftOut(), std::string("third, past the limit\n").size());
    }
    log.Line("after");
    EXPECT_EQ(view.Log(),
              (std::vector<std::string>{"first", "another thread", "second", "third, past the limit", "after"}));
}

TEST(LogCapture, TheInnerCaptureTakesTheLinesAndASilentOneKeepsThemFromTheLog) {
    test::RecordingView view;
    ConsoleLog log(view);
    LogCapture outer(log, 1000);
    log.Line("outer");
    {
        LogCapture inner(log, 1000, LogCapture::Mode::Silent);
        log.Line("the engine's answer to the program's question");
        EXPECT_EQ(inner.Lines().size(), 1u);
    }
    log.Line("outer again");
    EXPECT_EQ(outer.Lines(), (std::vector<std::string>{"outer", "outer again"}));
    EXPECT_EQ(view.Log(), (std::vector<std::string>{"outer", "outer again"}));
}

} // namespace
} // namespace dravo
