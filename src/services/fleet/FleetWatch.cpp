// The fleet client's watch thread: it follows the game server's state and its allocation's level.
#include "services/fleet/FleetClient.h"
#include "services/fleet/LineSplitter.h"
#include "services/fleet/SdkMessages.h"

namespace dravo {

void FleetClient::RunWatch() {
    Backoff backoff(m_Options.m_FirstRetry, m_Options.m_LongestRetry);
    LineSplitter lines(MAX_WATCH_LINE);
    std::string state;
    // Lines are logged only once hosting has begun (the console window shows them from then on).
    while (!m_Stop && m_Facts.Snapshot().m_Phase == HostingPhase::NotStarted) {
        std::unique_lock lock(m_Mutex);
        m_Changed.wait(lock, [this] { return m_WatchWoken || m_Stop; });
        m_WatchWoken = false;
    }
    while (!m_Stop) {
        lines.Reset();
        bool heard = false;
        const HttpChunkHandler handler = [&](std::string_view piece) {
            lines.Feed(piece, [&](std::string_view line) { OnWatchLine(line, state, heard); });
            return !m_Stop.load();
        };
        (void)HttpStream(m_Options.m_BaseUrl + sdk_path::WATCH, handler, m_Stop, m_Pool,
                         HttpLimits{m_Options.m_Limits.m_Connect, m_Options.m_WatchLimit});
        if (heard) {
            backoff.Succeeded();
        }
        WaitToWatch(backoff.Failed());
    }
}

void FleetClient::OnWatchLine(std::string_view line, std::string& state, bool& heard) {
    const std::optional<GameServerView> server = ReadGameServer(line);
    if (!server) {
        return;
    }
    heard = true;
    NoteServerAddress(server);
    if (server->m_State != state) {
        state = server->m_State;
        m_WatchLevel.clear(); // a new allocation asks anew, even for the same level
        {
            std::scoped_lock lock(m_Mutex);
            m_Allocated = state == "Allocated";
            m_Woken = true;
            m_Changed.notify_all();
        }
        Log("Agones SDK: the game server is " + state + ".");
    }
    if (state != "Allocated") {
        return;
    }
    // An allocation of a server that is Allocated already may name another level: that is acted on too.
    const auto level = server->m_Annotations.find(LEVEL_ANNOTATION);
    if (level != server->m_Annotations.end() && !level->second.empty() && level->second != m_WatchLevel) {
        m_WatchLevel = level->second;
        std::scoped_lock lock(m_Mutex);
        m_AskedLevel = level->second;
        m_Woken = true;
        m_Changed.notify_all();
    }
}

void FleetClient::WaitToWatch(Time wait) {
    const Time until = m_Elapsed.Now() + wait;
    std::unique_lock lock(m_Mutex);
    for (Time now = m_Elapsed.Now(); !m_Stop && now < until; now = m_Elapsed.Now()) {
        const uint64_t wakes = m_Wakes;
        m_Changed.wait_for(lock, until - now, [&] { return m_Stop || m_Wakes != wakes; });
    }
}

} // namespace dravo
