// ServerLibrary: loads the engine's server library and owns its one server object.
//
// Runs on the window thread only. The server object is deleted (DeleteServer)
// before the library is unloaded; the destructor does both.
#pragma once

#include "engine/EngineServer.h"
#include "platform/os/DynamicLibrary.h"

#include <string>

namespace dravo {

enum class LoadFailure {
    None,
    LibraryNotLoaded, // the file is missing or is no loadable library
    ExportMissing,    // CreateServer or DeleteServer is not exported
    CreateFailed,     // CreateServer reported failure
};

class ServerLibrary {
public:
    ServerLibrary() = default;
    ~ServerLibrary() { UnloadServerLibrary(); }
    ServerLibrary(const ServerLibrary&) = delete;
    ServerLibrary& operator=(const ServerLibrary&) = delete;

    // Loads the library and creates the server object; true when CreateServer
    // succeeded (the object may still be missing: see GetServer).
    [[nodiscard]] bool LoadServerLibrary(const std::string& path);
    // The server object, or null.
    EngineServer* GetServer() const { return m_Server; }
    // Deletes the server object and unloads the library; safe to repeat.
    void UnloadServerLibrary();

    LoadFailure Failure() const { return m_Failure; }
    // A readable reason for the last failure, for logs and diagnostics.
    const std::string& FailureText() const { return m_FailureText; }

private:
    DynamicLibrary m_Library;
    DeleteServerFunction m_DeleteServer = nullptr;
    EngineServer* m_Server = nullptr;
    bool m_Created = false;
    LoadFailure m_Failure = LoadFailure::None;
    std::string m_FailureText;
};

} // namespace dravo
