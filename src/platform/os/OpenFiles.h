// OpenFiles: how many descriptors the process may have open at once (its soft limit).
#pragma once

#include <cstdint>
#include <optional>

namespace dravo {

// Nothing when the system sets no such limit (Windows) or it is unbounded.
std::optional<uint64_t> OpenFilesLimit();

} // namespace dravo
