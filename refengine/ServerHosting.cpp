// Server: hosting operations of the engine's server object.
//
// This build of the engine has no game session yet: each operation answers as
// it would with no session open, so the front end reports a clear failure
// instead of hosting a game that does not run.
#include "Server.h"

#include "TextUtil.h"

namespace dravo::ref {

namespace {

constexpr const char* NO_SESSION = "No game session is open.";
constexpr const char* NO_HOSTING = "This build of the engine cannot host a game session yet.";

} // namespace

int32_t Server::OpenGameSession(const OpenGameSessionRequest* request) {
    return Guarded(BOOL_FALSE, [&] {
        if (request == nullptr) {
            return Fail(BOOL_FALSE, "OpenGameSession needs a request.");
        }
        return Fail(BOOL_FALSE, NO_HOSTING);
    });
}

int32_t Server::LoadWorld(const LoadWorldRequest* /*request*/) {
    return Guarded(BOOL_FALSE, [&] { return Fail(BOOL_FALSE, NO_SESSION); });
}

int32_t Server::RunFrame(uint32_t /*flags*/) {
    return Guarded(BOOL_FALSE, [&] { return Fail(BOOL_FALSE, NO_SESSION); });
}

uint32_t Server::CountClients() {
    return 0;
}

int32_t Server::DescribeClient(uint32_t index, ClientRecord* /*record*/) {
    return Guarded(BOOL_FALSE,
                   [&] { return Fail(BOOL_FALSE, "There is no client at index " + std::to_string(index) + "."); });
}

int32_t Server::DisconnectClient(uint32_t clientId) {
    return Guarded(STATUS_FAILED,
                   [&] { return Fail(STATUS_FAILED, "There is no client with id " + std::to_string(clientId) + "."); });
}

int32_t Server::QueryHostAddress(char* buffer, uint32_t size, uint16_t* port) {
    return Guarded(BOOL_FALSE, [&] {
        (void)TextUtil::CopyCut("", buffer, size);
        if (port != nullptr) {
            *port = 0;
        }
        return Fail(BOOL_FALSE, NO_SESSION);
    });
}

int32_t Server::SendGameDatagram(const void* /*data*/, uint32_t /*length*/, const char* /*address*/,
                                 uint32_t /*port*/) {
    return Guarded(BOOL_FALSE, [&] { return Fail(BOOL_FALSE, NO_SESSION); });
}

int32_t Server::PostToGame(const char* /*text*/) {
    return Guarded(STATUS_FAILED, [&] { return Fail(STATUS_FAILED, NO_SESSION); });
}

} // namespace dravo::ref
