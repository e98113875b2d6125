// The open files limit on Windows: sockets and handles have no per-process limit to speak of.
#include "platform/os/OpenFiles.h"

namespace dravo {

std::optional<uint64_t> OpenFilesLimit() {
    return std::nullopt;
}

} // namespace dravo
