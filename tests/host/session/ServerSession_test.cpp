// The server session: preparing and hosting, the update step, stopping, and the console log.
#include "host/session/SessionFixture.h"
#include "net/LoopbackHttpServer.h"
#include "support/FakeClock.h"
#include "support/FakeEngine.h"
#include "support/RecordingView.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <future>
#include <iostream>
#include <mutex>
#include <thread>

namespace dravo {
namespace {

using test::FakeEngine;

using test::SessionTest;
using ServerSessionTest = SessionTest;

TEST_F(ServerSessionTest, WithoutAnEngineOnlyTheFirstLineIsLogged) {
    EXPECT_FALSE(m_Session->InitSession(nullptr));
    EXPECT_EQ(m_View.Log(), std::vector<std::string>{"Initializing the server..."});
    EXPECT_FALSE(m_Session->StartHosting());
}

TEST_F(ServerSessionTest, InitLogsTheBanListOutcome) {
    ASSERT_TRUE(m_Session->InitSession(&m_Engine));
    EXPECT_EQ(m_View.Log(), (std::vector<std::string>{"Initializing the server...", "Banning system aborted...",
                                                      "Server initialized."}));
    EXPECT_EQ(m_Engine.m_Handler, m_Session.get());

    m_Directory.Write("banned.txt", "Ace\n");
    ServerSession second(m_View, m_Clock, m_Pool, Records());
    ASSERT_TRUE(second.InitSession(&m_Engine));
    const auto log = m_View.Log();
    EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
              (std::vector<std::string>{"Initializing the server...", "Banned player list scanned...",
                                        "Banning queue initialized...", "Server initialized."}));
}

TEST_F(ServerSessionTest, StartHostingDescribesTheGameToTheEngine) {
    m_Port = 27999;
    MakeSession();
    m_Engine.m_HostAddress = "127.1.2.3";
    m_Engine.m_HostPort = 27999;
    Host();
    ASSERT_TRUE(m_Engine.m_OpenRequest);
    EXPECT_STREQ(m_Engine.m_OpenRequest->m_SessionInfo,
                 "[NAME:Test Server][HOST:DravoServ][LEVL:Worlds\\Multi\\Cinderworks][TYPE:1]");
    EXPECT_EQ(m_Engine.m_OpenRequest->m_GamePort, 27999u);
    EXPECT_EQ(m_Engine.m_OpenRequest->m_MaxPlayers, 8u);
    ASSERT_TRUE(m_Engine.m_WorldRequest);
    EXPECT_STREQ(m_Engine.m_WorldRequest->m_WorldName, "Worlds\\Multi\\Cinderworks");
    EXPECT_EQ(m_Engine.m_WorldRequest->m_GameInfo, &m_Game);
    EXPECT_EQ(m_Engine.m_WorldRequest->m_GameInfoSize, 6416u);
    EXPECT_EQ(m_Engine.m_Commands.front(), "debuglevel 0");
    EXPECT_EQ(m_Engine.m_Commands.size(), 10u); // then the nine option commands
    EXPECT_EQ(m_Engine.m_Posted, (std::vector<std::string>{"GAMEINIT", "DRAVOSERV"}));
    EXPECT_EQ(m_View.NetService(), "Tcp/ip [127.1.2.3:27999]");
    EXPECT_STREQ(m_Host.m_HostAddress, "127.1.2.3");
    EXPECT_TRUE(m_Session->IsRunning());
    EXPECT_EQ(m_View.Log().back(), "Server is running.");
}

TEST_F(ServerSessionTest, DefaultPortAndMissingAddressAreNotShown) {
    m_Engine.m_HostAddress = "127.1.2.3";
    m_Engine.m_HostPort = 27888;
    Host();
    EXPECT_EQ(m_View.NetService(), "Tcp/ip [127.1.2.3]");
    m_Session->StopHosting();

    m_Engine.m_HostAddress.clear();
    test::ManualSteps steps(m_Clock);
    ServerSession second(m_View, m_Clock, m_Pool, Records(), &steps);
    ASSERT_TRUE(second.InitSession(&m_Engine));
    ASSERT_TRUE(second.StartHosting());
    EXPECT_EQ(m_View.NetService(), "Tcp/ip");
}

TEST_F(ServerSessionTest, HostingFailuresAreLoggedAndStopTheSession) {
    m_Engine.m_OpenSucceeds = false;
    ASSERT_TRUE(m_Session->InitSession(&m_Engine));
    EXPECT_FALSE(m_Session->StartHosting());
    EXPECT_EQ(m_View.Log().back(), "ERROR - Unable to host the game.");
    EXPECT_FALSE(m_Engine.m_WorldRequest);

    m_Engine.m_OpenSucceeds = true;
    m_Engine.m_LoadWorldSucceeds = false;
    EXPECT_FALSE(m_Session->StartHosting());
    EXPECT_EQ(m_View.Log().back(), "ERROR - Unable to start world: Worlds\\Multi\\Cinderworks");
    EXPECT_FALSE(m_Session->IsRunning());
}

TEST_F(ServerSessionTest, AWorldNameThatDoesNotFitIsRefused) {
    std::memset(m_Game.m_LevelNames[0], 'w', 100);
    m_Game.m_LevelNames[0][100] = '\0';
    ASSERT_TRUE(m_Session->InitSession(&m_Engine));
    EXPECT_FALSE(m_Session->StartHosting());
    EXPECT_FALSE(m_Engine.m_WorldRequest);
    EXPECT_EQ(m_View.Log().back(), "ERROR - Unable to start world: " + std::string(100, 'w'));
}

TEST_F(ServerSessionTest, EmptyExitVariablesAreReadWhenHostingStarts) {
    m_Engine.m_Variables["EmptyExit"] = "1";
    m_Engine.m_Variables["EmptyExitDelay"] = "90.7";
    Host();
    EXPECT_TRUE(m_EmptyExit);
    Message("[GMSG:0][PLRS:1][PLRN1:A][PLRF1:0]");
    Message("[GMSG:0]");
    EXPECT_EQ(m_View.Log().back(),
              "Last player has left the game, shutting down in 90 seconds if no new players join...");
}

TEST_F(ServerSessionTest, LogLinesAreCutTrimmedAndNeverFormatsOfOutsideText) {
    m_Session->LogText("with a line feed\n");
    m_Session->LogText("50% done %s %n");
    m_Session->LogText(std::string(600, 'x'));
    m_Session->LogText("");
    m_Session->LogLine("%s", "formatted\r");
    const auto log = m_View.Log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], "with a line feed");
    EXPECT_EQ(log[1], "50% done %s %n");
    EXPECT_EQ(log[2], std::string(499, 'x'));
    EXPECT_EQ(log[3], "formatted");
}

