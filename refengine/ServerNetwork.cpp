// Server: the network services of the engine's server object.
#include "Server.h"

namespace dravo::ref {

int32_t Server::StartNetworking(uint32_t /*reserved1*/, uint32_t /*reserved2*/) {
    return Guarded(BOOL_FALSE, [&] {
        std::lock_guard lock(m_Mutex);
        m_Network.Start();
        return ENGINE_TRUE;
    });
}

int32_t Server::ListServices(ServiceRecord** first) {
    return Guarded(BOOL_FALSE, [&] {
        if (first == nullptr) {
            return Fail(BOOL_FALSE, "ListServices needs a place for the list.");
        }
        *first = nullptr;
        std::lock_guard lock(m_Mutex);
        if (!m_Network.Started()) {
            m_LastError = "Networking has not been started.";
            return BOOL_FALSE;
        }
        *first = m_Lists.KeepServices(NetworkServices::All());
        return *first != nullptr ? ENGINE_TRUE : BOOL_FALSE;
    });
}

int32_t Server::ReleaseServices(ServiceRecord* first) {
    return Guarded(STATUS_FAILED, [&] {
        if (first == nullptr) {
            return ENGINE_STATUS_OK;
        }
        std::lock_guard lock(m_Mutex);
        if (!m_Lists.ReleaseServices(first)) {
            m_LastError = "ReleaseServices was given a list this engine did not hand out.";
            return STATUS_FAILED;
        }
        return ENGINE_STATUS_OK;
    });
}

int32_t Server::UseService(uint32_t serviceId) {
    return Guarded(BOOL_FALSE, [&] {
        std::lock_guard lock(m_Mutex);
        std::string error;
        if (!m_Network.Use(serviceId, error)) {
            m_LastError = std::move(error);
            return BOOL_FALSE;
        }
        return ENGINE_TRUE;
    });
}

} // namespace dravo::ref
