// The terminal face through a real terminal: dravoserv runs in a tmux pane (80 x 24 unless a test
// says otherwise) in a copy of the sample game; the test types with send-keys, resizes the window and
// reads the screen with capture-pane, as an operator would look at it.
#include "engine/loader/ServerLibrary.h"
#include "support/LiveProcess.h"
#include "support/LoopbackPorts.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string_view>
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
// The player list stands in the right half of the window, above the log.
constexpr size_t PLAYER_COLUMN = 40;

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

// A line of the screen from a column on: line characters take three bytes and one column.
std::string FromColumn(const std::string& line, size_t column) {
    size_t at = 0;
    for (size_t skipped = 0; at < line.size() && skipped < column; ++skipped) {
        for (++at; at < line.size() && (static_cast<unsigned char>(line[at]) & 0xC0U) == 0x80U; ++at) {
        }
    }
    return line.substr(at);
}

// The first row of the screen that holds the text within its first columns (from a column on), or -1.
int RowOf(const std::string& screen, const std::string& text, size_t columns = std::string::npos,
          size_t fromColumn = 0) {
    const auto lines = Lines(screen);
    for (size_t row = 0; row < lines.size(); ++row) {
        if (FromColumn(lines[row], fromColumn).substr(0, columns).find(text) != std::string::npos) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

// The first line that holds the text, without the frame and the blanks at its ends. The frame's sides are
// "│" where the terminal takes UTF-8 line characters, "x" where it draws them from its alternate set.
std::string LineWith(const std::string& screen, const std::string& text) {
    const int row = RowOf(screen, text);
    if (row < 0) {
        return {};
    }
    const std::string whole = Lines(screen)[static_cast<size_t>(row)];
    std::string_view line = whole;
    constexpr std::string_view SIDES[] = {" ", "x", "\u2502"};
    for (bool trimmed = true; trimmed && !line.empty();) {
        trimmed = false;
        for (const std::string_view side : SIDES) {
            if (line.starts_with(side)) {
                line.remove_prefix(side.size());
                trimmed = true;
            }
            if (line.ends_with(side)) {
                line.remove_suffix(side.size());
                trimmed = true;
            }
        }
    }
    return std::string(line);
}

size_t Count(const std::string& screen, const std::string& text) {
    size_t count = 0;
    for (size_t at = screen.find(text); at != std::string::npos; at = screen.find(text, at + 1)) {
        ++count;
    }
    return count;
}

// The screen with every digit as "#": running times and port numbers differ between two runs.
std::string Masked(std::string screen) {
    for (char& c : screen) {
        if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
            c = '#';
        }
    }
    return screen;
}

// A tmux server of its own with one pane running a command; killed with everything in it.
class TmuxPane {
public:
    TmuxPane(const std::filesystem::path& directory, const std::string& command, int cols = 80, int rows = 24)
        : m_Socket("dravo-test-" + std::to_string(getpid()) + "-" + std::to_string(NextPane())) {
        const auto started = Tmux({"new-session", "-d", "-x", std::to_string(cols), "-y", std::to_string(rows), "-c",
                                   directory.string(), command});
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
    // The window takes the new size; the program hears of it as from a terminal window resized.
    void Resize(int cols, int rows) {
        EXPECT_EQ(
            Tmux({"resize-window", "-t", "0", "-x", std::to_string(cols), "-y", std::to_string(rows)}).m_ExitStatus, 0);
    }
    // Writes straight to the terminal behind the program's back, as another program's output would.
    void Scribble(const std::string& bytes) {
        std::string tty = Tmux({"display-message", "-p", "-t", "0", "#{pane_tty}"}).m_Stdout;
        std::ofstream(tty.substr(0, tty.find('\n'))) << bytes;
    }

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
    static int NextPane() {
        static std::atomic<int> count{0};
        return ++count;
    }
    test::ProcessResult Tmux(const std::vector<std::string>& arguments) {
        // A UTF-8 terminal, as the operator's usually is, whatever the test runs under.
        std::vector<std::string> all = {"LC_ALL=C.UTF-8", "tmux", "-L", m_Socket, "-f", "/dev/null"};
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
    std::string m_Environment; // put in front of the program, as "env LANG=C "

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
    std::unique_ptr<TmuxPane> StartServer(const std::string& arguments, int cols = 80, int rows = 24) {
        const std::string command =
            m_Environment + "'" + DRAVOSERV.string() + "' " + arguments + "; echo \"" + EXITED + "$?\"; exec cat";
        return std::make_unique<TmuxPane>(m_Game.Path(), command, cols, rows);
    }
    // A hosted game's console window, settled: everything of the start is on the screen, and no
    // update is half drawn (both clocks show all their digits).
    static std::string SettledConsole(TmuxPane& pane) {
        const std::regex settled(
            "Running Time: \\d+:\\d\\d:\\d\\d(?=[ \\n])[^]*Time in Level: \\d+:\\d\\d:\\d\\d(?=[ \\n])");
        std::string screen;
        EXPECT_TRUE(pane.WaitUntil([&](const std::string& shown) {
            screen = shown;
            return shown.find("Server is running.") != std::string::npos &&
                   shown.find("Level Goal: 25 Frags or 10 Minutes") != std::string::npos &&
                   std::regex_search(shown, settled);
        })) << pane.Screen();
        return screen;
    }
    // Waits until the pane shows what another showed, digits aside.
    static bool Shows(TmuxPane& pane, const std::string& wanted) {
        return pane.WaitUntil([&wanted](const std::string& shown) { return Masked(shown) == Masked(wanted); });
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
    // Box lines are lines: a curses library without wide characters under a UTF-8 locale draws the
    // line characters as the letters that stand for them ("lqqk", "x").
    EXPECT_NE(screen.find("\u2500 Server Info \u2500"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("qqq"), std::string::npos) << screen;

    // The traps of a live game: Esc is a stray key here, plain letters answer no question, and Enter
    // answers No; the command typed around them is sent whole.
    pane->Type("pl");
    pane->Keys({"Escape", "Enter"});
    ASSERT_TRUE(pane->WaitFor("Unknown command \"pl\"")) << pane->Screen();
    EXPECT_EQ(pane->Screen().find("Are you sure"), std::string::npos) << pane->Screen();
    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Type("yn");
    pane->Keys({"Enter"}); // No is the default answer
    pane->Keys({"Enter"}); // the focus went back to the command, not to Shutdown
    pane->Type("status");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("0 of 16 players")) << pane->Screen(); // what status ends with
    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"M-y"});
    EXPECT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
}

// Rows of the log pane: those between the rule over it and the command line under it. The rule's line
// character comes out as a line in a UTF-8 locale, as the letter that stands for it in the C locale.
int LogRows(const std::string& screen) {
    return RowOf(screen, "Command:") - RowOf(screen, " Console ") - 1;
}

// What the command line holds, without its label and the Clear button.
std::string CommandLine(const std::string& screen) {
    std::string line = LineWith(screen, "Command:");
    line = line.substr(0, line.rfind("[Clear]"));
    line = line.substr(std::min(line.size(), std::string_view("Command:").size()));
    const size_t first = line.find_first_not_of(' ');
    const size_t last = line.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
}

// The longest run of one character on any line of the screen.
size_t LongestRun(const std::string& screen, char c) {
    size_t longest = 0;
    for (const std::string& line : Lines(screen)) {
        size_t run = 0;
        for (const char shown : line) {
            run = shown == c ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

TEST_F(TerminalFaceTest, ConsoleLogTakesTheWholeWidthAboveTheKeyLegendAndGrowsWithTheTerminal) {
    Configure({{"Port", std::to_string(m_Port)}});
    auto pane = StartServer("-go");
    std::string screen = SettledConsole(*pane);
    const auto lines = Lines(screen);
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_NE(lines.back().find("F1 Help  Up/Down History  Tab Complete  PgUp/PgDn Scroll  Alt+S Shutdown"),
              std::string::npos)
        << screen;
    const int rows80 = LogRows(screen);
    EXPECT_GE(rows80, 10) << screen;
    EXPECT_EQ(RowOf(screen, "Command:"), 22) << "the command line is over the legend\n" << screen;

    // A word too long for a line shows 76 columns of it at least.
    pane->Type(std::string(110, 'z'));
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Unknown command")) << pane->Screen();
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) { return LongestRun(shown, 'z') >= 76; }))
        << pane->Screen();
    EXPECT_LT(LongestRun(pane->Screen(), 'z'), 110u) << pane->Screen();

    // A larger terminal gives the log more rows and the whole word a line.
    pane->Resize(120, 40);
    ASSERT_TRUE(pane->WaitUntil([rows80](const std::string& shown) {
        return Lines(shown).size() == 40 && LogRows(shown) > rows80 && LongestRun(shown, 'z') >= 110;
    })) << pane->Screen();
    EXPECT_TRUE(pane->WaitFor("Alt+S Shutdown")) << pane->Screen();
    screen = pane->Screen();
    EXPECT_NE(Lines(screen).back().find("F1 Help"), std::string::npos) << screen;

    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"M-y"});
    EXPECT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
}

