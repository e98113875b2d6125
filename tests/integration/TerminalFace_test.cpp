// The terminal face through a real terminal: dravoserv runs in a tmux pane of 80 x 24 in a copy of
// the sample game; the test types with send-keys and reads the screen with capture-pane.
#include "engine/ServerLibrary.h"
#include "support/LiveProcess.h"
#include "support/LoopbackPorts.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include <unistd.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using test::LiveProcess;
using test::RunProcess;
using test::TempDir;

const std::filesystem::path DRAVOSERV = test::BinDir() / "dravoserv";
const std::filesystem::path DRAVO_BOT = test::BinDir() / "dravo-bot";
constexpr auto SCREEN_LIMIT = 20s;
// Between two looks at the screen while waiting for something to appear on it.
constexpr auto LOOK_INTERVAL = 50ms;
constexpr const char* EXITED = "dravoserv exited with ";
constexpr size_t PLAYER_COLUMNS = 40;

bool HaveTmux() {
    return RunProcess("/bin/sh", {"-c", "command -v tmux"}, ".").m_ExitStatus == 0;
}

std::vector<std::string> Lines(const std::string& screen) {
    std::vector<std::string> lines;
    std::istringstream in(screen);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The first row of the screen that holds the text within its first columns, or -1.
int RowOf(const std::string& screen, const std::string& text, size_t columns = std::string::npos) {
    const auto lines = Lines(screen);
    for (size_t row = 0; row < lines.size(); ++row) {
        if (lines[row].substr(0, columns).find(text) != std::string::npos) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

size_t Count(const std::string& screen, const std::string& text) {
    size_t count = 0;
    for (size_t at = screen.find(text); at != std::string::npos; at = screen.find(text, at + 1)) {
        ++count;
    }
    return count;
}

// A tmux server of its own with one 80 x 24 pane running a command; killed with everything in it.
class TmuxPane {
public:
    TmuxPane(const std::filesystem::path& directory, const std::string& command)
        : m_Socket("dravo-test-" + std::to_string(getpid())) {
        const auto started = Tmux({"new-session", "-d", "-x", "80", "-y", "24", "-c", directory.string(), command});
        EXPECT_EQ(started.m_ExitStatus, 0) << started.m_Stderr;
        std::string socket = Tmux({"display-message", "-p", "#{socket_path}"}).m_Stdout;
        m_SocketPath = socket.substr(0, socket.find('\n'));
    }
    ~TmuxPane() {
        Tmux({"kill-server"});
        if (!m_SocketPath.empty()) {
            std::error_code ignored;
            std::filesystem::remove(m_SocketPath, ignored); // the server leaves it behind
        }
    }
    TmuxPane(const TmuxPane&) = delete;
    TmuxPane& operator=(const TmuxPane&) = delete;

    void Keys(const std::vector<std::string>& keys) {
        std::vector<std::string> arguments = {"send-keys", "-t", "0"};
        arguments.insert(arguments.end(), keys.begin(), keys.end());
        EXPECT_EQ(Tmux(arguments).m_ExitStatus, 0);
    }
    void Type(const std::string& text) { Keys({"-l", text}); }
    std::string Screen() { return Tmux({"capture-pane", "-p", "-t", "0"}).m_Stdout; }

    // Looks at the screen until it shows what is wanted, within the bound.
    bool WaitUntil(const std::function<bool(const std::string&)>& shows,
                   std::chrono::milliseconds limit = SCREEN_LIMIT) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!shows(Screen())) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(LOOK_INTERVAL);
        }
        return true;
    }
    bool WaitFor(const std::string& text, std::chrono::milliseconds limit = SCREEN_LIMIT) {
        return WaitUntil([&text](const std::string& shown) { return shown.find(text) != std::string::npos; }, limit);
    }

private:
    test::ProcessResult Tmux(const std::vector<std::string>& arguments) {
        std::vector<std::string> all = {"tmux", "-L", m_Socket, "-f", "/dev/null"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return RunProcess("/usr/bin/env", all, ".", "", 10s);
    }

    std::string m_Socket;
    std::string m_SocketPath;
};

class TerminalFaceTest : public ::testing::Test {
protected:
    TempDir m_Game;
    uint16_t m_Port = test::FreeUdpPort();

    void SetUp() override {
        if (!HaveTmux()) {
            GTEST_SKIP() << "tmux is not installed";
        }
        std::filesystem::copy(test::DataDir(), m_Game.Path(), std::filesystem::copy_options::recursive);
    }
    // Sets variables in the game's configuration through the reference engine.
    void Configure(const std::map<std::string, std::string>& values) {
        ServerLibrary library;
        ASSERT_TRUE(library.LoadServerLibrary((test::BinDir() / "server.so").string()));
        EngineServer& server = *library.GetServer();
        const std::string file = (m_Game.Path() / "dravosrv.cfg").string();
        ASSERT_EQ(server.ReadVariablesFile(file.c_str()), ENGINE_STATUS_OK);
        for (const auto& [key, value] : values) {
            server.ExecuteCommand(("\"+" + key + "\" \"" + value + "\"").c_str());
        }
        ASSERT_EQ(server.WriteVariablesFile(file.c_str()), ENGINE_STATUS_OK);
    }
    // dravoserv in the pane; once it ends the pane says how, and stays.
    std::unique_ptr<TmuxPane> StartServer(const std::string& arguments) {
        const std::string command =
            "'" + DRAVOSERV.string() + "' " + arguments + "; echo \"" + EXITED + "$?\"; exec cat";
        return std::make_unique<TmuxPane>(m_Game.Path(), command);
    }
    std::unique_ptr<LiveProcess> StartBots(const std::string& names) {
        return std::make_unique<LiveProcess>(DRAVO_BOT,
                                             std::vector<std::string>{"--host", "127.0.0.1", "--port",
                                                                      std::to_string(m_Port), "--names", names,
                                                                      "--duration", "30"},
                                             m_Game.Path());
    }
    std::string Address() const { return "Tcp/ip [127.0.0.1:" + std::to_string(m_Port) + "]"; }
};

TEST_F(TerminalFaceTest, ConsoleWindowShowsEveryInfoFieldOnItsOwnLineIn80x24) {
    Configure({{"Port", std::to_string(m_Port)}});
    auto pane = StartServer("-go");
    ASSERT_TRUE(pane->WaitFor("Server is running.")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("Net Service: " + Address())) << pane->Screen();
    const std::string screen = pane->Screen();
    const std::vector<std::string> fields = {
        "Name: Dravo Sample Server",
        "Running Time: 0:",
        "Net Service: " + Address(),
        "Players: 0",
        "Current Level: Worlds\\Multi\\Cinderworks",
        "Next Level: Worlds\\Multi\\Frostline",
        "Time in Level: 0:",
        "Level Goal: 25 Frags or 10 Minutes",
    };
    std::set<int> rows;
    for (const std::string& field : fields) {
        const int row = RowOf(screen, field);
        EXPECT_GE(row, 0) << field << "\n" << screen;
        EXPECT_TRUE(rows.insert(row).second) << field << " shares a line\n" << screen;
    }
    EXPECT_EQ(Lines(screen).size(), 24u);

    pane->Keys({"Escape"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"Enter"}); // Yes is the default answer
    EXPECT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
}

TEST_F(TerminalFaceTest, HostedGameShowsPlayersLevelsAndLogAndShutsDownWithTheSettingsSaved) {
    Configure({{"Port", std::to_string(m_Port)}, {"fragrate", "0"}});
    const std::string marker = "// written before the run";
    m_Game.Write("dravosrv.cfg", m_Game.Read("dravosrv.cfg") + marker + "\n");
    auto pane = StartServer("-go");
    ASSERT_TRUE(pane->WaitFor("Server is running.")) << pane->Screen();
    const std::string levels = pane->Screen();
    EXPECT_GE(RowOf(levels, "Glasshouse"), 0) << levels;
    EXPECT_GE(RowOf(levels, "Worlds\\Multi\\Ironmarsh"), 0) << levels;
    EXPECT_GE(RowOf(levels, "Worlds\\Multi\\Skyharbor"), 0) << levels;

    auto bots = StartBots("Ace,Bob");
    ASSERT_TRUE(pane->WaitFor("Bob joined the game.")) << pane->Screen();
    // A command typed and entered is logged, and the frags it gives put Bob first.
    pane->Type("addfrag Bob 3");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("addfrag Bob 3")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("Players: 2")) << pane->Screen();
    // The player list takes the left half of the window; the log on the right names the players too.
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) {
        const int bob = RowOf(shown, "Bob", PLAYER_COLUMNS);
        const int ace = RowOf(shown, "Ace", PLAYER_COLUMNS);
        return bob >= 0 && ace > bob &&
               Lines(shown)[static_cast<size_t>(bob)].substr(0, PLAYER_COLUMNS).find(" 3") != std::string::npos;
    })) << pane->Screen();
    const std::string screen = pane->Screen();
    const auto lines = Lines(screen);
    const std::string bobLine =
        lines[static_cast<size_t>(RowOf(screen, "Bob", PLAYER_COLUMNS))].substr(0, PLAYER_COLUMNS);
    const std::string aceLine =
        lines[static_cast<size_t>(RowOf(screen, "Ace", PLAYER_COLUMNS))].substr(0, PLAYER_COLUMNS);
    EXPECT_EQ(bobLine.find("Bob"), aceLine.find("Ace")) << "names line up\n" << screen;
    EXPECT_EQ(bobLine.find('3', bobLine.find("Bob")), aceLine.find('0', aceLine.find("Ace"))) << "frags line up\n"
                                                                                              << screen;
    EXPECT_LT(bobLine.find('('), bobLine.find("Bob")) << "the ping comes first\n" << screen;
    EXPECT_LT(aceLine.find('('), aceLine.find("Ace")) << screen;

    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"M-y"});
    ASSERT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
    const std::string saved = m_Game.Read("dravosrv.cfg");
    EXPECT_EQ(saved.find(marker), std::string::npos) << "the configuration was written again";
    EXPECT_NE(saved.find("ServerName \"Dravo Sample Server\""), std::string::npos) << saved;
}

