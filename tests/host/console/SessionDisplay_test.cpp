// What the game shows goes to the view of the moment, and its texts stay for the consoles without one.
#include "host/console/SessionDisplay.h"
#include "support/RecordingView.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(SessionDisplay, HandsEverythingToTheAttachedViewOrElseTheFallbackAndKeepsTheTexts) {
    test::RecordingView fallback;
    test::RecordingView window;
    SessionDisplay display(fallback);
    display.AppendLogLine("before the window");
    display.ShowNetService("TCP/IP [127.0.0.1]");
    display.Attach(&window);
    display.AppendLogLine("in the window");
    display.ShowCurrentLevel("Arena");
    display.ShowNextLevel("Frostline");
    display.RequestClose();
    display.Attach(nullptr);
    display.AppendLogLine("after the window");
    EXPECT_EQ(fallback.Log(), (std::vector<std::string>{"before the window", "after the window"}));
    EXPECT_EQ(window.Log(), std::vector<std::string>{"in the window"});
    EXPECT_EQ(window.m_CloseRequests, 1);
    EXPECT_EQ(fallback.m_CloseRequests, 0);
    const DisplayedTexts shown = display.Shown();
    EXPECT_EQ(shown.m_NetService, "TCP/IP [127.0.0.1]");
    EXPECT_EQ(shown.m_CurrentLevel, "Arena");
    EXPECT_EQ(shown.m_NextLevel, "Frostline");
}

} // namespace
} // namespace dravo
