// The process id on Windows.
#include "platform/os/ProcessId.h"

#include <windows.h>

namespace dravo {

uint64_t CurrentProcessId() {
    return GetCurrentProcessId();
}

} // namespace dravo
