// The face is the one asked for, else the terminal face on a terminal, else the headless one.
#include "app/WindowSystemFactory.h"

#include <gtest/gtest.h>

#include <sstream>

namespace dravo {
namespace {

TEST(WindowSystemFactory, ChoosesTheTerminalFaceOnlyWhenBothStreamsAreTerminals) {
    EXPECT_EQ(ChooseWindowFace(std::nullopt, true, true), WindowFace::Terminal);
    EXPECT_EQ(ChooseWindowFace(std::nullopt, true, false), WindowFace::Headless);
    EXPECT_EQ(ChooseWindowFace(std::nullopt, false, true), WindowFace::Headless);
    EXPECT_EQ(ChooseWindowFace(WindowFace::Headless, true, true), WindowFace::Headless);
    EXPECT_EQ(ChooseWindowFace(WindowFace::Terminal, false, false), WindowFace::Terminal);
}

TEST(WindowSystemFactory, HeadlessFaceWritesToTheGivenStreams) {
    std::ostringstream out;
    std::ostringstream err;
    auto windows = CreateHeadlessWindowSystem(HeadlessOptions{-1, &out, &err});
    ASSERT_NE(windows, nullptr);
    windows->ShowMessageBox("ERROR - Out of memory.  The Dravo server will be shutdown.", "DravoServ",
                            MessageBoxButtons::Ok, MessageBoxIcon::Exclamation);
    EXPECT_EQ(err.str(), "DravoServ: ERROR - Out of memory.  The Dravo server will be shutdown.\n");
}

} // namespace
} // namespace dravo
