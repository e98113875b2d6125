// FleetClientFixture: the fleet client against the stand-in sidecar on loopback, with the session's facts
// driven by the test. The client runs on the system's clock, or on a fake one (m_OnFakeClock) that only
// Settle moves: Settle then waits until the client has looked at everything as of the new time.
#pragma once

#include "services/fleet/FleetClient.h"
#include "support/FakeClock.h"
#include "support/RosterPlayers.h"
#include "support/SdkStandIn.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace dravo::test {

inline const std::vector<std::string> FLEET_ROTATION = {"Worlds\\Multi\\Cinderworks", "Worlds\\Multi\\Frostline",
                                                        "Glasshouse"};

class FleetClientFixture : public ::testing::Test {
public:
    static constexpr std::chrono::seconds WAIT_LIMIT{10};

    SessionFacts m_Facts;
    BlockingPool m_Pool; // outlives the client
    std::mutex m_Mutex;
    std::condition_variable m_Logged; // a line, or a wait of the request thread
    std::vector<std::string> m_Lines;
    uint64_t m_Waits = 0;    // the request thread's waits; m_Mutex
    uint32_t m_WaitedAt = 0; // the clock's reading its last wait followed; m_Mutex
    std::atomic<int> m_NextLevelPresses{0};
    FakeClock m_Clock;
    bool m_OnFakeClock = false;      // the client's time is m_Clock; else the system's
    AllocatedEmptyOptions m_Empty;   // off unless a test sets it
    std::atomic<int> m_Shutdowns{0}; // the hook's stops
    // The test's sidecar outlives the client, whose end says Shutdown to it: a sidecar gone first would
    // have the client try again until its finish limit.
    std::optional<SdkStandIn> m_Sidecar;
    std::unique_ptr<FleetClient> m_Client;

    SdkStandIn& Sidecar(SdkStandIn::Behaviour behaviour = SdkStandIn::Behaviour::Sdk) {
        return m_Sidecar.emplace(behaviour);
    }

    // Short request limits let the misbehaving sidecars' tests end soon; a test that counts requests gives
    // more, so that no request it counts ends by its limit on a loaded machine and reaches the sidecar late.
    void StartClient(uint16_t port,
                     HttpLimits limits = HttpLimits{std::chrono::milliseconds(300), std::chrono::milliseconds(600)}) {
        FleetOptions options;
        options.m_BaseUrl = "http://127.0.0.1:" + std::to_string(port);
        options.m_HealthPeriod = std::chrono::milliseconds(100);
        options.m_Limits = limits;
        options.m_FirstRetry = std::chrono::milliseconds(20);
        options.m_LongestRetry = std::chrono::milliseconds(200);
        options.m_FinishLimit = std::chrono::milliseconds(1500);
        options.m_Clock = m_OnFakeClock ? &m_Clock : nullptr;
        options.m_AllocatedEmpty = m_Empty;
        FleetHooks hooks;
        hooks.m_Log = [this](const std::string& line) {
            std::scoped_lock lock(m_Mutex);
            m_Lines.push_back(line);
            m_Logged.notify_all();
        };
        hooks.m_NextLevel = [this] { OnNextLevel(); };
        hooks.m_Shutdown = [this] { ++m_Shutdowns; };
        hooks.m_Waiting = [this](uint32_t clockMs) {
            std::scoped_lock lock(m_Mutex);
            ++m_Waits;
            m_WaitedAt = clockMs;
            m_Logged.notify_all();
        };
        m_Client = std::make_unique<FleetClient>(m_Facts, m_Pool, std::move(options), std::move(hooks));
    }
    // Moves the fake clock on by `ms` and waits until the client has done all it can as of then; false when
    // that takes too long. A call under way while the clock moves counts its backoff from the new time, so
    // a test that counts backoffs settles first with 0 (which waits for that call to end). After a change
    // of the facts, a move of at least 1 ms makes sure that the round that follows has seen it.
    bool Settle(uint32_t ms) {
        uint64_t waits = 0;
        {
            std::scoped_lock lock(m_Mutex);
            waits = m_Waits;
        }
        m_Clock.Advance(ms);
        const uint32_t now = m_Clock.NowMs();
        m_Client->Wake();
        std::unique_lock lock(m_Mutex);
        return m_Logged.wait_for(lock, WAIT_LIMIT,
                                 [&] { return m_Waits > waits && static_cast<int32_t>(m_WaitedAt - now) >= 0; });
    }
    // The game's answer to Next Level: the rotation's next level.
    void OnNextLevel() {
        ++m_NextLevelPresses;
        const SessionSnapshot facts = m_Facts.Snapshot();
        const auto& rotation = FLEET_ROTATION;
        const auto at = std::find(rotation.begin(), rotation.end(), facts.m_Level);
        m_Facts.LevelChanged(at == rotation.end() || at + 1 == rotation.end() ? rotation.front() : *(at + 1));
    }
    void Host() { m_Facts.HostingStarted(HostedGame{16, "deathmatch", FLEET_ROTATION, FLEET_ROTATION.front()}); }
    bool WaitForLine(const std::string& text, std::chrono::milliseconds limit = WAIT_LIMIT) {
        std::unique_lock lock(m_Mutex);
        return m_Logged.wait_for(lock, limit, [&] { return CountLocked(text) > 0; });
    }
    int CountLines(const std::string& text) {
        std::scoped_lock lock(m_Mutex);
        return CountLocked(text);
    }
    int CountLocked(const std::string& text) const {
        return static_cast<int>(std::count_if(m_Lines.begin(), m_Lines.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        }));
    }
    std::string Lines() {
        std::scoped_lock lock(m_Mutex);
        std::string all;
        for (const auto& line : m_Lines) {
            all += line + "\n";
        }
        return all;
    }
};

} // namespace dravo::test
