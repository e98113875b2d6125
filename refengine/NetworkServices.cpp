// NetworkServices: the network services the engine offers and the one in use.
#include "NetworkServices.h"

namespace dravo::ref {

namespace {

// TCP/IP first, and first too in a list sorted by name (the setup sorts it), so that a first run starts
// on the one service that can host. The others say in their names that they cannot; the TCP/IP name
// stays as saved configurations know it.
constexpr NetworkServices::Service SERVICES[] = {
    {NetworkServices::TCP_IP_SERVICE_ID, "TCP/IP Internet Service", nullptr},
    {2, "Unavailable: IPX Network Service", "IPX networking is not available on this system; use the TCP/IP service."},
    {3, "Unavailable: Modem Service", "Modem play is not available on this system; use the TCP/IP service."},
};

} // namespace

std::span<const NetworkServices::Service> NetworkServices::All() {
    return SERVICES;
}

bool NetworkServices::Use(uint32_t serviceId, std::string& error) {
    if (!m_Started) {
        error = "Networking has not been started.";
        return false;
    }
    for (const Service& service : SERVICES) {
        if (service.m_Id != serviceId) {
            continue;
        }
        if (service.m_Refusal != nullptr) {
            error = service.m_Refusal;
            return false;
        }
        m_Selected = serviceId;
        return true;
    }
    error = "There is no network service with the id " + std::to_string(serviceId) + ".";
    return false;
}

} // namespace dravo::ref
