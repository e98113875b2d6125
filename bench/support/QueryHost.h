// QueryHost: dravoserv (its benchmarks' copy, dravoserv-bench, with a fixed hash key) hosting a copy of the sample game
// with GameSpy answers on a query port of its own (heartbeats go to a loopback sink), optional bot players.
#pragma once

#include "support/BenchGame.h"
#include "support/FrameIntervals.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace dravo::bench {

class QueryHost {
public:
    // `variables` are added to (and override) the GameSpy settings; `botOptions` go to dravo-bot.
    explicit QueryHost(int players, const std::map<std::string, std::string>& variables = {},
                       const std::vector<std::string>& botOptions = {});
    ~QueryHost();
    QueryHost(const QueryHost&) = delete;
    QueryHost& operator=(const QueryHost&) = delete;

    // True when the server runs and every player has joined; otherwise `Failure` says why.
    bool Ready() const { return m_Ready; }
    const std::string& Failure() const { return m_Failure; }
    LiveProcess& Server() { return *m_Server; }
    uint16_t QueryPort() const { return m_Game.QueryPort(); }
    uint16_t GamePort() const { return m_Game.GamePort(); }
    // Types a console command and returns the first answer line that holds `answer`.
    std::string Ask(const std::string& command, const std::string& answer);
    // The step intervals counted since the last reset; `reset` starts counting anew.
    FrameIntervals Intervals(bool reset);
    // Datagrams the system dropped so far on the server's UDP socket bound to `port` (its receive buffer
    // was full): the "drops" of /proc/<pid>/net/udp; -1 when the socket is not found.
    long long Drops(uint16_t port);

private:
    BenchGame m_Game;
    int m_Sink = -1;
    std::unique_ptr<LiveProcess> m_Server;
    std::unique_ptr<LiveProcess> m_Bots;
    bool m_Ready = false;
    std::string m_Failure;
};

} // namespace dravo::bench
