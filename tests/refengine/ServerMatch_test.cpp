// Tests of the match as the front end sees it: level changes, simulated frags and the engine's test commands.
#include "GameTestSupport.h"

#include <algorithm>
#include <thread>

namespace dravo::ref {
namespace {

using test::HostedServer;
using test::MakeRules;
using test::TestPeer;

const std::string CINDERWORKS = "Worlds\\Multi\\Cinderworks";
const std::string FROSTLINE = "Worlds\\Multi\\Frostline";

std::vector<std::string> Since(const std::vector<std::string>& texts, size_t from) {
    return std::vector<std::string>(texts.begin() + static_cast<std::ptrdiff_t>(std::min(from, texts.size())),
                                    texts.end());
}

TEST(ServerMatch, TheFragLimitChangesTheLevelWithBeginChangedAndUpdateOnOneThread) {
    HostedServer hosted;
    const GameInfo rules = MakeRules(1, 3, 0, {CINDERWORKS, FROSTLINE});
    ASSERT_TRUE(hosted.Load(rules));
    TestPeer ace;
    const std::string id = std::to_string(hosted.Join(ace, "Ace"));
    std::vector<std::string> levelAtBegin;
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("addfrag Ace 3"), ENGINE_STATUS_OK);
    // At "begins" the old level still runs; the change happens between "begins" and "changed".
    hosted.m_Recorder.m_OnText = [&](const char* text) {
        if (std::string_view(text) == "[GMSG:3]") {
            EXPECT_EQ(hosted.m_Server.ExecuteCommand("status"), ENGINE_STATUS_OK);
            levelAtBegin = hosted.m_Recorder.Lines();
        }
    };
    hosted.m_Recorder.Clear();
    std::thread worker([&] { EXPECT_EQ(hosted.m_Server.RunFrame(0), ENGINE_TRUE); });
    const std::thread::id workerId = worker.get_id();
    worker.join();
    const auto texts = hosted.m_Recorder.Texts();
    std::vector<std::string> sent;
    for (const auto& text : texts) {
        sent.push_back(text.m_Text);
        EXPECT_EQ(text.m_Thread, workerId) << text.m_Text;
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"[GMSG:0][CLEV:" + CINDERWORKS + "][NLEV:" + FROSTLINE +
                                                  "][PLRS:1][PLRN1:Ace][PLRF1:3][PLRI1:" + id + "]",
                                              "[GMSG:3]", "[GMSG:1][CLEV:" + FROSTLINE + "][NLEV:" + CINDERWORKS + "]",
                                              "[GMSG:0][CLEV:" + FROSTLINE + "][NLEV:" + CINDERWORKS +
                                                  "][PLRS:1][PLRN1:Ace][PLRF1:0][PLRI1:" + id + "]"}));
    ASSERT_FALSE(levelAtBegin.empty());
    EXPECT_EQ(levelAtBegin.front(), "Level " + CINDERWORKS + ", next " + FROSTLINE);

    // The rotation wraps: the next limit brings the first level back.
    hosted.m_Recorder.m_OnText = nullptr;
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("addfrag Ace 5"), ENGINE_STATUS_OK);
    const size_t before = hosted.m_Recorder.TextsStartingWith("[GMSG:1]").size();
    ASSERT_EQ(hosted.m_Server.RunFrame(0), ENGINE_TRUE);
    const auto changed = Since(hosted.m_Recorder.TextsStartingWith("[GMSG:1]"), before);
    EXPECT_EQ(changed, std::vector<std::string>{"[GMSG:1][CLEV:" + CINDERWORKS + "][NLEV:" + FROSTLINE + "]"});
}

