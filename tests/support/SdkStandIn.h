// SdkStandIn: a stand-in for the fleet sidecar's REST gateway on 127.0.0.1, written from its published API
// (the SDK, alpha and beta swagger files), for tests and benchmarks.
//
// It keeps a game server of its own (state, labels, annotations, lists, player tracking), answers the
// calls as the gateway does (JSON, 64-bit numbers as strings, refusals as {"code", "message"}), streams
// the watch one JSON object a line, and records every request with the time it came. It can also
// misbehave: answer every call with HTTP 500, answer with bytes that are not HTTP, or never answer. It
// listens from Start (on a port chosen then, or on the port given, so that a test can start it late) until
// it is destroyed. Sizes and connections are bounded; everything is safe from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace dravo::test {

class SdkStandIn {
public:
    using Clock = std::chrono::steady_clock;
    enum class Behaviour { Sdk, Error500, Garbage, Silent };

    struct Request {
        std::string m_Method;
        std::string m_Path;
        std::string m_Body;
        Clock::time_point m_Arrived;
    };

    explicit SdkStandIn(Behaviour behaviour = Behaviour::Sdk);
    ~SdkStandIn();
    SdkStandIn(const SdkStandIn&) = delete;
    SdkStandIn& operator=(const SdkStandIn&) = delete;

    // A TCP port of 127.0.0.1 that nothing listens on at the moment of asking (a candidate only), for a
    // stand-in started late.
    static uint16_t FreePort();
    // Listens on `port` (0: one the system chooses); false when it cannot.
    bool Start(uint16_t port = 0);
    uint16_t Port() const { return m_Port; }

    // What the fleet defines: a list "players" with this capacity (none by default), player tracking.
    void DefinePlayersList(int64_t capacity);
    void EnablePlayerTracking();
    // An allocation, as the allocator makes it: state Allocated, with an annotation when a key is given.
    // While failing, every call is answered as the gateway does when the SDK server behind it is away:
    // 503 with {"code":14,"message":"connection error","details":[]}.
    void SetFailing(bool failing);
    // Calls to `path` are answered with `status` (a 4xx) and the gateway's refusal; 0 answers them again.
    void RefuseWith(const std::string& path, int status);
    // A value put in the list "players" by someone else, as an allocation's lists.players.addValues does.
    void AddListValue(const std::string& value);
    // The game server's address (status.address), 127.0.0.1 unless set.
    void SetAddress(const std::string& address);
    // The game server's exposed ports (status.ports), by name, as the node maps them; none unless set.
    void SetPorts(const std::vector<std::pair<std::string, int64_t>>& ports);
    void Allocate(const std::string& annotation = {}, const std::string& value = {});

    std::vector<Request> Requests() const;
    size_t Count(const std::string& method, const std::string& path) const;
    std::string State() const;
    std::map<std::string, std::string> Labels() const;
    // The list's values and capacity; the players of player tracking.
    std::vector<std::string> ListValues() const;
    int64_t ListCapacity() const;
    std::set<std::string> TrackedPlayers() const;
    int64_t TrackedCapacity() const;

    // Waits (at most `limit`) until `done` holds, looking again after every request and every change; `done`
    // may call the stand-in's getters.
    bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20));
    // Shorthands for WaitFor over the recorded requests and the state.
    bool WaitForCount(const std::string& method, const std::string& path, size_t count,
                      std::chrono::milliseconds limit = std::chrono::seconds(20));

private:
    struct Answer {
        int m_Status = 200;
        std::string m_Body;
    };
    struct Client {
        std::string m_Received;
        bool m_Watching = false;
    };

    void Run();
    void Serve(int fd, Client& client, std::vector<int>& closing);
    Answer Handle(const Request& request, bool& watch);
    Answer HandleList(const Request& request);
    Answer HandlePlayers(const Request& request);
    std::string GameServerJson() const;
    void Changed(); // with m_Mutex held: tells the watchers and the waiters
    void Noted();   // with m_Mutex held: tells the waiters
    void Wake();

    Behaviour m_Behaviour;
    uint16_t m_Port = 0;
    int m_Listen = -1;
    int m_Wake[2] = {-1, -1};
    std::thread m_Thread;

    mutable std::mutex m_Mutex;
    std::condition_variable m_ChangedCv;
    bool m_Stopping = false;
    bool m_Failing = false;
    std::map<std::string, int> m_RefuseWith;
    bool m_WatchDue = false; // the game server changed: the watchers get it
    uint64_t m_Changes = 0;  // requests and changes so far
    std::vector<Request> m_Requests;
    std::string m_State = "Scheduled";
    std::string m_Address = "127.0.0.1";
    std::vector<std::pair<std::string, int64_t>> m_Ports;
    std::map<std::string, std::string> m_Labels;
    std::map<std::string, std::string> m_Annotations;
    bool m_HasList = false;
    int64_t m_ListCapacity = 0;
    std::vector<std::string> m_ListValues;
    bool m_Tracking = false;
    int64_t m_TrackedCapacity = 0;
    std::set<std::string> m_Tracked;
};

} // namespace dravo::test
