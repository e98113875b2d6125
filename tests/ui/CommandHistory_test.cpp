// The command input's history: what Up and Down bring back, and its file between runs.
#include "ui/CommandHistory.h"

#include "support/SpecialFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
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

    directory.Write("dravosrv.history", "status\r\nbell\a\nhelp\n");
    ASSERT_TRUE(again.Load(file));
    EXPECT_EQ(again.Lines(), (std::deque<std::string>{"status", "help"}));
}

TEST(CommandHistory, AFileOverItsSizeKeepsItsNewestLinesAndNoSecret) {
    test::TempDir directory;
    const auto file = directory.Path() / "dravosrv.history";
    std::string text;
    for (int line = 0; text.size() < 80 * 1024; ++line) {
        text += "say line " + std::to_string(line) + "\n";
    }
    // Written by a program that kept secrets: they are not brought back, nor written back.
    directory.Write("dravosrv.history", text + "+RconPassword \"hunter22\"\nRconPassword hunter22\nstatus\n");
    CommandHistory history;
    ASSERT_TRUE(history.Load(file));
    ASSERT_FALSE(history.Lines().empty());
    EXPECT_EQ(history.Lines().back(), "status");
    EXPECT_EQ(history.Lines()[history.Lines().size() - 2],
              "say line " + std::to_string(std::count(text.begin(), text.end(), '\n') - 1));
    for (const std::string& line : history.Lines()) {
        EXPECT_EQ(line.find("hunter22"), std::string::npos) << line;
    }
    std::string error;
    ASSERT_TRUE(history.Save(file, error)) << error;
    EXPECT_EQ(directory.Read("dravosrv.history").find("hunter22"), std::string::npos);
}

TEST(CommandHistory, EveryConfigurationHasAHistoryOfItsOwnThatIsNeverItself) {
    EXPECT_EQ(CommandHistory::FileFor("games/a.cfg"), std::filesystem::path("games/a.history"));
    EXPECT_EQ(CommandHistory::FileFor("a.ini"), "a.ini.history");
    EXPECT_EQ(CommandHistory::FileFor("game.history"), "game.history.history");
    EXPECT_EQ(CommandHistory::FileFor("noending"), "noending.history");
    EXPECT_LE(CommandHistory::FileFor(std::string(255, 'n')).string().size(), 255u);
}

#ifndef _WIN32
TEST(CommandHistory, ALinkOrAFifoAtTheTemporaryNameIsReplacedAndNeverWaitedOn) {
    test::TempDir directory;
    const auto file = directory.Path() / "dravosrv.history";
    const std::filesystem::path target = directory.Write("precious.txt", "the operator's\n");
    CommandHistory history;
    history.Add("status");
    std::string error;
    std::filesystem::create_symlink(target, directory.Path() / "dravosrv.history.tmp");
    ASSERT_TRUE(history.Save(file, error)) << error;
    EXPECT_EQ(directory.Read("precious.txt"), "the operator's\n");
    EXPECT_EQ(directory.Read("dravosrv.history"), "status\n");
    ASSERT_TRUE(test::MakeFifo(directory.Path() / "dravosrv.history.tmp")); // a reader never comes
    history.Add("help");
    ASSERT_TRUE(history.Save(file, error)) << error;
    EXPECT_EQ(directory.Read("dravosrv.history"), "status\nhelp\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(directory.Path() / "dravosrv.history.tmp")));
}
#endif

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
