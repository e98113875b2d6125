// EngineServer: the server object of the engine's server library.
//
// Contract. The library exports CreateServer and DeleteServer with C linkage.
// CreateServer(ENGINE_INTERFACE_VERSION, &ServerInterfaceId, &object) fills the
// object pointer and returns 0; DeleteServer() destroys the one object. The
// object's operations form a virtual table in exactly the order below; a
// replacement library must keep that order. "Status" operations return
// ENGINE_STATUS_OK (0) on success, "bool" operations ENGINE_TRUE (1).
// The front end owns nothing the engine returns: lists handed out by
// ListServices and ListResourceDir go back through their Release operation.
// No exception crosses this boundary in either direction.
#pragma once

#include "engine/EngineRecords.h"

#include <cstdint>

namespace dravo {

class AppHandler;

struct InterfaceId {
    uint32_t m_Data1;
    uint16_t m_Data2;
    uint16_t m_Data3;
    uint8_t m_Data4[8];

    friend bool operator==(const InterfaceId&, const InterfaceId&) = default;
};

// {87EEDE80-0ED4-11D2-BA96-006008904776}
// NOLINTNEXTLINE(readability-identifier-naming): the name the engine's own interface gives it
inline constexpr InterfaceId ServerInterfaceId = {
    0x87EEDE80u, 0x0ED4u, 0x11D2u, {0xBA, 0x96, 0x00, 0x60, 0x08, 0x90, 0x47, 0x76}};

constexpr int32_t ENGINE_INTERFACE_VERSION = 2;
constexpr int32_t ENGINE_STATUS_OK = 0;
constexpr int32_t ENGINE_TRUE = 1;

// Opaque handle of one console variable.
using VariableHandle = void*;

class EngineServer {
public:
    virtual int32_t AttachHandler(AppHandler* handler) = 0;
    // Runs one console command line; unknown commands are reported through OnConsoleLine.
    virtual int32_t ExecuteCommand(const char* command) = 0;
    // Status: finds a console variable. valueText has no meaning the front end relies on.
    virtual int32_t FindVariable(const char* name, VariableHandle* handle, const char* valueText) = 0;
    // Status: the variable's text read as a number.
    virtual int32_t ReadVariableFloat(VariableHandle handle, float* value) = 0;
    // Status: the variable's text, cut to size - 1 characters and terminated.
    virtual int32_t ReadVariableText(VariableHandle handle, char* buffer, uint32_t size) = 0;
    // Status: loads console variables from a file written by WriteVariablesFile.
    virtual int32_t ReadVariablesFile(const char* path) = 0;
    // Status: saves every console variable, atomically.
    virtual int32_t WriteVariablesFile(const char* path) = 0;
    // Hands a plain command text to the game code.
    virtual int32_t PostToGame(const char* text) = 0;
    // Bool: mounts resource archives and directories, in order.
    virtual int32_t MountResources(const char* const* names, uint32_t count) = 0;
    // First entry of a resource directory ("\" is the root), or null.
    virtual DirEntry* ListResourceDir(const char* directory) = 0;
    virtual int32_t ReleaseResourceDir(DirEntry* first) = 0;
    // Bool: starts the world named in the request.
    virtual int32_t LoadWorld(const LoadWorldRequest* request) = 0;
    virtual uint32_t CountClients() = 0;
    // Bool: describes the client at index 0 .. CountClients() - 1.
    virtual int32_t DescribeClient(uint32_t index, ClientRecord* record) = 0;
    virtual int32_t DisconnectClient(uint32_t clientId) = 0;
    // Copies the text of the last error, cut to size - 1 characters.
    virtual int32_t LastErrorText(char* buffer, uint32_t size) = 0;
    // Bool: runs one frame; false is fatal.
    virtual int32_t RunFrame(uint32_t flags) = 0;
    // Bool: prepares the network services.
    virtual int32_t StartNetworking(uint32_t reserved1, uint32_t reserved2) = 0;
    // Bool: the list of network services in *first.
    virtual int32_t ListServices(ServiceRecord** first) = 0;
    virtual int32_t ReleaseServices(ServiceRecord* first) = 0;
    // Bool: selects the network service with this id.
    virtual int32_t UseService(uint32_t serviceId) = 0;
    // Bool: opens the game session on the game port.
    virtual int32_t OpenGameSession(const OpenGameSessionRequest* request) = 0;
    // The host address text (cut to size) and the game port.
    virtual int32_t QueryHostAddress(char* buffer, uint32_t size, uint16_t* port) = 0;
    // Sends a datagram from the game port to a dotted address or host name.
    virtual int32_t SendGameDatagram(const void* data, uint32_t length, const char* address, uint32_t port) = 0;
    // Three operations the front end never calls.
    virtual int32_t Reserved1() = 0;
    virtual int32_t Reserved2() = 0;
    virtual int32_t Reserved3() = 0;

protected:
    ~EngineServer() = default;
};

// Exports of the library, looked up by name.
using CreateServerFunction = int32_t (*)(int32_t version, const InterfaceId* interfaceId, EngineServer** server);
using DeleteServerFunction = void (*)();

inline constexpr const char* CREATE_SERVER_EXPORT = "CreateServer";
inline constexpr const char* DELETE_SERVER_EXPORT = "DeleteServer";

} // namespace dravo
