// Files the operator (or someone else) wrote, read end to end: nothing the operator wrote is lost
// without a word, and no file holds up or bloats a run.
#include "integration/PresenceFixture.h"
#include "support/SpecialFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>

namespace dravo {
namespace {

using namespace std::chrono_literals;

std::string ReadText(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class HostileFilesTest : public test::PresenceTest {
protected:
    std::filesystem::path Config() const { return m_Game.Path() / "dravosrv.cfg"; }
    void Append(const std::string& lines) {
        std::ofstream out(Config(), std::ios::app);
        out << lines;
    }
    int RunAndShutDown(const std::vector<std::string>& extra = {}, std::string* errors = nullptr,
                       std::string* output = nullptr) {
        const auto server = StartServer(extra);
        server->WriteLine("/shutdown");
        const int status = server->Wait();
        server->FinishReading();
        if (errors != nullptr) {
            *errors = server->Errors();
        }
        if (output != nullptr) {
            *output = server->Output();
        }
        return status;
    }
};

TEST_F(HostileFilesTest, AHugeListCountNeitherSlowsTheStartNorFillsTheFile) {
    Configure({{"NumRezFiles", "100000"}, {"NumLevels", "2000000000"}});
    std::string errors;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(RunAndShutDown({}, &errors), 0) << errors;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s); // was 20 s for the rez files alone
    EXPECT_NE(errors.find("NumRezFiles is 100000; only the first 114 entries were read"), std::string::npos) << errors;
    const std::string saved = ReadText(Config());
    EXPECT_EQ(saved.find("\"\""), std::string::npos) << "an empty entry was saved";
    EXPECT_EQ(saved.find("RezFile1 "), std::string::npos);
    EXPECT_NE(saved.find("RezFile0 \"Custom\\\\arena.rez\""), std::string::npos) << saved;
}

TEST_F(HostileFilesTest, ACappedListCountIsSavedAsReadAndSaidOnlyOnce) {
    Configure({{"NumLevels", "2000000000"}, {"NumRezFiles", "100000"}});
    std::string errors;
    ASSERT_EQ(RunAndShutDown({}, &errors), 0) << errors;
    EXPECT_NE(errors.find("NumLevels is 2000000000; only the first 50 entries were read"), std::string::npos) << errors;
    const std::string saved = ReadText(Config());
    // The five levels of the sample and its one archive, numbered as before.
    EXPECT_NE(saved.find("NumLevels \"5\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("NumRezFiles \"1\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("Level4 \"Worlds\\\\Multi\\\\Skyharbor\""), std::string::npos) << saved;
    EXPECT_EQ(saved.find("2000000000"), std::string::npos) << saved;

    // The next start reads the same list and has nothing to say about it.
    std::string again;
    ASSERT_EQ(RunAndShutDown({}, &again), 0) << again;
    EXPECT_EQ(again.find(" entries were read"), std::string::npos) << again;
    const std::string resaved = ReadText(Config());
    EXPECT_NE(resaved.find("NumLevels \"5\"\nLevel0 \"Worlds\\\\Multi\\\\Cinderworks\""), std::string::npos) << resaved;
    EXPECT_NE(resaved.find("NumRezFiles \"1\"\nRezFile0 "), std::string::npos) << resaved;
}

// A configuration that is there but cannot be read ends the start with the reason; it is never the
// setup's "no saved configuration", and nothing is written over it.
TEST_F(HostileFilesTest, AConfigurationThatCannotBeReadEndsTheStartWithItsReason) {
    const auto run = [this](const std::string& config) {
        return test::RunProcess(test::BinDir() / "dravoserv", {"-go", "-face", "headless", "-CONFIG", config},
                                m_Game.Path(), "", 20s);
    };
    const auto expectRefused = [](const test::ProcessResult& result, const std::string& config,
                                  const std::string& reason) {
        EXPECT_FALSE(result.m_TimedOut) << config;
        EXPECT_EQ(result.m_ExitStatus, 1) << result.m_Stderr;
        const size_t box =
            result.m_Stderr.find("DravoServ: ERROR - Unable to read the configuration file \"" + config + "\".");
        ASSERT_NE(box, std::string::npos) << result.m_Stderr;
        // The reason is in the box, on its line.
        const std::string line = result.m_Stderr.substr(box, result.m_Stderr.find('\n', box) - box);
        EXPECT_NE(line.find(reason), std::string::npos) << result.m_Stderr;
        EXPECT_EQ(result.m_Stderr.find("setup pages need a terminal"), std::string::npos) << result.m_Stderr;
    };

    std::filesystem::create_directory(m_Game.Path() / "folder.cfg");
    expectRefused(run("folder.cfg"), "folder.cfg", "Cannot read folder.cfg: it is a directory.");
    EXPECT_TRUE(std::filesystem::is_directory(m_Game.Path() / "folder.cfg"));

    // Opening a FIFO for reading would wait for a writer that never comes.
    ASSERT_TRUE(test::MakeFifo(m_Game.Path() / "pipe.cfg"));
    expectRefused(run("pipe.cfg"), "pipe.cfg", "Cannot read pipe.cfg: it is not a regular file");
    EXPECT_TRUE(std::filesystem::is_fifo(m_Game.Path() / "pipe.cfg"));

    // A sparse file past the limit: the saved settings first, then 17 MiB of nothing.
    std::filesystem::copy_file(Config(), m_Game.Path() / "large.cfg");
    constexpr uintmax_t LARGE = uintmax_t{17} << 20;
    std::filesystem::resize_file(m_Game.Path() / "large.cfg", LARGE);
    expectRefused(run("large.cfg"), "large.cfg", "Cannot read large.cfg: it is larger than 16 MiB");
    EXPECT_EQ(std::filesystem::file_size(m_Game.Path() / "large.cfg"), LARGE);

    // A configuration that is not there at all is still a first run: the setup, as before.
    const test::ProcessResult missing = test::RunProcess(
        test::BinDir() / "dravoserv", {"-face", "headless", "-CONFIG", "new.cfg"}, m_Game.Path(), "", 20s);
    EXPECT_EQ(missing.m_ExitStatus, 1) << missing.m_Stderr;
    EXPECT_NE(missing.m_Stderr.find("setup pages need a terminal"), std::string::npos) << missing.m_Stderr;
    EXPECT_EQ(missing.m_Stderr.find("Unable to read the configuration file"), std::string::npos) << missing.m_Stderr;
}

TEST_F(HostileFilesTest, LinesThatDoNotParseAreReportedAndTheOriginalIsKept) {
    const std::string before = ReadText(Config());
    const auto lineNumber = std::count(before.begin(), before.end(), '\n') + 1;
    Append("ServerName Hand Edited Name\n");
    const std::string original = ReadText(Config());
    std::string errors;
    std::string output;
    ASSERT_EQ(RunAndShutDown({}, &errors, &output), 0) << errors;
    const std::string report = "dravosrv.cfg:" + std::to_string(lineNumber) +
                               ": skipped a line: the value must be in double quotes: ServerName Hand Edited Name";
    EXPECT_NE(errors.find(report), std::string::npos) << errors;
    EXPECT_NE(output.find(report), std::string::npos) << output; // in the console log too
    EXPECT_EQ(ReadText(m_Game.Path() / "dravosrv.cfg.orig"), original);
    EXPECT_NE(errors.find("the file as it was is kept as dravosrv.cfg.orig."), std::string::npos) << errors;

    // Another unreadable line later: the earlier copy stays, the new one goes beside it.
    Append("Broken \"unterminated\n");
    const std::string second = ReadText(Config());
    ASSERT_EQ(RunAndShutDown(), 0);
    EXPECT_EQ(ReadText(m_Game.Path() / "dravosrv.cfg.orig"), original);
    EXPECT_EQ(ReadText(m_Game.Path() / "dravosrv.cfg.orig.1"), second);
}

TEST_F(HostileFilesTest, ALinkedConfigurationIsUpdatedThroughTheLink) {
    std::filesystem::create_directory(m_Game.Path() / "settings");
    std::filesystem::rename(Config(), m_Game.Path() / "settings" / "main.cfg");
    std::filesystem::create_symlink("settings/main.cfg", Config());
    ASSERT_EQ(RunAndShutDown({"+ServerName", "Through The Link"}), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(Config()));
    EXPECT_NE(ReadText(m_Game.Path() / "settings" / "main.cfg").find("ServerName \"Through The Link\""),
              std::string::npos);
}

TEST_F(HostileFilesTest, ALinkedConfigurationWithUnreadableLinesIsCopiedBesideItsTarget) {
    std::filesystem::create_directory(m_Game.Path() / "settings");
    Append("ServerName Hand Edited Name\n");
    const std::string original = ReadText(Config());
    std::filesystem::rename(Config(), m_Game.Path() / "settings" / "main.cfg");
    std::filesystem::create_symlink("settings/main.cfg", Config());
    std::string errors;
    ASSERT_EQ(RunAndShutDown({}, &errors), 0) << errors;
    EXPECT_EQ(ReadText(m_Game.Path() / "settings" / "main.cfg.orig"), original);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(m_Game.Path() / "dravosrv.cfg.orig")));
    EXPECT_NE(errors.find("main.cfg.orig."), std::string::npos) << errors;
}

