// Loading the engine's server library and creating its server object.
#include "engine/loader/ServerLibrary.h"

namespace dravo {

bool ServerLibrary::LoadServerLibrary(const std::string& path) {
    if (m_Created && m_Server != nullptr) {
        return true;
    }
    UnloadServerLibrary();

    if (!m_Library.Open(path)) {
        m_Failure = LoadFailure::LibraryNotLoaded;
        m_FailureText = m_Library.Error();
        return false;
    }
    // The exports are data pointers to dlsym; converting them to functions is how dlsym is used.
    auto createServer = reinterpret_cast<CreateServerFunction>(m_Library.Symbol(CREATE_SERVER_EXPORT));
    auto deleteServer = reinterpret_cast<DeleteServerFunction>(m_Library.Symbol(DELETE_SERVER_EXPORT));
    if (createServer == nullptr || deleteServer == nullptr) {
        m_Library.Close();
        m_Failure = LoadFailure::ExportMissing;
        m_FailureText = std::string("the library does not export ") +
                        (createServer == nullptr ? CREATE_SERVER_EXPORT : DELETE_SERVER_EXPORT);
        return false;
    }

    EngineServer* server = nullptr;
    const int32_t status = createServer(ENGINE_INTERFACE_VERSION, &ServerInterfaceId, &server);
    if (status != ENGINE_STATUS_OK) {
        m_Library.Close();
        m_Failure = LoadFailure::CreateFailed;
        m_FailureText = "CreateServer reported failure " + std::to_string(status);
        return false;
    }
    m_DeleteServer = deleteServer;
    m_Server = server;
    m_Created = true;
    m_Failure = LoadFailure::None;
    m_FailureText.clear();
    return true;
}

void ServerLibrary::UnloadServerLibrary() {
    if (m_Created && m_DeleteServer != nullptr) {
        m_DeleteServer();
    }
    m_Server = nullptr;
    m_DeleteServer = nullptr;
    m_Created = false;
    m_Library.Close();
}

} // namespace dravo
