// The registration countdown and the two kinds of batch.
#include "net/webreg/WebRegistrar.h"

#include "net/webreg/RegistrationQuery.h"
#include "platform/os/Text.h"

#include <cstring>

namespace dravo {

WebRegistrar::WebRegistrar(const HostInfo& host, const std::string& hostAddressText, BlockingPool& pool,
                           std::filesystem::path listFile, RegistrationLimits limits, RegistrationSender::Fetch fetch)
    : m_Host(host), m_HostAddressText(hostAddressText), m_UnregisterWait(limits.m_UnregisterWait),
      m_BriefUnregisterWait(limits.m_BriefUnregisterWait),
      m_Sender(std::move(listFile), pool, std::move(fetch), limits.m_Http) {}

void WebRegistrar::Configure(std::string baseUrl, uint32_t periodSeconds) {
    m_BaseUrl = std::move(baseUrl);
    m_PeriodSeconds = periodSeconds;
}

bool WebRegistrar::Enabled() const {
    return m_Host.m_WebRegistration != 0 && !m_HostAddressText.empty();
}

std::string WebRegistrar::ServerName() const {
    return std::string(BoundedText(m_Host.m_ServerName, sizeof m_Host.m_ServerName));
}

bool WebRegistrar::RegistrationTick(uint32_t elapsedMs, EngineServer* server) {
    if (server == nullptr || !Enabled() || m_Sender.RegistrationsEnded()) {
        return false;
    }
    m_CountdownMs = elapsedMs < m_CountdownMs ? m_CountdownMs - elapsedMs : 0;
    if (m_CountdownMs != 0) {
        return false;
    }
    // The excess of the elapsed time is not carried over.
    m_CountdownMs = m_PeriodSeconds * 1000u;
    const int players = static_cast<int>(server->CountClients());
    // Refused when the stop has begun since the check above.
    return m_Sender.Post(m_BaseUrl, RegistrationQuery(ServerName(), m_HostAddressText, players));
}

void WebRegistrar::EndRegistrations() {
    m_Sender.EndRegistrations();
}

WebRegistrar::Unregistered WebRegistrar::Unregister() {
    return UnregisterWithin(m_UnregisterWait);
}

WebRegistrar::Unregistered WebRegistrar::UnregisterBriefly() {
    return UnregisterWithin(m_BriefUnregisterWait);
}

WebRegistrar::Unregistered WebRegistrar::UnregisterWithin(std::chrono::milliseconds wait) {
    Unregistered result;
    if (Enabled()) {
        m_Sender.PostLast(m_BaseUrl, RegistrationQuery(ServerName(), m_HostAddressText, UNREGISTRATION_PLAYERS));
        result.m_Queued = true;
    }
    const RegistrationSender::Finished finished = m_Sender.Finish(wait);
    result.m_Sent = result.m_Queued && finished.m_Sent;
    result.m_LeftBehind = !finished.m_Ended;
    return result;
}

} // namespace dravo