TEST_F(TerminalFaceTest, FirstRunWalksEveryWizardPageByKeysToAHostedGame) {
    // A first run: nothing saved but the sample's loopback binding.
    m_Game.Write("dravosrv.cfg", "net_bindaddress \"127.0.0.1\"\n");
    auto pane = StartServer("");
    ASSERT_TRUE(pane->WaitFor("Which networking service you would like to use?")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("TCP/IP Internet Service")) << pane->Screen();
    pane->Keys({"End", "M-n"}); // the last service of the sorted list
    ASSERT_TRUE(pane->WaitFor("Which additional rez files would you like to load?")) << pane->Screen();
    pane->Keys({"Down", "Enter"}); // select the file; a double click on it adds it
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) { return Count(shown, "arena.rez") == 2; }))
        << pane->Screen();
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("Which tcp/ip port would you like to use?")) << pane->Screen();
    pane->Keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "End", "BSpace"}); // to the port, emptied
    pane->Type(std::to_string(m_Port));
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("What options would you like for this game server?")) << pane->Screen();
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("Which levels would you like to play?")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("Cinderworks")) << pane->Screen();
    pane->Keys({"Enter"}); // a double click on the first retail level puts it into the rotation
    pane->Keys({"M-f"});
    ASSERT_TRUE(pane->WaitFor("Power users can specify")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Server is running.")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("Net Service: " + Address())) << pane->Screen();
    const std::string screen = pane->Screen();
    EXPECT_GE(RowOf(screen, "Name: Dravo Server"), 0) << screen;
    EXPECT_GE(RowOf(screen, "Current Level: Worlds\\Multi\\Cinderworks"), 0) << screen;

    pane->Keys({"Escape"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"M-y"});
    ASSERT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
    const std::string saved = m_Game.Read("dravosrv.cfg");
    EXPECT_NE(saved.find("Port \"" + std::to_string(m_Port) + "\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("Level0 \"Worlds\\\\Multi\\\\Cinderworks\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("RezFile0 \"Custom\\\\arena.rez\""), std::string::npos) << saved;
}

} // namespace
} // namespace dravo
