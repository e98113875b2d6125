// Local time on POSIX systems: localtime_r, whose fields carry the offset.
#include "platform/os/LocalTime.h"

namespace dravo {

LocalTime ToLocalTime(std::time_t moment) {
    LocalTime local;
    localtime_r(&moment, &local.m_Fields);
    local.m_UtcOffsetSeconds = local.m_Fields.tm_gmtoff;
    return local;
}

} // namespace dravo
