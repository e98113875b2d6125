// WebRegistrar: lists the hosted game on server-list web pages while it runs.
//
// Contract. The worker thread calls RegistrationTick once per update step with
// the step's delta: after FIRST_REGISTRATION_MS of update time, and then once a
// period, it queues a registration batch (server name, address text, the
// engine's client count). The thread that stops hosting calls EndRegistrations,
// then Unregister, which queues the unregistration (players -1) and waits at
// most the unregister wait for it. Whether registrations are still taken is
// decided by the sender under its queue's lock, in the same step as the
// queueing: a tick that races the stop either queues before the end or not at
// all, never behind the unregistration. The requests themselves run on the
// RegistrationSender's thread: nothing here waits on the network, and nothing
// is sent without the registration file. The countdown lives as long as the
// registrar (one per run): it is not reset when a game starts or stops.
#pragma once

#include "engine/EngineServer.h"
#include "engine/HostingRecords.h"
#include "net/webreg/RegistrationList.h"
#include "net/webreg/RegistrationSender.h"
#include "settings/TuningVariables.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace dravo {

// The built-in server list. Its host lies in a domain reserved for examples, so nothing is sent
// anywhere unless "srv_send.txt" or the operator names a real list.
inline constexpr const char* DEFAULT_REGISTRATION_URL = "http://servers.dravoserv.example/servers/server.asp";
constexpr uint32_t FIRST_REGISTRATION_MS = 7000;

// How long requests and the stop may take; tests shorten them. The stop waits at most the unregister
// wait and the sender's END_WAIT: 6 s in all; the out-of-memory end the brief wait and END_WAIT.
struct RegistrationLimits {
    HttpLimits m_Http;                                     // each request
    std::chrono::milliseconds m_UnregisterWait{5500};      // the stop waits for the unregistration
    std::chrono::milliseconds m_BriefUnregisterWait{1000}; // the out-of-memory end waits for it
};

class WebRegistrar {
public:
    // `host` and `hostAddressText` belong to the session and outlive the registrar, as `pool` (where the
    // requests are sent) does.
    WebRegistrar(const HostInfo& host, const std::string& hostAddressText, BlockingPool& pool,
                 std::filesystem::path listFile = REGISTRATION_FILE, RegistrationLimits limits = {},
                 RegistrationSender::Fetch fetch = {});

    // When hosting starts: the base URL of the built-in list and the period in seconds.
    void Configure(std::string baseUrl, uint32_t periodSeconds);

    // True when a registration batch was queued.
    bool RegistrationTick(uint32_t elapsedMs, EngineServer* server);
    // Stopping begins: from now on no registration is queued or sent; waiting ones are dropped and the
    // one under way is abandoned, so that the unregistration is the last request to every list.
    void EndRegistrations();
    // How the unregistration went.
    struct Unregistered {
        bool m_Queued = false;     // registration is on: the batch was queued
        bool m_Sent = false;       // ...and sent within the unregister wait
        bool m_LeftBehind = false; // the sender did not end in time and was left behind
    };
    // Queues the unregistration; returns once it was sent or the unregister wait passed, and the sender
    // has ended or was left behind.
    Unregistered Unregister();
    // The process is to end soon (the engine ran out of memory): the unregistration is queued as by
    // Unregister, but the wait for it is the brief one.
    Unregistered UnregisterBriefly();

    uint32_t CountdownMs() const { return m_CountdownMs; }
    uint32_t PeriodSeconds() const { return m_PeriodSeconds; }
    const std::string& BaseUrl() const { return m_BaseUrl; }
    size_t RequestsMade() const { return m_Sender.RequestsMade(); }
    // Where the requests' results are counted (not owned); before the first registration.
    void SetCounters(PresenceCounters* counters) { m_Sender.SetCounters(counters); }

private:
    bool Enabled() const;
    std::string ServerName() const;
    Unregistered UnregisterWithin(std::chrono::milliseconds wait);

    const HostInfo& m_Host;
    const std::string& m_HostAddressText;
    std::string m_BaseUrl = DEFAULT_REGISTRATION_URL;
    uint32_t m_PeriodSeconds = DEFAULT_WEB_REG_PERIOD_SECONDS;
    uint32_t m_CountdownMs = FIRST_REGISTRATION_MS;
    std::chrono::milliseconds m_UnregisterWait;
    std::chrono::milliseconds m_BriefUnregisterWait;
    RegistrationSender m_Sender;
};

} // namespace dravo
