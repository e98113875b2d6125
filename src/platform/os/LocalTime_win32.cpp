// Local time on Windows: localtime_s, and the offset as the local fields read as UTC less the moment.
#include "platform/os/LocalTime.h"

namespace dravo {

LocalTime ToLocalTime(std::time_t moment) {
    LocalTime local;
    if (localtime_s(&local.m_Fields, &moment) != 0) {
        gmtime_s(&local.m_Fields, &moment);
        return local;
    }
    std::tm asUtc = local.m_Fields;
    local.m_UtcOffsetSeconds = static_cast<long>(_mkgmtime(&asUtc) - moment);
    return local;
}

} // namespace dravo
