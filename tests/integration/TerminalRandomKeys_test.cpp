// A seeded run of the keys a shell user types at a prompt, through tmux into the console window while
// players are in the game: none of them ends the game, boots a player, changes the level or the options.
#include "integration/TerminalFaceTest.h"

#include <cstdio>
#include <cstdlib>
#include <random>

namespace dravo {
namespace {

using namespace terminal_face;

constexpr int KEY_COUNT = 100000;
// Keys sent in one write at the most; a split arrow ends a write in its middle.
constexpr int KEYS_A_WRITE = 400;
// Writes between two looks at the screen that wait until every key before has been handled.
constexpr int WRITES_A_CHECK = 40;

// Draws the keys: printable text most of the time, then Enter, Tab, Backspace, Ctrl+C, Ctrl+U, Ctrl+W,
// Up and Down (both forms), Alt with a letter, and Up or Down arrows split in two writes.
class HabitKeys {
public:
    explicit HabitKeys(unsigned seed) : m_Random(seed) {}

    // The bytes of the next write, and whether it ends inside a split arrow.
    std::string NextWrite(int& keysLeft) {
        std::string bytes = std::exchange(m_Carry, {});
        for (int sent = 0; sent < KEYS_A_WRITE && keysLeft > 0; ++sent, --keysLeft) {
            const unsigned pick = Draw(100);
            if (pick < 60) {
                bytes.push_back(static_cast<char>(' ' + Draw(95)));
            } else if (pick < 95) {
                bytes += NamedKey(pick);
            } else {
                const std::string arrow = Arrow();
                const size_t split = 1 + Draw(static_cast<unsigned>(arrow.size() - 1));
                bytes += arrow.substr(0, split);
                m_Carry = arrow.substr(split);
                --keysLeft;
                break;
            }
        }
        return bytes;
    }
    bool Pending() const { return !m_Carry.empty(); }

private:
    unsigned Draw(unsigned below) { return static_cast<unsigned>(m_Random() % below); }
    std::string Arrow() { return std::string(Draw(2) == 0 ? "\x1b[" : "\x1bO") + (Draw(2) == 0 ? "A" : "B"); }
    std::string NamedKey(unsigned pick) {
        switch ((pick - 60) / 4) {
        case 0:
            return "\r";
        case 1:
            return "\t";
        case 2:
            return "\x7f";
        case 3:
            return std::string(1, "\x03\x15\x17"[Draw(3)]); // Ctrl+C, Ctrl+U, Ctrl+W
        case 4:
        case 5:
            return Arrow();
        default:
            return AltLetter();
        }
    }

    // Alt with a letter, in either case but for Alt+Shift+O: its "Esc O" begins a key in every terminal.
    std::string AltLetter() {
        const char letter = static_cast<char>((Draw(2) == 0 ? 'a' : 'A') + Draw(26));
        return std::string("\x1b") + (letter == 'O' ? 'o' : letter);
    }

    std::mt19937 m_Random;
    std::string m_Carry;
};

std::vector<std::string> HexBytes(const std::string& bytes) {
    std::vector<std::string> hex = {"-H"};
    for (const char c : bytes) {
        char text[4];
        std::snprintf(text, sizeof text, "%02x", static_cast<unsigned char>(c));
        hex.emplace_back(text);
    }
    return hex;
}

class TerminalRandomKeysTest : public TerminalFaceTest {
protected:
    // Answers No to a question the keys left open, empties the line and waits for a command's answer:
    // every key before has been handled then. Ctrl+U cuts what is before the caret, which a word move
    // (Alt+B) may have left anywhere: Ctrl+E first.
    void Settle(TmuxPane& pane) {
        pane.Keys({"Escape"});
        const std::string mark = "settled" + std::to_string(++m_Marks);
        pane.Keys({"C-e", "C-u"});
        pane.Type(mark);
        pane.Keys({"Enter"});
        ASSERT_TRUE(pane.WaitFor("Unknown command \"" + mark + "\"", 60s)) << pane.Screen();
    }
    int m_Marks = 0;
};

TEST_F(TerminalRandomKeysTest, AShellUsersHabitsNeverEndTheGameBootChangeTheLevelOrTheOptions) {
    Configure({{"Port", std::to_string(m_Port)}, {"fragrate", "0"}});
    auto pane = StartServer("-go -logfile run.log");
    (void)SettledConsole(*pane);
    LiveProcess bots(
        DRAVO_BOT, {"--host", "127.0.0.1", "--port", std::to_string(m_Port), "--names", "Ace,Bob", "--duration", "600"},
        m_Game.Path());
    ASSERT_TRUE(pane->WaitFor("Players: 2")) << pane->Screen();

    // DRAVO_KEYS_SEED replays a logged run.
    const char* given = std::getenv("DRAVO_KEYS_SEED");
    const unsigned seed =
        given != nullptr ? static_cast<unsigned>(std::strtoul(given, nullptr, 10)) : std::random_device{}();
    std::printf("random keys: seed %u\n", seed);
    RecordProperty("seed", std::to_string(seed));
    HabitKeys keys(seed);
    int left = KEY_COUNT;
    for (int writes = 1; left > 0 || keys.Pending(); ++writes) {
        pane->Keys(HexBytes(keys.NextWrite(left)));
        if (writes % WRITES_A_CHECK == 0 && !keys.Pending()) {
            Settle(*pane);
            ASSERT_FALSE(HasFatalFailure()) << "seed " << seed;
        }
    }
    Settle(*pane);

    const std::string screen = pane->Screen();
    EXPECT_EQ(screen.find(EXITED), std::string::npos) << "seed " << seed << "\n" << screen;
    EXPECT_GE(RowOf(screen, "Current Level: Worlds\\Multi\\Cinderworks"), 0) << "seed " << seed << "\n" << screen;
    EXPECT_GE(RowOf(screen, "Players: 2"), 0) << "seed " << seed << "\n" << screen;
    const std::string log = m_Game.Read("run.log");
    for (const char* lost : {"left the game", " was kicked from the game.", "Game options applied"}) {
        const size_t at = log.find(lost);
        EXPECT_EQ(at, std::string::npos) << "seed " << seed << "\n"
                                         << (at == std::string::npos
                                                 ? ""
                                                 : log.substr(at - std::min<size_t>(at, 1500), 1600));
    }
    EXPECT_EQ(Count(log, "joined the game."), 2u) << "seed " << seed;
    pane->Keys({"M-s"});
    ASSERT_TRUE(pane->WaitFor("Are you sure you want to exit?")) << pane->Screen();
    pane->Keys({"Left", "Enter"});
    EXPECT_TRUE(pane->WaitFor(std::string(EXITED) + "0")) << pane->Screen();
}

} // namespace
} // namespace dravo
