// An engine library whose CreateServer succeeds without giving an object.
// DeleteServer leaves a mark in the environment so tests can see it was called.
#include "TestLibExport.h"

#include <cstdlib>

TESTLIB_EXPORT int32_t CreateServer(int32_t version, const dravo::InterfaceId* id, dravo::EngineServer** server) {
    if (version != dravo::ENGINE_INTERFACE_VERSION || id == nullptr || !(*id == dravo::ServerInterfaceId)) {
        return 7;
    }
    *server = nullptr;
    return 0;
}
TESTLIB_EXPORT void DeleteServer() {
    setenv("DRAVO_TESTLIB_DELETED", "1", 1);
}