TEST_F(TerminalFaceTest, HostedGameShowsPlayersLevelsAndLogAndShutsDownWithTheSettingsSaved) {
    Configure({{"Port", std::to_string(m_Port)}, {"fragrate", "0"}});
    const std::string marker = "// written before the run";
    m_Game.Write("dravosrv.cfg", m_Game.Read("dravosrv.cfg") + marker + "\n");
    auto pane = StartServer("-go", 120, 40); // room for the whole rotation
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
    // The player list takes the right half of the window above the log, which names the players too.
    const auto playerRow = [](const std::string& shown, const std::string& name) {
        return RowOf(shown, name, std::string::npos, PLAYER_COLUMN);
    };
    ASSERT_TRUE(pane->WaitUntil([&playerRow](const std::string& shown) {
        const int bob = playerRow(shown, "Bob");
        const int ace = playerRow(shown, "Ace");
        return bob >= 0 && ace > bob && bob < RowOf(shown, "Console") &&
               FromColumn(Lines(shown)[static_cast<size_t>(bob)], PLAYER_COLUMN).find(" 3") != std::string::npos;
    })) << pane->Screen();
    const std::string screen = pane->Screen();
    const auto lines = Lines(screen);
    const std::string bobLine = FromColumn(lines[static_cast<size_t>(playerRow(screen, "Bob"))], PLAYER_COLUMN);
    const std::string aceLine = FromColumn(lines[static_cast<size_t>(playerRow(screen, "Ace"))], PLAYER_COLUMN);
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

TEST_F(TerminalFaceTest, ConsoleWindowRepaintsWholeAfterResizesAndCtrlLAndTypingNeverShutsItDown) {
    Configure({{"Port", std::to_string(m_Port)}, {"fragrate", "0"}});
    // What a fresh start shows at 80 x 24, from a second server on a port of its own.
    std::string fresh80;
    {
        TempDir other;
        std::filesystem::copy(m_Game.Path(), other.Path(), std::filesystem::copy_options::recursive);
        const std::string config = "+Port " + std::to_string(test::FreeUdpPort());
        const std::string command = "'" + DRAVOSERV.string() + "' -go " + config + "; exec cat";
        TmuxPane pane(other.Path(), command, 80, 24);
        fresh80 = SettledConsole(pane);
    }
    auto pane = StartServer("-go", 120, 40);
    const std::string fresh120 = SettledConsole(*pane);
    ASSERT_EQ(Lines(fresh120).size(), 40u);

    // Smaller and larger again: nothing of the other size stays anywhere.
    pane->Resize(80, 24);
    EXPECT_TRUE(Shows(*pane, fresh80)) << pane->Screen() << "\nwanted\n" << fresh80;
    pane->Resize(120, 40);
    EXPECT_TRUE(Shows(*pane, fresh120)) << pane->Screen() << "\nwanted\n" << fresh120;

    // Output from elsewhere on the terminal goes with Ctrl+L.
    pane->Scribble("\033[3;3HSTRAY OUTPUT\033[30;70HMORE STRAY");
    ASSERT_TRUE(pane->WaitFor("STRAY OUTPUT")) << pane->Screen();
    pane->Keys({"C-l"});
    EXPECT_TRUE(Shows(*pane, fresh120)) << pane->Screen();

    // Too small, one line says so, and keys typed meanwhile do nothing; grown again, the window is back.
    pane->Resize(70, 20);
    ASSERT_TRUE(pane->WaitFor("Terminal too small (70 x 20): DravoServ needs 80 x 24.")) << pane->Screen();
    pane->Keys({"Escape"});
    pane->Keys({"Enter"});
    pane->Resize(80, 24);
    EXPECT_TRUE(Shows(*pane, fresh80)) << pane->Screen() << "\nwanted\n" << fresh80;

    // A command typed with the focus on a button goes to the command input, as does one typed after
    // scrolling the log.
    pane->Keys({"Tab"});
    pane->Type("shout hi");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Unknown command \"shout\"")) << pane->Screen();
    pane->Keys({"BTab", "PageUp"}); // the log
    pane->Type("status");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Level Worlds\\Multi\\Cinderworks")) << pane->Screen();
    pane->Keys({"Tab", "Tab", "Tab"});
    pane->Type("syn");
    EXPECT_TRUE(pane->WaitFor("Command: syn")) << pane->Screen();
    const std::string screen = pane->Screen();
    EXPECT_EQ(screen.find("Are you sure"), std::string::npos) << screen;
    EXPECT_EQ(screen.find(EXITED), std::string::npos) << screen;

    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"M-y"});
    EXPECT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
}