TEST_F(HostileFilesTest, TheCopiesAreFewAndTheOldestMakesRoom) {
    // Three earlier copies of other files: the newest copy takes the oldest one's name.
    m_Game.Write("dravosrv.cfg.orig", "an earlier copy\n");
    m_Game.Write("dravosrv.cfg.orig.1", "a later copy\n");
    m_Game.Write("dravosrv.cfg.orig.2", "the latest copy\n");
    const auto longAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(m_Game.Path() / "dravosrv.cfg.orig", longAgo);
    Append("ServerName Hand Edited Name\n");
    const std::string original = ReadText(Config());
    std::string errors;
    EXPECT_EQ(RunAndShutDown({"+ServerName", "Saved Over The Hand Edit"}, &errors), 0) << errors;
    EXPECT_EQ(ReadText(m_Game.Path() / "dravosrv.cfg.orig"), original);
    EXPECT_EQ(ReadText(m_Game.Path() / "dravosrv.cfg.orig.1"), "a later copy\n");
    EXPECT_FALSE(std::filesystem::exists(m_Game.Path() / "dravosrv.cfg.orig.3"));
    EXPECT_NE(ReadText(Config()).find("Saved Over The Hand Edit"), std::string::npos);
}

TEST_F(HostileFilesTest, AnArchiveWithAnEntryLargerThanAResourceFileMayBeIsRefusedWithItsReason) {
    // A sparse archive: one 100 MiB entry costs the disk almost nothing.
    const std::string name = "Big.dat";
    std::string archive = "DRAVOREZ";
    auto put = [&archive](uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            archive.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    };
    put(1, 4);
    put(1, 4);
    const uint64_t dataOffset = 16 + 10 + name.size();
    put(dataOffset, 4);
    put(100u << 20, 4);
    put(name.size(), 2);
    archive += name;
    const auto path = m_Game.Path() / "Custom" / "arena.rez";
    m_Game.Write("Custom/arena.rez", archive);
    std::filesystem::resize_file(path, dataOffset + (100u << 20));
    test::LiveProcess server(test::BinDir() / "dravoserv", {"-go", "-face", "headless"}, m_Game.Path());
    EXPECT_EQ(server.Wait(), 1);
    server.FinishReading();
    const std::string errors = server.Errors();
    const size_t box = errors.find("DravoServ: ERROR - Unable to load Dravo resources. ");
    ASSERT_NE(box, std::string::npos) << errors;
    // The reason is in the box itself, on its line.
    const std::string line = errors.substr(box, errors.find('\n', box) - box);
    EXPECT_NE(line.find("Big.dat is larger than 64 MiB"), std::string::npos) << errors;
}

