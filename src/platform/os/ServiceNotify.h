// ServiceNotify: the service manager's notify protocol - one datagram of "KEY=value" lines to the socket
// NOTIFY_SOCKET names (a path, or "@name" in the abstract namespace) - and its watchdog interval.
//
// A small client of our own rather than libsystemd: the protocol is one datagram, the same source builds
// on Windows (where there is no manager to tell, and Open gives nothing), and the program keeps no link to
// a library it needs only for this. Send never blocks: a manager that does not read loses the message.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace dravo {

class ServiceNotify {
public:
    virtual ~ServiceNotify() = default;
    // Sends one message ("READY=1\nSTATUS=..."); false when the socket did not take it.
    virtual bool Send(std::string_view message) = 0;
};

// The notify socket that `socketName` (NOTIFY_SOCKET's value) names, or nothing when it is empty, too
// long or no socket can be made.
std::unique_ptr<ServiceNotify> OpenServiceNotify(const std::string& socketName);

// The watchdog interval from WATCHDOG_USEC's value, when WATCHDOG_PID's (may be empty) is this process or
// unset; nothing when there is none or either value cannot be read.
std::optional<std::chrono::microseconds> WatchdogInterval(const char* usec, const char* pid);

} // namespace dravo