TEST_F(TerminalFaceTest, FirstRunWalksEveryWizardPageByTabAndTypingAlone) {
    // A first run: nothing saved but the sample's loopback binding.
    m_Game.Write("dravosrv.cfg", "net_bindaddress \"127.0.0.1\"\n");
    auto pane = StartServer("");
    ASSERT_TRUE(pane->WaitFor("Which networking service you would like to use?")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("TCP/IP Internet Service")) << pane->Screen();
    const std::string services = pane->Screen();
    EXPECT_LT(RowOf(services, "TCP/IP Internet Service"), RowOf(services, "IPX")) << services;
    pane->Keys({"Enter"}); // the service a first run starts on hosts
    ASSERT_TRUE(pane->WaitFor("Which additional rez files would you like to load?")) << pane->Screen();
    pane->Keys({"Down", "Enter"}); // select the file; a double click on it adds it
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) { return Count(shown, "arena.rez") == 2; }))
        << pane->Screen();
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("Which tcp/ip port would you like to use?")) << pane->Screen();

    // Each field entered by Tab takes what is typed in place of what it held.
    pane->Type("Night Owls");
    pane->Keys({"Tab", "Tab", "Tab", "Tab", "Tab"});
    pane->Type("200");
    pane->Keys({"Tab"});
    pane->Type("70000");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("0 to 65535")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) { return shown.find("65535") == std::string::npos; }))
        << pane->Screen();
    pane->Type(std::to_string(m_Port)); // the refused port is still selected, and goes
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("from 1 to 128")) << pane->Screen();
    pane->Keys({"Enter"});
    const std::string port = " " + std::to_string(m_Port);
    ASSERT_TRUE(pane->WaitUntil([&port](const std::string& shown) {
        return LineWith(shown, "allow?").ends_with(" 128") && LineWith(shown, "port would you").ends_with(port) &&
               shown.find("Night Owls") != std::string::npos;
    })) << "the limit is shown as it will be taken\n"
        << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("What options would you like for this game server?")) << pane->Screen();

    // The colour picker opens at the current colour: its red field, entered first, takes 255 in place of 128.
    pane->Keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Enter"});
    ASSERT_TRUE(pane->WaitFor("Red (0-255):")) << pane->Screen();
    pane->Type("255");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("1.00 0.50 0.50")) << pane->Screen();
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("Which levels would you like to play?")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("Cinderworks")) << pane->Screen();
    pane->Keys({"Enter"}); // a double click on the first retail level puts it into the rotation
    pane->Keys({"M-f"});
    ASSERT_TRUE(pane->WaitFor("Power users can specify")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Server is running.")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("Net Service: " + Address())) << pane->Screen();
    EXPECT_TRUE(pane->WaitFor("Name: Night Owls")) << pane->Screen();
    EXPECT_TRUE(pane->WaitFor("Current Level: Worlds\\Multi\\Cinderworks")) << pane->Screen();

    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"M-y"});
    ASSERT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
    const std::string saved = m_Game.Read("dravosrv.cfg");
    EXPECT_NE(saved.find("Port \"" + std::to_string(m_Port) + "\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("MaxPlayers \"128\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("ServerName \"Night Owls\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("WorldColorNight \"1.00 0.50 0.50\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("ServiceName \"TCP/IP Internet Service\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("Level0 \"Worlds\\\\Multi\\\\Cinderworks\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("RezFile0 \"Custom\\\\arena.rez\""), std::string::npos) << saved;
}

