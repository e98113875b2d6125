// The command input's history: what Up and Down bring back, and its file between runs.
#include "ui/CommandHistory.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace dravo {
namespace {

TEST(CommandHistory, UpAndDownWalkTheLinesAndGiveBackTheDraft) {
    CommandHistory history;
    EXPECT_EQ(history.Recall(-1, "typed"), std::nullopt);
    history.Add("status");
    history.Add("kick 3");
    history.Add("kick 3"); // the newest again: kept once
    history.Add("");
    ASSERT_EQ(history.Lines().size(), 2u);
    EXPECT_EQ(history.Recall(-1, "half"), "kick 3");
    EXPECT_EQ(history.Recall(-1, "kick 3"), "status");
    EXPECT_EQ(history.Recall(-1, "status"), std::nullopt); // the oldest line stays
    EXPECT_EQ(history.Recall(1, "status"), "kick 3");
    EXPECT_EQ(history.Recall(1, "kick 3"), "half");
    EXPECT_EQ(history.Recall(1, "half"), std::nullopt);
    history.Add("help"); // a sent line starts the walk again below the newest
    EXPECT_EQ(history.Recall(-1, ""), "help");
}

TEST(CommandHistory, KeepsTheNewestLinesCutToTheInputsLength) {
    CommandHistory history;
    for (size_t line = 0; line < CommandHistory::MAX_LINES + 5; ++line) {
        history.Add("line " + std::to_string(line));
    }
    ASSERT_EQ(history.Lines().size(), CommandHistory::MAX_LINES);
    EXPECT_EQ(history.Lines().front(), "line 5");
    history.Add(std::string(300, 'x'));
    EXPECT_EQ(history.Lines().back().size(), CommandHistory::COMMAND_LINE_CHARS);
}

TEST(CommandHistory, TheFileKeepsTheLinesAndLeavesOutWhatWasNeverTyped) {
    test::TempDir directory;
    const auto file = CommandHistory::FileFor(directory.Path() / "dravosrv.cfg");
    EXPECT_EQ(file.filename(), "dravosrv.history");
    CommandHistory history;
    EXPECT_TRUE(history.Load(file)); // none yet: an empty history
    history.Add("status");
    history.Add("set Name \"Night Owls\"");
    std::string error;
    ASSERT_TRUE(history.Save(file, error)) << error;

    CommandHistory again;
    ASSERT_TRUE(again.Load(file));
    EXPECT_EQ(again.Lines(), history.Lines());
    EXPECT_EQ(again.Recall(-1, ""), "set Name \"Night Owls\"");

    directory.Write("dravosrv.history", "status\r\nbell\a\nhelp\n" + std::string(70 * 1024, 'y'));
    ASSERT_TRUE(again.Load(file));
    EXPECT_EQ(again.Lines(), (std::deque<std::string>{"status", "help"})) << "a cut-off last line is no line";
}

TEST(CommandHistory, AFolderInTheFilesPlaceIsReportedAndLeftAlone) {
    test::TempDir directory;
    const auto folder = directory.Path() / "dravosrv.history";
    std::filesystem::create_directory(folder);
    CommandHistory history;
    EXPECT_FALSE(history.Load(folder));
    history.Add("status");
    std::string error;
    EXPECT_FALSE(history.Save(folder, error));
    EXPECT_NE(error.find("dravosrv.history"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_FALSE(std::filesystem::exists(directory.Path() / "dravosrv.history.tmp"));
}

} // namespace
} // namespace dravo
