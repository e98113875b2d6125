// Exports: the two C entry points of server.so (server.dll), CreateServer and DeleteServer.
//
// The library holds at most one server object: CreateServer makes it on the
// first call and hands the same object to later calls; DeleteServer destroys
// it. Nothing else in the library is visible outside it.
#include "Server.h"
#include "engine/EngineServer.h"

#include <memory>
#include <mutex>

namespace {

constexpr int32_t CREATE_WRONG_VERSION = 1;
constexpr int32_t CREATE_WRONG_INTERFACE = 2;
constexpr int32_t CREATE_NO_OUTPUT = 3;
constexpr int32_t CREATE_FAILED = 4;

// The library's one object; only these two functions reach it.
struct LibraryState {
    std::mutex m_Mutex;
    std::unique_ptr<dravo::ref::Server> m_Server;
};

LibraryState& State() {
    static LibraryState state;
    return state;
}

} // namespace

extern "C" DRAVO_LIBRARY_EXPORT int32_t CreateServer(int32_t version, const dravo::InterfaceId* interfaceId,
                                                     dravo::EngineServer** server) {
    try {
        if (server == nullptr) {
            return CREATE_NO_OUTPUT;
        }
        *server = nullptr;
        if (version != dravo::ENGINE_INTERFACE_VERSION) {
            return CREATE_WRONG_VERSION;
        }
        if (interfaceId == nullptr || !(*interfaceId == dravo::ServerInterfaceId)) {
            return CREATE_WRONG_INTERFACE;
        }
        LibraryState& state = State();
        std::lock_guard lock(state.m_Mutex);
        if (!state.m_Server) {
            state.m_Server = std::make_unique<dravo::ref::Server>();
        }
        *server = state.m_Server.get();
        return dravo::ENGINE_STATUS_OK;
    } catch (...) {
        return CREATE_FAILED;
    }
}

extern "C" DRAVO_LIBRARY_EXPORT void DeleteServer() {
    try {
        LibraryState& state = State();
        std::unique_ptr<dravo::ref::Server> doomed;
        {
            std::lock_guard lock(state.m_Mutex);
            doomed = std::move(state.m_Server);
        }
    } catch (...) {
        // Destroying the object does not throw; a failed lock leaves it to the library's unloading.
    }
}

// The exports must match the types the front end looks them up as.
static_assert(std::is_same_v<decltype(&CreateServer), dravo::CreateServerFunction>);
static_assert(std::is_same_v<decltype(&DeleteServer), dravo::DeleteServerFunction>);