TEST_F(TerminalFaceTest, ADamagedArchiveIsNamedOnScreenAndTheWizardGoesBackToTheArchives) {
    m_Game.Write("dravosrv.cfg", "net_bindaddress \"127.0.0.1\"\nPort \"" + std::to_string(m_Port) + "\"\n");
    m_Game.Write(std::filesystem::path("Custom") / "broken.rez", "not an archive");
    auto pane = StartServer("");
    ASSERT_TRUE(pane->WaitFor("TCP/IP Internet Service")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Which additional rez files would you like to load?")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("broken.rez")) << pane->Screen();
    pane->Type("b"); // finds broken.rez in the list of archives
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) { return Count(shown, "broken.rez") == 2; }))
        << pane->Screen();
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("Which tcp/ip port would you like to use?")) << pane->Screen();
    pane->Type("Kept Name");
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("What options would you like for this game server?")) << pane->Screen();
    pane->Keys({"M-n"});

    // Loading the archives names the damaged one in the box, on screen, and the archive page comes back.
    ASSERT_TRUE(pane->WaitFor("ERROR - Unable to load Dravo resources.")) << pane->Screen();
    EXPECT_NE(pane->Screen().find("broken.rez"), std::string::npos) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Which additional rez files would you like to load?")) << pane->Screen();
    pane->Keys({"Tab"}); // from the archives to Add, Remove, the list to load
    pane->Keys({"Tab"});
    pane->Keys({"Tab"});
    pane->Keys({"Home", "Enter"}); // a double click takes it off
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) { return Count(shown, "broken.rez") == 1; }))
        << pane->Screen();
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("Which tcp/ip port would you like to use?")) << pane->Screen();
    EXPECT_TRUE(pane->WaitFor("Kept Name")) << "what was entered stays\n" << pane->Screen();

    pane->Keys({"Escape"});
    ASSERT_TRUE(pane->WaitFor("Discard the setup and exit DravoServ?")) << pane->Screen();
    pane->Keys({"M-y"});
    EXPECT_TRUE(pane->WaitFor(std::string(EXITED) + "1")) << pane->Screen();
}

