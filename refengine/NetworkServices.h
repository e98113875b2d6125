// NetworkServices: the network services the engine offers and the one in use.
//
// Only the TCP/IP service works on this platform; the others are listed so
// that an operator sees them, and refuse to start with a reason.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace dravo::ref {

class NetworkServices {
public:
    struct Service {
        uint32_t m_Id;         // never 0
        const char* m_Name;    // shown to the operator
        const char* m_Refusal; // why it cannot be used here; null when it can
    };
    static constexpr uint32_t TCP_IP_SERVICE_ID = 1;

    void Start() { m_Started = true; }
    bool Started() const { return m_Started; }
    static std::span<const Service> All();
    // Selects a service; false with `error` set when it is unknown or refuses.
    [[nodiscard]] bool Use(uint32_t serviceId, std::string& error);
    // The selected service's id, 0 when none.
    uint32_t Selected() const { return m_Selected; }

private:
    bool m_Started = false;
    uint32_t m_Selected = 0;
};

} // namespace dravo::ref