TEST_F(ServerSessionTest, StepsRunFramesAndAdvanceTheKickQueue) {
    m_Directory.Write("banned.txt", "Cheater");
    m_Engine.AddClient("Cheater", 42, 0.0f);
    Host();
    Message("[GMSG:0][PLRS:1][PLRN1:Cheater][PLRF1:0][PLRI1:42]");
    EXPECT_TRUE(m_View.Logged("Added Cheater to kick queue..."));
    Step(0); // the first step sees a delta of 0
    for (int step = 0; step < 5; ++step) {
        Step(9);
    }
    EXPECT_TRUE(m_Engine.m_Disconnected.empty()); // 45 ms waited
    Step(9);
    Step(9);
    EXPECT_EQ(m_Engine.m_Disconnected, std::vector<uint32_t>{42}); // booted at the seventh step after queuing
    EXPECT_EQ(m_Engine.m_Frames, 8);
}

TEST_F(ServerSessionTest, StepDoesNothingDuringALevelChangeOrWhenStopped) {
    Host();
    Message("[GMSG:3]");
    Step(9);
    EXPECT_EQ(m_Engine.m_Frames, 0);
    Message("[GMSG:4]");
    Step(9);
    EXPECT_EQ(m_Engine.m_Frames, 1);
    m_Session->StopHosting();
    Step(9);
    EXPECT_EQ(m_Engine.m_Frames, 1);
}

