// FleetClient: the hosted game's side of the fleet sidecar (Agones SDK over its REST gateway).
//
// Contract. Start-up creates it once hosting is about to start and ends it (Finish, or the destructor)
// after the run. It reads the game through SessionFacts only and asks for nothing but a level change, through
// a hook that presses Next Level as the operator would. Two threads of its own do all the talking, so that
// no request ever holds up the game or the window: the request thread says Ready once "Server is running."
// has been logged, a health ping every HEALTH_PERIOD while the step counter moves, the labels "level" and
// "gametype" whenever they change, the players (PlayerReport) and Shutdown when hosting ends for any
// reason (or at the latest when Finish runs); the watch thread follows the game server's state and logs
// each change, and an allocation's "dravo/level" annotation starts a LevelSeek. Every request is bounded
// in time and size; a failed one is tried again with backoff, and the sidecar's trouble is logged once
// per change of state (SidecarStatus). Log lines go through the `m_Log` hook, from these threads.
// Every wait of theirs (health period, backoff, an allocation's level, the empty time) is counted on the
// program's clock (`m_Clock`); a clock that is moved by hand, as in tests, is followed after Wake. Only
// Finish's limit is counted on the steady clock, since it bounds how long the closing window waits.
#pragma once

#include "host/state/SessionFacts.h"
#include "platform/http/HttpRequest.h"
#include "platform/os/Clock.h"
#include "services/fleet/AllocatedEmpty.h"
#include "services/fleet/Backoff.h"
#include "services/fleet/ElapsedClock.h"
#include "services/fleet/ExternalPorts.h"
#include "services/fleet/LevelSeek.h"
#include "services/fleet/PlayerReport.h"
#include "services/fleet/SdkCall.h"
#include "services/fleet/SdkMessages.h"
#include "services/fleet/SidecarStatus.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace dravo {

inline constexpr const char* LEVEL_LABEL = "level";
inline constexpr const char* GAME_TYPE_LABEL = "gametype";
constexpr size_t MAX_WATCH_LINE = size_t{1024} * 1024; // a GameServer object with all its annotations fits

struct FleetOptions {
    std::string m_BaseUrl;                          // http://localhost:<port>
    std::chrono::milliseconds m_HealthPeriod{2000}; // a ping (or none) this often
    HttpLimits m_Limits{std::chrono::milliseconds(1000), std::chrono::milliseconds(2000)};
    std::chrono::milliseconds m_FirstRetry{100};    // backoff after a failed request...
    std::chrono::milliseconds m_LongestRetry{2000}; // ...doubling up to this
    std::chrono::milliseconds m_FinishLimit{3000};  // how long Finish gives Shutdown at most
    std::chrono::milliseconds m_WatchLimit{600000}; // a watch is opened anew after this long
    AdvertisedPorts* m_Advertised = nullptr;        // given the game server's external ports; not owned
    IClock* m_Clock = nullptr;                      // the client's time; none: the system's. Not owned
    AllocatedEmptyOptions m_AllocatedEmpty;         // off unless a delay is given
};

struct FleetHooks {
    std::function<void(const std::string& line)> m_Log; // one console log line; any of the client's threads
    std::function<void()> m_NextLevel;                  // Next Level, as the operator's button
    std::function<void()> m_Shutdown;                   // the server stops, as a remote /shutdown does
    // The request thread has done all it can as of the clock's reading `clockMs` and waits. Optional.
    std::function<void(uint32_t clockMs)> m_Waiting;
};

class FleetClient {
public:
    // Starts both threads at once; the sidecar may come later. Requests that must block do so on `pool`,
    // which outlives the client.
    FleetClient(SessionFacts& facts, BlockingPool& pool, FleetOptions options, FleetHooks hooks);
    ~FleetClient();
    FleetClient(const FleetClient&) = delete;
    FleetClient& operator=(const FleetClient&) = delete;

