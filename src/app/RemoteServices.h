// RemoteServices: the remote console and the metrics endpoint, wired to the running game.
//
// Start-up starts them on the window thread once hosting has started, each only when the operator
// switched it on, and stops them there when the console window has closed, before the session goes.
#pragma once

#include "platform/os/Clock.h"
#include "services/metrics/MetricsServer.h"
#include "services/rcon/RemoteConsole.h"
#include "ui/ConsoleWindow.h"

#include <memory>

namespace dravo {

class RemoteServices {
public:
    explicit RemoteServices(IClock& clock) : m_Clock(clock) {}
    ~RemoteServices() { Stop(); }
    RemoteServices(const RemoteServices&) = delete;
    RemoteServices& operator=(const RemoteServices&) = delete;

    // Reads their options from the engine and starts those that are on; nothing when hosting failed.
    void Start(ConsoleWindow& console);
    void Stop();

private:
    IClock& m_Clock;
    std::unique_ptr<RemoteConsole> m_Console;
    std::unique_ptr<MetricsServer> m_Metrics;
};

} // namespace dravo
