// Shared bits of the purpose-built engine libraries that the loader tests load.
#pragma once

#include "engine/EngineServer.h"

#define TESTLIB_EXPORT extern "C" DRAVO_LIBRARY_EXPORT
