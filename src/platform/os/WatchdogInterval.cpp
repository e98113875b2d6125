// Reading the watchdog interval the service manager gives.
#include "platform/os/ServiceNotify.h"

#include "platform/os/ProcessId.h"

#include <charconv>
#include <cstring>

namespace dravo {
namespace {

std::optional<unsigned long long> Decimal(const char* text) {
    unsigned long long value = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    if (error != std::errc() || stop != end || text == end) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<std::chrono::microseconds> WatchdogInterval(const char* usec, const char* pid) {
    if (usec == nullptr) {
        return std::nullopt;
    }
    const std::optional<unsigned long long> interval = Decimal(usec);
    if (!interval || *interval == 0 || *interval > 24ULL * 3600 * 1000 * 1000) {
        return std::nullopt;
    }
    if (pid != nullptr && *pid != '\0') {
        const std::optional<unsigned long long> owner = Decimal(pid);
        if (!owner || *owner != CurrentProcessId()) {
            return std::nullopt; // meant for another process (a parent that passed its environment on)
        }
    }
    return std::chrono::microseconds(*interval);
}

} // namespace dravo
