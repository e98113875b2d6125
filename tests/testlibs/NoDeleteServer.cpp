// An engine library that lacks the DeleteServer export.
#include "TestLibExport.h"

TESTLIB_EXPORT int32_t CreateServer(int32_t, const dravo::InterfaceId*, dravo::EngineServer**) {
    return 0;
}
