// An engine library whose CreateServer reports failure.
#include "TestLibExport.h"

TESTLIB_EXPORT int32_t CreateServer(int32_t, const dravo::InterfaceId*, dravo::EngineServer** server) {
    *server = nullptr;
    return 5;
}
TESTLIB_EXPORT void DeleteServer() {}
