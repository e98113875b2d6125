// The id of this process, as the system numbers it.
#pragma once

#include <cstdint>

namespace dravo {

uint64_t CurrentProcessId();

} // namespace dravo