// The console's keys with a UTF-8 locale and with the C locale (false, true): history, completion,
// scrolling, help and a resize.
class TerminalFaceLocaleTest : public TerminalFaceTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        TerminalFaceTest::SetUp();
        if (GetParam()) {
            m_Environment = "env LANG=C LC_ALL=C ";
        }
    }
};

INSTANTIATE_TEST_SUITE_P(Locales, TerminalFaceLocaleTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& locale) { return locale.param ? "C" : "Utf8"; });

TEST_P(TerminalFaceLocaleTest, ConsoleRecallsCompletesScrollsHelpsAndKeepsItsLayoutThroughAResize) {
    Configure({{"Port", std::to_string(m_Port)}});
    auto pane = StartServer("-go");
    (void)SettledConsole(*pane);
    const auto commandIs = [&pane](const std::string& wanted) {
        return pane->WaitUntil([&wanted](const std::string& shown) { return CommandLine(shown) == wanted; });
    };

    // Tab completes a command; Enter sends it.
    pane->Type("sta");
    pane->Keys({"Tab"});
    ASSERT_TRUE(commandIs("status")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("0 of 16 players")) << pane->Screen();
    ASSERT_TRUE(commandIs("")) << pane->Screen();
    pane->Type("alpha");
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Unknown command \"alpha\"")) << pane->Screen();

    // Up and Down walk the history, the newest first; past the newest the line is empty again.
    pane->Keys({"Up"});
    ASSERT_TRUE(commandIs("alpha")) << pane->Screen();
    pane->Keys({"Up"});
    ASSERT_TRUE(commandIs("status")) << pane->Screen();
    pane->Keys({"Down"});
    ASSERT_TRUE(commandIs("alpha")) << pane->Screen();
    pane->Keys({"Down"});
    ASSERT_TRUE(commandIs("")) << pane->Screen();

    // F1 shows the actions; by now the first lines of the log have scrolled out of its ten rows, and
    // Page Up brings them back, Page Down the end again.
    pane->Keys({"F1"});
    ASSERT_TRUE(pane->WaitFor("Actions: /boot")) << pane->Screen();
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) {
        return shown.find("Initializing the server...") == std::string::npos;
    })) << pane->Screen();
    pane->Keys({"PageUp", "PageUp", "PageUp"});
    ASSERT_TRUE(pane->WaitFor("Initializing the server...")) << pane->Screen();
    pane->Keys({"PageDown", "PageDown", "PageDown", "PageDown"});
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) {
        return shown.find("Initializing the server...") == std::string::npos &&
               shown.find("Actions: /boot") != std::string::npos;
    })) << pane->Screen();

    // A larger terminal and back: every info field, the log and the legend are there each time.
    for (const auto& [cols, rows] : {std::pair{120, 40}, std::pair{80, 24}}) {
        pane->Resize(cols, rows);
        ASSERT_TRUE(pane->WaitUntil([rows = rows](const std::string& shown) {
            const auto lines = Lines(shown);
            return static_cast<int>(lines.size()) == rows && lines.back().find("Alt+S Shutdown") != std::string::npos &&
                   LogRows(shown) >= 10 && shown.find("Level Goal: 25 Frags or 10 Minutes") != std::string::npos &&
                   shown.find("Net Service: Tcp/ip") != std::string::npos;
        })) << pane->Screen();
    }
    pane->Type("alp");
    pane->Keys({"Up"}); // the history goes on after the resize
    ASSERT_TRUE(commandIs("alpha")) << pane->Screen();

    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"M-y"});
    ASSERT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
    EXPECT_NE(m_Game.Read("dravosrv.history").find("alpha"), std::string::npos) << "the history is kept";
}

