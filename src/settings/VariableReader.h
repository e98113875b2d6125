// Reading one console variable from the engine's store, for the options that services read when
// hosting starts. What is absent, unreadable or out of range gives nothing, and the caller keeps its
// default. Window thread.
#pragma once

#include "engine/EngineServer.h"

#include <cstddef>
#include <optional>
#include <string>

namespace dravo {

// A number from `low` to `high` (NaN never is one).
std::optional<double> ReadNumberVariable(EngineServer& server, const char* name, double low, double high);
// A non-empty text, cut to `size` - 1 characters.
std::optional<std::string> ReadTextVariable(EngineServer& server, const char* name, size_t size = 256);

} // namespace dravo