TEST_F(ServerSessionTest, FailedFrameLogsTheEngineTextAndStopsFromTheWorker) {
    auto clock = CreateSystemClock();
    ServerSession session(m_View, *clock, m_Pool, Records());
    m_Engine.m_ErrorText = "Frame exploded: 100% %s";
    m_Engine.m_FrameSucceeds = false;
    ASSERT_TRUE(session.InitSession(&m_Engine));
    ASSERT_TRUE(session.StartHosting());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (session.IsRunning() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    EXPECT_FALSE(session.IsRunning());
    EXPECT_TRUE(m_View.Logged("Frame exploded: 100% %s"));
    EXPECT_EQ(m_View.m_StopRequests, 1); // the window thread is asked to finish the stop
    EXPECT_TRUE(session.StopHosting());  // joins the worker, which ended by itself
    EXPECT_TRUE(session.StopHosting());  // the stop ran already: back at once
    EXPECT_EQ(m_Engine.m_Frames, 1);
}

// Set when the thread that ran a frame has ended (its thread-local objects are destroyed then).
std::atomic<bool> g_FrameThreadEnded{false};

struct FrameThreadNote {
    ~FrameThreadNote() { g_FrameThreadEnded = true; }
};

TEST_F(ServerSessionTest, WorkerRunsStepsUntilStopped) {
    auto clock = CreateSystemClock();
    ServerSession session(m_View, *clock, m_Pool, Records());
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::thread::id> frameThreads;
    g_FrameThreadEnded = false;
    m_Engine.m_OnFrame = [&] {
        thread_local FrameThreadNote note;
        (void)note;
        std::scoped_lock lock(mutex);
        frameThreads.push_back(std::this_thread::get_id());
        changed.notify_all();
    };
    ASSERT_TRUE(session.InitSession(&m_Engine));
    ASSERT_TRUE(session.StartHosting());
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(5), [&] { return frameThreads.size() >= 3; }));
        // Every frame ran on the one worker thread, not on this one.
        EXPECT_NE(frameThreads.front(), std::this_thread::get_id());
        EXPECT_EQ(std::count(frameThreads.begin(), frameThreads.end(), frameThreads.front()),
                  static_cast<std::ptrdiff_t>(frameThreads.size()));
        EXPECT_FALSE(g_FrameThreadEnded);
    }
    session.StopHosting();
    // The stop has waited for the worker: its thread is over, so no frame can follow.
    EXPECT_TRUE(g_FrameThreadEnded);
    EXPECT_FALSE(session.IsRunning());
    m_Engine.m_OnFrame = nullptr;
}

// Stops with web registration on, each with the real worker and a real list server on loopback, at
// varied moments: before the first registration, while one is under way, between two. Every stop ends
// within the 6 s the guide promises, and each sends its unregistration.
TEST_F(ServerSessionTest, StopsWithRegistrationOnAlwaysEndInTime) {
    test::LoopbackHttpServer lists;
    m_Directory.Write("srv_send.txt", "");
    m_Host.m_WebRegistration = 1;
    m_Engine.m_HostAddress = "127.0.0.1";
    m_Engine.m_Variables["WebRegUrl"] = lists.Url();
    m_Engine.m_Variables["WebRegUpdate"] = "2"; // a registration every 2 s of game time
    const auto promised = RegistrationLimits{}.m_UnregisterWait + RegistrationSender::END_WAIT;
    constexpr int STOPS = 200;
    std::chrono::steady_clock::duration longest{};
    size_t registrations = 0;
    for (int run = 0; run < STOPS; ++run) {
        // The worker's sleeps cost no time: its steps, and the registrations, come as fast as they can.
        test::FakeClock clock;
        ServerSession session(m_View, clock, m_Pool, Records());
        ASSERT_TRUE(session.InitSession(&m_Engine));
        ASSERT_TRUE(session.StartHosting());
        ASSERT_TRUE(lists.WaitForRequests(static_cast<size_t>(run % 3))) << "run " << run;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(session.StopHosting());
        const auto took = std::chrono::steady_clock::now() - start;
        longest = std::max(longest, took);
        ASSERT_LT(took, promised) << "run " << run;
        const std::vector<std::string> lines = lists.Lines();
        const auto unregistrations = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
            return line.find("&players=-1&") != std::string::npos;
        });
        ASSERT_EQ(unregistrations, 1) << "run " << run;
        registrations += lines.size() - 1;
        lists.Clear();
    }
    const double longestMs = std::chrono::duration<double, std::milli>(longest).count();
    RecordProperty("Stops", STOPS);
    RecordProperty("LongestStopMs", std::to_string(longestMs));
    std::cout << "[ figures  ] " << STOPS << " stops, the longest " << longestMs << " ms, " << registrations
              << " registrations\n";
}

