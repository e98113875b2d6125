// The kick queue: waiting, booting, re-entry from the engine and use from two threads.
#include "host/game/KickQueue.h"
#include "support/FakeEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace dravo {
namespace {

using test::FakeEngine;

std::vector<int32_t> Waited(const KickQueue& queue) {
    std::vector<int32_t> waited;
    for (const KickEntry& entry : queue.Entries()) {
        waited.push_back(entry.m_Waited);
    }
    return waited;
}

// An engine whose DisconnectClient calls back into the queue, as the front end may
// when the engine reports the departure.
class ReentrantEngine final : public EngineServer {
public:
    explicit ReentrantEngine(KickQueue& queue) : m_Queue(queue) {}
    virtual ~ReentrantEngine() = default;

    std::vector<uint32_t> m_Disconnected;
    bool m_SawQueued = true;

    int32_t DisconnectClient(uint32_t clientId) override {
        m_Disconnected.push_back(clientId);
        m_SawQueued = m_Queue.IsQueued("Ace");
        (void)m_Queue.QueueKick("Ace", clientId + 100);
        return ENGINE_STATUS_OK;
    }

    int32_t AttachHandler(AppHandler*) override { return 0; }
    int32_t ExecuteCommand(const char*) override { return 0; }
    int32_t FindVariable(const char*, VariableHandle*, const char*) override { return 1; }
    int32_t ReadVariableFloat(VariableHandle, float*) override { return 1; }
    int32_t ReadVariableText(VariableHandle, char*, uint32_t) override { return 1; }
    int32_t ReadVariablesFile(const char*) override { return 1; }
    int32_t WriteVariablesFile(const char*) override { return 1; }
    int32_t PostToGame(const char*) override { return 0; }
    int32_t MountResources(const char* const*, uint32_t) override { return 0; }
    DirEntry* ListResourceDir(const char*) override { return nullptr; }
    int32_t ReleaseResourceDir(DirEntry*) override { return 0; }
    int32_t LoadWorld(const LoadWorldRequest*) override { return 0; }
    // Every id is a client named "Ace".
    uint32_t CountClients() override { return 1; }
    int32_t DescribeClient(uint32_t, ClientRecord* record) override {
        std::snprintf(record->m_Name, sizeof record->m_Name, "Ace");
        record->m_ClientId = m_Disconnected.empty() ? 5 : 105;
        return ENGINE_TRUE;
    }
    int32_t LastErrorText(char*, uint32_t) override { return 0; }
    int32_t RunFrame(uint32_t) override { return 0; }
    int32_t StartNetworking(uint32_t, uint32_t) override { return 0; }
    int32_t ListServices(ServiceRecord**) override { return 0; }
    int32_t ReleaseServices(ServiceRecord*) override { return 0; }
    int32_t UseService(uint32_t) override { return 0; }
    int32_t OpenGameSession(const OpenGameSessionRequest*) override { return 0; }
    int32_t QueryHostAddress(char*, uint32_t, uint16_t*) override { return 0; }
    int32_t SendGameDatagram(const void*, uint32_t, const char*, uint32_t) override { return 0; }
    int32_t Reserved1() override { return 0; }
    int32_t Reserved2() override { return 0; }
    int32_t Reserved3() override { return 0; }

private:
    KickQueue& m_Queue;
};

TEST(KickQueue, BootsOnceFiftyMillisecondsHavePassed) {
    FakeEngine engine;
    engine.AddClient("Ace", 7, 0.0f);
    engine.AddClient("Bob", 8, 0.0f);
    KickQueue queue;
    queue.SetServer(&engine);
    ASSERT_TRUE(queue.QueueKick("Ace", 7));
    for (const int32_t expected : {20, 40, 60}) {
        queue.AdvanceKicks(20);
        EXPECT_EQ(Waited(queue), std::vector<int32_t>{expected});
        EXPECT_TRUE(engine.m_Disconnected.empty());
    }
    queue.AdvanceKicks(20);
    EXPECT_EQ(engine.m_Disconnected, std::vector<uint32_t>{7});
    EXPECT_FALSE(queue.IsQueued("Ace"));

    // A huge step saturates rather than wrapping below the delay.
    ASSERT_TRUE(queue.QueueKick("Bob", 8));
    queue.AdvanceKicks(std::numeric_limits<uint32_t>::max());
    EXPECT_EQ(Waited(queue), std::vector<int32_t>{std::numeric_limits<int32_t>::max()});
    queue.AdvanceKicks(0);
    EXPECT_EQ(engine.m_Disconnected, (std::vector<uint32_t>{7, 8}));
}

TEST(KickQueue, NameIsQueuedOnce) {
    KickQueue queue;
    EXPECT_TRUE(queue.QueueKick("Ace", 7));
    EXPECT_FALSE(queue.QueueKick("Ace", 9));
    EXPECT_TRUE(queue.QueueKick("ace", 8));
    ASSERT_EQ(queue.Entries().size(), 2u);
    EXPECT_EQ(queue.Entries()[0].m_ClientId, 7u);
    EXPECT_FALSE(queue.IsQueued("Ace2"));
    EXPECT_FALSE(queue.IsQueued("ACE"));
}

TEST(KickQueue, WithoutServerOrEntriesNobodyIsBooted) {
    FakeEngine engine;
    KickQueue queue;
    ASSERT_TRUE(queue.QueueKick("Ace", 7));
    queue.AdvanceKicks(100);
    queue.AdvanceKicks(100);
    EXPECT_EQ(Waited(queue), std::vector<int32_t>{0});

    queue.SetServer(&engine);
    queue.AdvanceKicks(100);
    queue.ClearKicks();
    queue.AdvanceKicks(100);
    EXPECT_TRUE(queue.Entries().empty());
    EXPECT_TRUE(engine.m_Disconnected.empty());
}

TEST(KickQueue, BootsInQueueOrderAndKeepsTheWaiting) {
    FakeEngine engine;
    engine.AddClient("Ace", 1, 0.0f);
    engine.AddClient("Bob", 2, 0.0f);
    engine.AddClient("Cid", 3, 0.0f);
    KickQueue queue;
    queue.SetServer(&engine);
    ASSERT_TRUE(queue.QueueKick("Ace", 1));
    ASSERT_TRUE(queue.QueueKick("Bob", 2));
    queue.AdvanceKicks(30);
    ASSERT_TRUE(queue.QueueKick("Cid", 3));
    queue.AdvanceKicks(30);
    EXPECT_EQ(Waited(queue), (std::vector<int32_t>{60, 60, 30}));
    queue.AdvanceKicks(9);
    EXPECT_EQ(engine.m_Disconnected, (std::vector<uint32_t>{1, 2}));
    ASSERT_EQ(queue.Entries().size(), 1u);
    EXPECT_EQ(queue.Entries()[0].m_Name, "Cid");
    EXPECT_EQ(queue.Entries()[0].m_Waited, 39);
}

TEST(KickQueue, EngineMayQueueAgainFromDisconnect) {
    // A deadlock here would hang the test until the runner's time limit.
    KickQueue queue;
    ReentrantEngine engine(queue);
    queue.SetServer(&engine);
    ASSERT_TRUE(queue.QueueKick("Ace", 5));
    queue.AdvanceKicks(50);
    queue.AdvanceKicks(1);
    EXPECT_EQ(engine.m_Disconnected, std::vector<uint32_t>{5});
    EXPECT_FALSE(engine.m_SawQueued);
    ASSERT_EQ(queue.Entries().size(), 1u);
    EXPECT_EQ(queue.Entries()[0].m_ClientId, 105u);
    EXPECT_EQ(queue.Entries()[0].m_Waited, 0);
}

TEST(KickQueue, TwoThreadsKeepTheQueueConsistent) {
    constexpr int ITERATIONS = 5000;
    constexpr int NAMES = 8;
    FakeEngine engine; // only the advancing thread calls it
    for (int i = 0; i < ITERATIONS; ++i) {
        engine.AddClient(("P" + std::to_string(i % NAMES)).c_str(), static_cast<uint32_t>(i), 0.0f);
    }
    KickQueue queue;
    queue.SetServer(&engine);

    std::vector<uint32_t> added;
    std::thread producer([&queue, &added] {
        for (int i = 0; i < ITERATIONS; ++i) {
            if (queue.QueueKick("P" + std::to_string(i % NAMES), static_cast<uint32_t>(i))) {
                added.push_back(static_cast<uint32_t>(i));
            }
        }
    });
    bool duplicateSeen = false;
    for (int i = 0; i < ITERATIONS; ++i) {
        queue.AdvanceKicks(17);
        std::set<std::string> names;
        for (const KickEntry& entry : queue.Entries()) {
            duplicateSeen = duplicateSeen || !names.insert(entry.m_Name).second;
        }
    }
    producer.join();
    queue.AdvanceKicks(KICK_DELAY_MS);
    queue.AdvanceKicks(0);

    EXPECT_FALSE(duplicateSeen);
    EXPECT_TRUE(queue.Entries().empty());
    std::vector<uint32_t> booted = engine.m_Disconnected;
    std::sort(booted.begin(), booted.end());
    EXPECT_EQ(booted, added);
}

TEST(KickQueue, AnIdThatNoLongerBelongsToTheBannedNameIsNotBooted) {
    FakeEngine engine;
    // The banned player left; their id went to someone else, and another id is gone altogether.
    engine.AddClient("Innocent", 7, 0.0f);
    engine.AddClient(std::string(63, 'L').append("tail").c_str(), 9, 0.0f); // the engine's name, cut
    KickQueue queue;
    queue.SetServer(&engine);
    ASSERT_TRUE(queue.QueueKick("Cheater", 7));
    ASSERT_TRUE(queue.QueueKick("Gone", 8));
    ASSERT_TRUE(queue.QueueKick(std::string(63, 'L') + "other tail", 9)); // the same in its first 63
    queue.AdvanceKicks(KICK_DELAY_MS);
    queue.AdvanceKicks(0);
    EXPECT_EQ(engine.m_Disconnected, std::vector<uint32_t>{9});
    EXPECT_TRUE(queue.Entries().empty()); // passed over, not kept for ever
}

} // namespace
} // namespace dravo