    // The run is over: says Shutdown if it has not been said, giving it m_FinishLimit at most, and ends the
    // threads. Window thread; once.
    void Finish();
    // Any thread: both threads look at the clock again at once (it was moved by hand). Never blocks.
    void Wake();

private:
    using Time = ElapsedClock::Time;
    using Steady = std::chrono::steady_clock;

    void RunRequests();
    void RunWatch();
    // One round: at most one request. Returns when to look again at the latest.
    Time Round(const SessionSnapshot& facts, Time now);
    std::optional<SdkCall> NextCall(const SessionSnapshot& facts, Time now);
    std::optional<SdkCall> NextLabel(const SessionSnapshot& facts);
    // What an Allocated server that stayed empty too long does: a Ready call, or the stop through the hook.
    std::optional<SdkCall> CheckAllocatedEmpty(const SessionSnapshot& facts);
    // Whether Ready may be said: false while the game is on loopback only and players come from elsewhere.
    bool IsReachable(const SessionSnapshot& facts);
    // The game server's address and external ports, from the watch or GetGameServer; any thread.
    void NoteServerAddress(const std::optional<GameServerView>& server);
    // Makes the call; true when it was done. Keeps the sidecar's state and the backoff.
    bool Call(const SdkCall& call, bool& refused);
    // A 4xx on a call that is not tried again.
    static bool IsFinalRefusal(const SdkCall& call, int status);
    void TellRefusal(const SdkCall& call, const HttpAnswer& answer);
    void Noted(const SdkCall& call, bool done, bool refused);
    void OnWatchLine(std::string_view line, std::string& state, bool& heard);
    void Log(const std::string& line) const;
    // Waits until something changes, `until` passes, or the client stops.
    void WaitUntil(Time until);
    // The watch thread's wait before it opens the watch again: `wait`, or until the client stops.
    void WaitToWatch(Time wait);

    SessionFacts& m_Facts;
    BlockingPool& m_Pool;
    FleetOptions m_Options;
    FleetHooks m_Hooks;
    std::unique_ptr<IClock> m_OwnClock; // when the options give none
    IClock& m_Clock;
    ElapsedClock m_Elapsed{m_Clock};
    int m_ListenerId = 0;
    ExternalPortsNotes m_PortNotes{m_Options.m_Advertised};

    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    bool m_Woken = false;                       // the facts changed, for the request thread; m_Mutex
    bool m_WatchWoken = false;                  // ...and for the watch thread; m_Mutex
    uint64_t m_Wakes = 0;                       // Wake's calls; m_Mutex
    std::optional<std::string> m_AskedLevel;    // an allocation's level, for the request thread; m_Mutex
    std::optional<std::string> m_ServerAddress; // the game server's address, from the watch; m_Mutex
    bool m_Allocated = false;                   // the watch saw the game server Allocated; m_Mutex
    std::atomic<bool> m_Finishing{false};
    std::atomic<bool> m_Stop{false}; // ends the watch, and a request at the finish limit
    Steady::time_point m_FinishBy;   // written before m_Finishing is set

    std::string m_WatchLevel; // the watch thread's: the level the allocation asked for, once acted on

    // The request thread's own.
    SidecarStatus m_Status;
    Backoff m_Backoff;
    HealthGate m_Health;
    std::set<std::string> m_RefusalsTold; // the calls whose refusal has been logged
    PlayerReport m_Players;
    LevelSeek m_Seek;
    AllocatedEmptyTimer m_Empty;
    bool m_ReadyAgain = false; // an Allocated, empty server offers itself again
    Time m_RetryAt{};
    Time m_NextHealth{};
    bool m_ReadySaid = false;
    bool m_UnreachableTold = false;
    bool m_ShutdownSaid = false;
    struct Label {
        std::optional<std::string> m_Held;    // as the sidecar holds it
        std::optional<std::string> m_Sending; // the value of the call in progress
    };
    Label m_LevelLabel;
    Label m_TypeLabel;

    std::thread m_Requests;
    std::thread m_Watch;
};

} // namespace dravo