TEST_F(ServerSessionTest, ALevelChangeAFrameBeganAndDidNotEndIsEndedAfterTheFrame) {
    Host();
    m_Engine.m_OnFrame = [this] { Message("[GMSG:3]"); };
    Step(9);
    m_Engine.m_OnFrame = nullptr;
    EXPECT_EQ(m_View.Log().back(), "ERROR - The game began a level change and did not end it.");
    EXPECT_EQ(m_Session->Lock().LevelChangeHolds(), 0);
    // Another thread (an operator command) gets the lock, and the next step runs a frame.
    const bool locked = std::async(std::launch::async, [this] {
                            const bool got = m_Session->Lock().TryLockFor(std::chrono::milliseconds(100));
                            if (got) {
                                m_Session->Lock().unlock();
                            }
                            return got;
                        }).get();
    EXPECT_TRUE(locked);
    Step(9);
    EXPECT_EQ(m_Engine.m_Frames, 2);
}

TEST_F(ServerSessionTest, MemoryExhaustionIsHandedToTheWindowWithoutWaiting) {
    ASSERT_TRUE(m_Session->InitSession(&m_Engine));
    m_Engine.m_Handler->OnMemoryExhausted();
    EXPECT_EQ(m_View.m_MemoryExhausted, 1);
    EXPECT_TRUE(m_Session->ExitWithoutAsking());
    m_Session->ResetSession();
    m_Engine.m_Handler->OnMemoryExhausted(); // detached: nothing happens
    m_Engine.m_Handler->OnConsoleLine("ignored");
    EXPECT_EQ(m_View.m_MemoryExhausted, 1);
    EXPECT_FALSE(m_View.Logged("ignored"));
}

} // namespace
} // namespace dravo

namespace dravo {
namespace {

// What the services beside the window read: the phase from the running line to the stop, the steps that
// ran a frame, the players and the level the game's messages report.
TEST_F(ServerSessionTest, TheFactsFollowTheGameFromTheRunningLineToTheStop) {
    const SessionFacts& facts = m_Session->Facts();
    EXPECT_EQ(facts.Snapshot().m_Phase, HostingPhase::NotStarted);
    Host();
    SessionSnapshot snapshot = facts.Snapshot();
    EXPECT_EQ(snapshot.m_Phase, HostingPhase::Running);
    EXPECT_EQ(snapshot.m_Game.m_MaxPlayers, 8);
    EXPECT_EQ(snapshot.m_Game.m_GameType, "deathmatch");
    EXPECT_EQ(snapshot.m_Game.m_Rotation, (std::vector<std::string>{"Worlds\\Multi\\Cinderworks", "Arena"}));
    EXPECT_EQ(snapshot.m_Level, "Worlds\\Multi\\Cinderworks");
    Step(9);
    Step(9);
    EXPECT_EQ(facts.Steps(), 2u);
    m_Engine.m_FrameSucceeds = false;
    Step(9); // a failed frame is no progress
    EXPECT_EQ(facts.Steps(), 2u);
    m_Engine.m_FrameSucceeds = true;
    Message("[GMSG:0][PLRS:2][PLRN1:Zed][PLRF1:1][PLRI1:7][PLRN2:Ace][PLRF2:5][PLRI2:8]");
    Message("[GMSG:3]");
    Message("[GMSG:1][CLEV:Arena][NLEV:Worlds\\Multi\\Cinderworks]");
    snapshot = facts.Snapshot();
    EXPECT_EQ(snapshot.m_Players, (std::vector<std::string>{"Ace", "Zed"}));
    EXPECT_EQ(snapshot.m_Level, "Arena");
    EXPECT_EQ(snapshot.m_LevelChanges, 1u);
    m_Session->StopHosting();
    EXPECT_EQ(facts.Snapshot().m_Phase, HostingPhase::Ended);
}

TEST_F(ServerSessionTest, AStartThatFailsEndsTheFactsToo) {
    m_Engine.m_OpenSucceeds = false;
    ASSERT_TRUE(m_Session->InitSession(&m_Engine));
    EXPECT_FALSE(m_Session->StartHosting());
    EXPECT_EQ(m_Session->Facts().Snapshot().m_Phase, HostingPhase::Ended);
}

} // namespace
} // namespace dravo
