// The process id on POSIX systems.
#include "platform/os/ProcessId.h"

#include <unistd.h>

namespace dravo {

uint64_t CurrentProcessId() {
    return static_cast<uint64_t>(::getpid());
}

} // namespace dravo