TEST_F(HostileFilesTest, TheReasonASaveFailedIsShown) {
    // The configuration lives in a directory that is gone by the end of the run.
    std::filesystem::create_directory(m_Game.Path() / "gone");
    std::filesystem::copy_file(Config(), m_Game.Path() / "gone" / "main.cfg");
    const auto server = StartServer({"-CONFIG", "gone/main.cfg"});
    std::filesystem::remove_all(m_Game.Path() / "gone");
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 3);
    server->FinishReading();
    const std::string errors = server->Errors();
    const size_t box = errors.find("DravoServ: ERROR - Unable to save the configuration file \"gone/main.cfg\".\n");
    ASSERT_NE(box, std::string::npos) << errors;
    EXPECT_NE(errors.find("No such file or directory", box), std::string::npos) << errors;
}

TEST_F(HostileFilesTest, ABannedNameIsMatchedWholeUpToSixtyThreeCharacters) {
    const std::string banned(40, 'B');
    const std::string prefix(31, 'B'); // what the ban once was cut to: another player's name
    m_Game.Write("banned.txt", banned + "\n");
    auto server = StartServer();
    auto bots = StartBots(banned + "," + prefix, 30);
    ASSERT_TRUE(server->WaitForOutput("Added " + banned + " to kick queue...")) << server->Output();
    ASSERT_TRUE(server->WaitForOutput(prefix + " joined the game.")) << server->Output();
    server->WriteLine("/players");
    ASSERT_TRUE(server->WaitForOutput("Players: ")) << server->Output();
    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0);
    server->FinishReading();
    EXPECT_EQ(server->Output().find("Added " + prefix + " to kick queue..."), std::string::npos);
}

} // namespace
} // namespace dravo