TEST(ServerMatch, FragsBelowTheLimitOrUnderAnotherRuleChangeNothing) {
    HostedServer hosted;
    const GameInfo rules = MakeRules(2, 3, 30, {CINDERWORKS, FROSTLINE}); // time only
    ASSERT_TRUE(hosted.Load(rules));
    TestPeer ace;
    ASSERT_NE(hosted.Join(ace, "Ace"), 0u);
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("addfrag Ace 10"), ENGINE_STATUS_OK);
    ASSERT_EQ(hosted.m_Server.RunFrame(0), ENGINE_TRUE);
    EXPECT_TRUE(hosted.m_Recorder.TextsStartingWith("[GMSG:3]").empty());
    EXPECT_NE(hosted.m_Server.ExecuteCommand("addfrag Nobody"), ENGINE_STATUS_OK);
    EXPECT_NE(hosted.m_Server.ExecuteCommand("addfrag Ace 0"), ENGINE_STATUS_OK);
    EXPECT_NE(hosted.m_Server.ExecuteCommand("addfrag"), ENGINE_STATUS_OK);
}

TEST(ServerMatch, NextLevelChangesTheLevelInTheNextFrame) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    hosted.m_Recorder.Clear();
    ASSERT_EQ(hosted.m_Server.PostToGame("NEXTLEVEL"), ENGINE_STATUS_OK);
    EXPECT_TRUE(hosted.m_Recorder.Texts().empty()); // queued, not done on the calling thread
    ASSERT_EQ(hosted.m_Server.RunFrame(0), ENGINE_TRUE);
    EXPECT_EQ(hosted.m_Recorder.TextsStartingWith("[GMSG:"),
              (std::vector<std::string>{"[GMSG:3]", "[GMSG:1][CLEV:" + FROSTLINE + "][NLEV:" + CINDERWORKS + "]",
                                        "[GMSG:0][CLEV:" + FROSTLINE + "][NLEV:" + CINDERWORKS + "][PLRS:0]"}));
    ASSERT_EQ(hosted.m_Server.RunFrame(0), ENGINE_TRUE);
    EXPECT_EQ(hosted.m_Recorder.TextsStartingWith("[GMSG:3]").size(), 1u); // once per request
}

TEST(ServerMatch, SimulatedFragsReachTheStateUpdates) {
    HostedServer hosted;
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("set fragrate 6000"), ENGINE_STATUS_OK); // 100 a second
    ASSERT_TRUE(hosted.LoadRetail());
    TestPeer ace, bob;
    ASSERT_NE(hosted.Join(ace, "Ace"), 0u);
    ASSERT_NE(hosted.Join(bob, "Bob"), 0u);
    auto fragged = [&] {
        for (const std::string& text : hosted.m_Recorder.TextsStartingWith("[GMSG:0]")) {
            if (text.find("[PLRF1:0]") == std::string::npos || text.find("[PLRF2:0]") == std::string::npos) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(hosted.FramesUntil(fragged));
}

TEST(ServerMatch, FailFrameMakesTheNextFrameFailOnce) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("failframe"), ENGINE_STATUS_OK);
    EXPECT_EQ(hosted.m_Server.RunFrame(0), 0);
    EXPECT_EQ(hosted.LastError(), "Simulated frame failure.");
    EXPECT_EQ(hosted.m_Server.RunFrame(0), ENGINE_TRUE);
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("failframe The map caught fire"), ENGINE_STATUS_OK);
    EXPECT_EQ(hosted.m_Server.RunFrame(0), 0);
    EXPECT_EQ(hosted.LastError(), "The map caught fire");
}

TEST(ServerMatch, ExhaustMemoryReportsOnceAndTheFrameSucceeds) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("exhaustmemory"), ENGINE_STATUS_OK);
    EXPECT_EQ(hosted.m_Recorder.m_MemoryExhausted.load(), 0);
    EXPECT_EQ(hosted.m_Server.RunFrame(0), ENGINE_TRUE);
    EXPECT_EQ(hosted.m_Recorder.m_MemoryExhausted.load(), 1);
    EXPECT_EQ(hosted.m_Server.RunFrame(0), ENGINE_TRUE);
    EXPECT_EQ(hosted.m_Recorder.m_MemoryExhausted.load(), 1);
}