// The traps of the setup, replayed key by key: none of them loses the setup, and what was entered is
// what the game is hosted with.
TEST_P(TerminalFaceLocaleTest, WizardTrapsKeepTheSetupAndAMissingArchiveIsNamedOnScreen) {
    m_Game.Write("dravosrv.cfg", "net_bindaddress \"127.0.0.1\"\nPort \"" + std::to_string(m_Port) +
                                     "\"\nNumRezFiles \"1\"\nRezFile0 \"Custom\\\\gone.rez\"\n");
    auto pane = StartServer("");
    const std::string services = "Which networking service you would like to use?";
    ASSERT_TRUE(pane->WaitFor("TCP/IP Internet Service")) << pane->Screen();
    const auto stillOn = [&pane](const std::string& question) {
        return pane->WaitUntil([&question](const std::string& shown) {
            return shown.find(question) != std::string::npos && shown.find("Discard the setup") == std::string::npos &&
                   shown.find("ERROR") == std::string::npos;
        });
    };

    // A "c" presses no Cancel; Esc and Cancel ask, Enter answers No, plain letters answer nothing.
    pane->Type("c");
    pane->Keys({"Escape"});
    ASSERT_TRUE(pane->WaitFor("Discard the setup and exit DravoServ?")) << pane->Screen();
    pane->Type("y");
    pane->Keys({"Enter"});
    ASSERT_TRUE(stillOn(services)) << pane->Screen();
    pane->Keys({"M-c"});
    ASSERT_TRUE(pane->WaitFor("Discard the setup and exit DravoServ?")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(stillOn(services)) << pane->Screen();

    // A refused service says so and keeps the page; the usable one goes on.
    pane->Keys({"Tab"}); // back to the list from the button
    pane->Keys({"Down"});
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("ERROR - Unable to use the selected network service.")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(stillOn(services)) << pane->Screen();
    pane->Keys({"Home"});
    pane->Keys({"M-n"});

    // The archive on the list that is not there is named; the page stays with it selected, and Enter
    // (a double click) takes it off.
    ASSERT_TRUE(pane->WaitFor("Which additional rez files would you like to load?")) << pane->Screen();
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("No such rez file: Custom\\gone.rez")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(stillOn("Which additional rez files would you like to load?")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) { return Count(shown, "gone.rez") == 0; }))
        << pane->Screen();
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("Which tcp/ip port would you like to use?")) << pane->Screen();
    pane->Type("Trap Free");
    pane->Keys({"M-n"});
    ASSERT_TRUE(pane->WaitFor("What options would you like for this game server?")) << pane->Screen();
    pane->Keys({"M-n"});

    // The level page says why Finish is dim; an "f" in the list finds Frostline and finishes nothing.
    ASSERT_TRUE(pane->WaitFor("Which levels would you like to play?")) << pane->Screen();
    ASSERT_TRUE(pane->WaitFor("Add at least one level to finish.")) << pane->Screen();
    pane->Type("f");
    ASSERT_TRUE(stillOn("Which levels would you like to play?")) << pane->Screen();
    pane->Keys({"Enter"}); // a double click on the level found
    ASSERT_TRUE(pane->WaitUntil([](const std::string& shown) {
        return Count(shown, "Frostline") == 2 && shown.find("Add at least one level") == std::string::npos;
    })) << pane->Screen();
    pane->Keys({"M-f"});
    ASSERT_TRUE(pane->WaitFor("Power users can specify")) << pane->Screen();
    pane->Keys({"Enter"});
    ASSERT_TRUE(pane->WaitFor("Server is running.")) << pane->Screen();
    EXPECT_TRUE(pane->WaitFor("Name: Trap Free")) << pane->Screen();
    EXPECT_TRUE(pane->WaitFor("Current Level: Worlds\\Multi\\Frostline")) << pane->Screen();

    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"M-y"});
    ASSERT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
    const std::string saved = m_Game.Read("dravosrv.cfg");
    EXPECT_NE(saved.find("ServerName \"Trap Free\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("Level0 \"Worlds\\\\Multi\\\\Frostline\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("NumRezFiles \"0\""), std::string::npos) << saved;
}

} // namespace
} // namespace dravo
