// The open files limit on POSIX systems: RLIMIT_NOFILE.
#include "platform/os/OpenFiles.h"

#include <sys/resource.h>

namespace dravo {

std::optional<uint64_t> OpenFilesLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(limit.rlim_cur);
}

} // namespace dravo