TEST(ServerMatch, FrameIntervalsCountsTheFramesSinceHostingBegan) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    for (int frame = 0; frame < 5; ++frame) {
        ASSERT_EQ(hosted.m_Server.RunFrame(0), ENGINE_TRUE);
    }
    hosted.m_Recorder.Clear();
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("frameintervals"), ENGINE_STATUS_OK);
    const auto lines = hosted.m_Recorder.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("frameintervals: 4 intervals, p50 ")) << lines[0];

    // "reset" reports, then starts a new count with the next frame.
    hosted.m_Recorder.Clear();
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("frameintervals reset"), ENGINE_STATUS_OK);
    ASSERT_EQ(hosted.m_Server.RunFrame(0), ENGINE_TRUE);
    ASSERT_EQ(hosted.m_Server.RunFrame(0), ENGINE_TRUE);
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("frameintervals"), ENGINE_STATUS_OK);
    const auto afterReset = hosted.m_Recorder.Lines();
    ASSERT_EQ(afterReset.size(), 2u);
    EXPECT_TRUE(afterReset[0].starts_with("frameintervals: 4 intervals, p50 ")) << afterReset[0];
    EXPECT_TRUE(afterReset[1].starts_with("frameintervals: 1 intervals, p50 ")) << afterReset[1];
}

TEST(ServerMatch, KickAndStatusCommandsAndHelp) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    TestPeer ace;
    const uint32_t id = hosted.Join(ace, "Ace");
    hosted.m_Recorder.Clear();
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("status"), ENGINE_STATUS_OK);
    const auto status = hosted.m_Recorder.Lines();
    ASSERT_EQ(status.size(), 3u);
    EXPECT_TRUE(status[1].starts_with("  " + std::to_string(id) + " Ace, 0 frags, ping ")) << status[1];
    EXPECT_EQ(status[2], "1 of 8 players");
    EXPECT_NE(hosted.m_Server.ExecuteCommand("kick 0"), ENGINE_STATUS_OK);
    EXPECT_NE(hosted.m_Server.ExecuteCommand("kick 12345"), ENGINE_STATUS_OK);
    ASSERT_EQ(hosted.m_Server.ExecuteCommand(("kick " + std::to_string(id)).c_str()), ENGINE_STATUS_OK);
    EXPECT_EQ(hosted.m_Server.CountClients(), 0u);
    hosted.m_Recorder.Clear();
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("help"), ENGINE_STATUS_OK);
    std::string help;
    for (const std::string& line : hosted.m_Recorder.Lines()) {
        help += line + "\n";
    }
    for (const char* word : {"status", "kick", "addfrag", "frameintervals", "cmdlist", "net_bindaddress",
                             "net_clienttimeout", "fragrate", "fragseed"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
    // The test aids run, but only a test option names them.
    const char* const testAids[] = {"failframe", "exhaustmemory", "stallframe", "gametext"};
    for (const char* word : testAids) {
        EXPECT_EQ(help.find(word), std::string::npos) << word;
    }
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("\"+testaids\" \"1\""), ENGINE_STATUS_OK);
    hosted.m_Recorder.Clear();
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("cmdlist"), ENGINE_STATUS_OK);
    const std::vector<std::string> names = hosted.m_Recorder.Lines();
    for (const char* word : {"status", "help", "cvarlist", "RunSpeed", "failframe", "exhaustmemory"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), word), names.end()) << word;
    }
    EXPECT_EQ(names.back(), std::to_string(names.size() - 1) + " commands");
    hosted.m_Recorder.Clear();
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("cmdlist ST"), ENGINE_STATUS_OK);
    EXPECT_EQ(hosted.m_Recorder.Lines(), (std::vector<std::string>{"status", "stallframe", "2 commands"}));
}

} // namespace
} // namespace dravo::ref
