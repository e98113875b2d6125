// The terminal face through a real terminal, for the tests that drive it: dravoserv runs in a tmux pane
// (80 x 24 unless a test says otherwise) in a copy of the sample game; a test types with send-keys,
// resizes the window and reads the screen with capture-pane, as an operator would look at it.
#pragma once

#include "engine/loader/ServerLibrary.h"
#include "support/LiveProcess.h"
#include "support/LoopbackPorts.h"
#include "support/SampleGame.h"
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

namespace dravo::terminal_face {

using namespace std::chrono_literals;
using test::LiveProcess;
using test::RunProcess;
using test::TempDir;

inline const std::filesystem::path DRAVOSERV = test::BinDir() / "dravoserv";
inline const std::filesystem::path DRAVO_BOT = test::BinDir() / "dravo-bot";
inline constexpr auto SCREEN_LIMIT = 20s;
// Between two looks at the screen while waiting for something to appear on it.
inline constexpr auto LOOK_INTERVAL = 50ms;
inline constexpr const char* EXITED = "dravoserv exited with ";
// The player list stands in the right half of the window, above the log.
inline constexpr size_t PLAYER_COLUMN = 40;

inline bool HaveTmux() {
    return RunProcess("/bin/sh", {"-c", "command -v tmux"}, ".").m_ExitStatus == 0;
}

inline std::vector<std::string> Lines(const std::string& screen) {
    std::vector<std::string> lines;
    std::istringstream in(screen);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// A line of the screen from a column on: line characters take three bytes and one column.
inline std::string FromColumn(const std::string& line, size_t column) {
    size_t at = 0;
    for (size_t skipped = 0; at < line.size() && skipped < column; ++skipped) {
        for (++at; at < line.size() && (static_cast<unsigned char>(line[at]) & 0xC0U) == 0x80U; ++at) {
        }
    }
    return line.substr(at);
}

// The first row of the screen that holds the text within its first columns (from a column on), or -1.
inline int RowOf(const std::string& screen, const std::string& text, size_t columns = std::string::npos,
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
inline std::string LineWith(const std::string& screen, const std::string& text) {
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

inline size_t Count(const std::string& screen, const std::string& text) {
    size_t count = 0;
    for (size_t at = screen.find(text); at != std::string::npos; at = screen.find(text, at + 1)) {
        ++count;
    }
    return count;
}

// The screen with every digit as "#": running times and port numbers differ between two runs.
inline std::string Masked(std::string screen) {
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
    // Pastes as a terminal does: marked as pasted when the program asked for that.
    void Paste(const std::string& text) {
        EXPECT_EQ(Tmux({"set-buffer", "-b", "pasted", "--", text}).m_ExitStatus, 0);
        EXPECT_EQ(Tmux({"paste-buffer", "-p", "-b", "pasted", "-t", "0"}).m_ExitStatus, 0);
    }
    std::string Screen() { return Tmux({"capture-pane", "-p", "-t", "0"}).m_Stdout; }
    // The row the terminal's cursor stands on, shown or hidden.
    int CursorRow() {
        const std::string row = Tmux({"display-message", "-p", "-t", "0", "#{cursor_y}"}).m_Stdout;
        return row.empty() || std::isdigit(static_cast<unsigned char>(row.front())) == 0 ? -1 : std::stoi(row);
    }
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
        test::SampleGame::KeepToLoopback(m_Game.Path());
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

// Rows of the log pane: those between the rule over it and the command line under it. The rule's line
// character comes out as a line in a UTF-8 locale, as the letter that stands for it in the C locale.
inline int LogRows(const std::string& screen) {
    return RowOf(screen, "Command:") - RowOf(screen, " Console ") - 1;
}

// What the command line holds, without its label and the Clear button.
inline std::string CommandLine(const std::string& screen) {
    std::string line = LineWith(screen, "Command:");
    line = line.substr(0, line.rfind("[Clear]"));
    line = line.substr(std::min(line.size(), std::string_view("Command:").size()));
    const size_t first = line.find_first_not_of(' ');
    const size_t last = line.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
}

// The longest run of one character on any line of the screen.
inline size_t LongestRun(const std::string& screen, char c) {
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

} // namespace dravo::terminal_face
