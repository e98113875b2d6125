// The installed layout end to end: cmake --install into a temporary prefix, then the installed
// program started with the installed systemd unit's command line (outside systemd) in a copy of the
// installed sample game: it hosts headless, logs with time stamps, follows a log rotation on
// SIGHUP and stops cleanly on SIGTERM with the configuration saved.
#include "support/LiveProcess.h"
#include "support/SampleGame.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>
#include <sstream>

namespace dravo {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const char* const STAMP = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d )";

// The words of the unit's ExecStart, with the instance name and the log root put in.
std::vector<std::string> UnitCommand(const fs::path& unit, const std::string& instance, const fs::path& logRoot) {
    std::istringstream lines(TempDir::ReadFile(unit));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("ExecStart=", 0) != 0) {
            continue;
        }
        std::vector<std::string> words;
        std::istringstream split(line.substr(10));
        for (std::string word; split >> word;) {
            word = std::regex_replace(word, std::regex("%i"), instance);
            word = std::regex_replace(word, std::regex("%L"), logRoot.string());
            words.push_back(word);
        }
        return words;
    }
    return {};
}

bool HasStampedLine(const std::string& text, const std::string& line) {
    return std::regex_search(text, std::regex(std::string("(^|\n)") + STAMP +
                                              std::regex_replace(line, std::regex(R"([.()])"), R"(\$&)") + "\n"));
}

TEST(Install, TheInstalledProgramHostsTheInstalledSampleGameAsTheUnitStartsIt) {
    TempDir prefix;
    const auto install =
        test::RunProcess(DRAVO_CMAKE_COMMAND, {"--install", DRAVO_BUILD_DIR, "--prefix", prefix.Path().string()}, ".",
                         "", std::chrono::seconds(60));
    ASSERT_EQ(install.m_ExitStatus, 0) << install.m_Stdout << install.m_Stderr;

    // The layout: the program and server.so together, a link in bin/, the tools, the guide, the unit.
    const fs::path root = prefix.Path();
    for (const char* file :
         {"lib/dravoserv/dravoserv", "lib/dravoserv/server.so", "lib/dravoserv/DravoSrv.txt", "bin/dravo-bot",
          "bin/dravo-rez", "share/dravoserv/sample-game/dravosrv.cfg", "share/dravoserv/sample-game/DravoSrv.txt",
          "share/dravoserv/sample-game/Custom/arena.rez", "lib/systemd/system/dravoserv@.service"}) {
        EXPECT_TRUE(fs::is_regular_file(root / file)) << file;
    }
    ASSERT_TRUE(fs::is_symlink(root / "bin/dravoserv"));
    EXPECT_EQ(fs::read_symlink(root / "bin/dravoserv"), "../lib/dravoserv/dravoserv");

    const fs::path unit = root / "lib/systemd/system/dravoserv@.service";
    std::vector<std::string> command = UnitCommand(unit, "main", prefix.Path() / "log");
    ASSERT_GE(command.size(), 2u);
    EXPECT_EQ(command[0], (root / "bin/dravoserv").string());
    for (const char* word : {"-go", "-face", "headless", "-CONFIG", "main.cfg", "+SpyMasterHost", "127.0.0.1"}) {
        EXPECT_NE(std::find(command.begin(), command.end(), word), command.end()) << word;
    }
    const std::string unitText = TempDir::ReadFile(unit);
    for (const char* setting : {"Restart=on-failure", "KillSignal=SIGTERM", "WorkingDirectory=", "ExecReload="}) {
        EXPECT_NE(unitText.find(setting), std::string::npos) << setting;
    }

    // The game directory: a copy of the installed sample game, its configuration as main.cfg.
    test::SampleGame game(root / "share/dravoserv/sample-game");
    fs::copy_file(game.Path() / "dravosrv.cfg", game.Path() / "main.cfg");
    fs::create_directories(prefix.Path() / "log/dravoserv");
    const fs::path log = prefix.Path() / "log/dravoserv/main.log";

    test::SampleGame::Start start;
    start.m_Program = command[0];
    start.m_Arguments.assign(command.begin() + 1, command.end());
    start.m_Arguments.insert(start.m_Arguments.end(), {"+ServerName", "Night Owls"}); // the name to see saved
    start.m_CloseInput = true; // as under systemd: no standard input
    auto server = game.StartServer(start);
    ASSERT_TRUE(server->WaitForOutput(test::SampleGame::RUNNING, std::chrono::milliseconds(0)))
        << server->Output() << server->Errors();

    // Log rotation: rename, SIGHUP, and the new file takes the next lines.
    fs::rename(log, prefix.Path() / "log/dravoserv/main.log.1");
    server->Signal(SIGHUP);
    ASSERT_TRUE(server->WaitForOutput("Log file reopened.")) << server->Output();

    server->Signal(SIGTERM);
    EXPECT_EQ(server->Wait(), 0) << server->Output() << server->Errors();
    server->FinishReading();

    const std::string rotated = TempDir::ReadFile(prefix.Path() / "log/dravoserv/main.log.1");
    EXPECT_TRUE(HasStampedLine(rotated, "Initializing the server...")) << rotated;
    EXPECT_TRUE(HasStampedLine(rotated, "Server is running.")) << rotated;
    const std::string current = TempDir::ReadFile(log);
    EXPECT_TRUE(HasStampedLine(current, "Log file reopened.")) << current;
    EXPECT_EQ(rotated.find("Log file reopened."), std::string::npos);
    // The console itself shows no time stamps.
    EXPECT_NE(server->Output().find("\nServer is running.\n"), std::string::npos);

    const std::string saved = TempDir::ReadFile(game.Path() / "main.cfg");
    EXPECT_NE(saved.find("ServerName \"Night Owls\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("SpyMasterHost \"127.0.0.1\""), std::string::npos) << saved;
}

} // namespace
} // namespace dravo
