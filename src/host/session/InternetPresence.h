// InternetPresence: the hosted game's GameSpy reporting and web registration.
//
// Contract. The session starts it on the window thread when hosting starts,
// ticks it in every update step (worker thread, under UpdateLock), and stops it
// on the thread that stops hosting: first the unregistration, never under
// UpdateLock, then the reporter, under UpdateLock once no step runs. Queries
// that reach the game port arrive on whichever thread is inside the engine; they
// are queued under UpdateLock and answered in the next step, in turn with the
// query port's.
#pragma once

#include "engine/EngineServer.h"
#include "engine/HostingRecords.h"
#include "host/console/ConsoleLog.h"
#include "host/state/UpdateLock.h"
#include "net/AdvertisedPorts.h"
#include "net/query/EngineSendHook.h"
#include "net/query/ServerStatusReporter.h"
#include "net/webreg/WebRegistrar.h"
#include "platform/os/Clock.h"
#include "settings/TuningVariables.h"

#include <cstdint>
#include <string>

namespace dravo {

class InternetPresence {
public:
    // `host` is the session's HostInfo: its GameSpy flag is cleared when reporting cannot start.
    // What the reporter cannot do (the master not found) goes to `log`. Name lookups and registrations
    // block on `pool`.
    InternetPresence(IClock& clock, BlockingPool& pool, UpdateLock& lock, HostInfo& host, StatusSources sources,
                     const std::string& hostAddressText, ConsoleLog& log)
        : m_Lock(lock), m_Host(host), m_Reporter(clock, pool, sources), m_Registrar(host, hostAddressText, pool),
          m_Log(log) {
        m_Reporter.SetAdvertisedPorts(&m_Advertised);
    }

    // Where queries, heartbeats and registrations are counted (not owned); before Start.
    void SetCounters(PresenceCounters* counters) {
        m_Reporter.SetCounters(counters);
        m_Registrar.SetCounters(counters);
    }
    // Reads the overrides, configures registration and starts the reporter on the query port. The
    // heartbeats and game-port answers leave through the engine's game port (`hostPort`).
    void Start(EngineServer& server, uint16_t hostPort, const TuningVariables& tuning);
    // The ports named to players and the master; the fleet client sets what it learns. Any thread.
    AdvertisedPorts& Advertised() { return m_Advertised; }
    // The port queries are answered on while reporting, else 0. Window thread, after Start.
    uint16_t QueryPort() const { return m_Reporter.QueryPort(); }
    // The game type and game mode labels of the answers, after they were read again; under UpdateLock.
    void SetLabels(const TuningVariables& tuning) { m_Reporter.SetLabels(tuning.m_SpyGameType, tuning.m_SpyGameMode); }
    // The update step's share: heartbeats, waiting queries, the registration countdown.
    void Tick(EngineServer* server, uint32_t deltaMs);
    // Stopping begins: no registration is queued or sent from now on.
    void EndRegistrations() { m_Registrar.EndRegistrations(); }
    // The unregistration, waiting a bounded time for the list servers; a sender that does not end in
    // time is left behind, with a line in the log.
    void Unregister();
    // The same when the process must end soon (out of memory): the wait for the list servers is brief.
    void UnregisterBriefly();
    // Closes the query port; after the worker has stopped.
    void StopReporting();
    // A datagram that reached the game port and begins with a backslash.
    void AnswerGamePortQuery(const void* data, uint32_t length, const uint8_t address[4], uint16_t port);

private:
    UpdateLock& m_Lock;
    HostInfo& m_Host;
    EngineSendHook m_SendHook;
    AdvertisedPorts m_Advertised;
    ServerStatusReporter m_Reporter;
    WebRegistrar m_Registrar;
    ConsoleLog& m_Log;
};

} // namespace dravo
