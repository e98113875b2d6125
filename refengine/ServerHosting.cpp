// Server: hosting operations of the engine's server object (session, world, clients, datagrams).
#include "Server.h"

#include "GameProtocol.h"
#include "GameRules.h"
#include "LevelInfo.h"
#include "TextUtil.h"

#include <cstring>

namespace dravo::ref {

namespace {

constexpr const char* NO_SESSION = "No game session is open.";
constexpr const char* BIND_ADDRESS_VARIABLE = "net_bindaddress";
constexpr const char* SEED_VARIABLE = "fragseed";
constexpr const char* WORLD_EXTENSION = ".dat";
constexpr uint32_t MAX_GAME_DATAGRAM = 65507;
constexpr uint32_t LOOPBACK_ADDRESS = 0x7F000001;

// A text field of a fixed-size record: its length when it is terminated inside the field.
std::optional<size_t> TerminatedLength(const char* field, size_t size) {
    const void* end = std::memchr(field, '\0', size);
    if (end == nullptr) {
        return std::nullopt;
    }
    return static_cast<size_t>(static_cast<const char*>(end) - field);
}

// The level a world name stands for, read from the resources; empty with `error` set when it cannot be.
std::optional<LevelInfo> ReadWorld(const ResourceSet& resources, const std::string& world, std::string& error) {
    const std::optional<std::string> bytes = resources.ReadFile(world + WORLD_EXTENSION);
    if (!bytes) {
        error = "Unable to find world " + world + ".";
        return std::nullopt;
    }
    std::string problem;
    std::optional<LevelInfo> level = LevelInfo::Parse(*bytes, problem);
    if (!level) {
        error = "Unable to load world " + world + ": " + problem;
    }
    return level;
}

} // namespace

int32_t Server::OpenGameSession(const OpenGameSessionRequest* request) {
    return Guarded(BOOL_FALSE, [&] {
        if (request == nullptr) {
            return Fail(BOOL_FALSE, "OpenGameSession needs a request.");
        }
        if (request->m_GamePort > UINT16_MAX) {
            return Fail(BOOL_FALSE, "The game port " + std::to_string(request->m_GamePort) + " is not a UDP port.");
        }
        if (request->m_MaxPlayers < 1 || request->m_MaxPlayers > MAX_PLAYERS) {
            return Fail(BOOL_FALSE, "The player limit must be 1 to " + std::to_string(MAX_PLAYERS) + ".");
        }
        if (!TerminatedLength(request->m_SessionInfo, SESSION_INFO_SIZE)) {
            return Fail(BOOL_FALSE, "The session description is not terminated.");
        }
        std::string bindText;
        std::unique_ptr<GameSession> previous;
        {
            std::lock_guard lock(m_Mutex);
            if (!m_Network.Started()) {
                m_LastError = "Networking has not been started.";
                return BOOL_FALSE;
            }
            if (m_Network.Selected() != NetworkServices::TCP_IP_SERVICE_ID) {
                m_LastError = "No network service has been selected; use the TCP/IP service.";
                return BOOL_FALSE;
            }
            bindText = std::string(TextUtil::Trim(TextVariable(BIND_ADDRESS_VARIABLE)));
            // The old session's port is let go first, so the same port can be opened again.
            previous = std::move(m_Session);
        }
        previous.reset();
        const std::optional<uint32_t> bindAddress = bindText.empty() ? 0u : GameSocket::ParseAddress(bindText);
        if (!bindAddress) {
            return Fail(BOOL_FALSE, std::string(BIND_ADDRESS_VARIABLE) + " \"" + bindText +
                                        "\" is not an IPv4 address of this machine.");
        }
        const auto port =
            static_cast<uint16_t>(request->m_GamePort == 0 ? GameProtocol::DEFAULT_PORT : request->m_GamePort);
        std::string error;
        std::optional<GameSocket> socket = GameSocket::Open(*bindAddress, port, error);
        if (!socket) {
            return Fail(BOOL_FALSE, std::move(error));
        }
        const std::string line = "Game session open on UDP port " + std::to_string(socket->Port()) + " for up to " +
                                 std::to_string(request->m_MaxPlayers) + " players.";
        AppHandler* handler = nullptr;
        {
            std::lock_guard lock(m_Mutex);
            m_Session = std::make_unique<GameSession>(std::move(*socket), request->m_MaxPlayers);
            m_FrameIntervals.Reset();
            m_FailNextFrame.reset();
            m_ExhaustMemoryNextFrame = false;
            handler = m_Handler;
        }
        Deliver(handler, std::vector<std::string>{line});
        return ENGINE_TRUE;
    });
}

int32_t Server::LoadWorld(const LoadWorldRequest* request) {
    return Guarded(BOOL_FALSE, [&] {
        std::shared_ptr<const ResourceSet> resources;
        uint32_t seed = 0;
        {
            std::lock_guard lock(m_Mutex);
            if (!m_Session) {
                m_LastError = NO_SESSION;
                return BOOL_FALSE;
            }
            resources = m_Resources;
            seed = static_cast<uint32_t>(NumberVariable(SEED_VARIABLE, 1.0, 0.0, UINT32_MAX));
        }
        if (request == nullptr) {
            return Fail(BOOL_FALSE, "LoadWorld needs a request.");
        }
        const std::optional<size_t> nameLength = TerminatedLength(request->m_WorldName, WORLD_NAME_SIZE);
        if (!nameLength || *nameLength == 0) {
            return Fail(BOOL_FALSE,
                        "LoadWorld needs a world name of 1 to " + std::to_string(WORLD_NAME_SIZE - 1) + " characters.");
        }
        const std::string world(request->m_WorldName, *nameLength);
        std::string error;
        std::optional<GameRules> rules = GameRules::Parse(request->m_GameInfo, request->m_GameInfoSize, error);
        if (!rules) {
            return Fail(BOOL_FALSE, std::move(error));
        }
        std::optional<LevelInfo> worldInfo = ReadWorld(*resources, world, error);
        if (!worldInfo) {
            return Fail(BOOL_FALSE, std::move(error));
        }
        std::vector<std::string> lines;
        std::vector<std::optional<LevelInfo>> rotation;
        for (const std::string& level : rules->m_Levels) {
            std::string problem;
            rotation.push_back(ReadWorld(*resources, level, problem));
            if (!rotation.back()) {
                lines.push_back(problem + " The rotation skips it.");
            }
        }
        EngineEvents events;
        AppHandler* handler = nullptr;
        {
            std::lock_guard lock(m_Mutex);
            if (!m_Session) {
                m_LastError = NO_SESSION;
                return BOOL_FALSE;
            }
            m_Session->StartWorld(Match(std::move(*rules), world, std::move(*worldInfo), std::move(rotation), seed),
                                  events);
            handler = m_Handler;
        }
        Deliver(handler, lines);
        Deliver(handler, events);
        return ENGINE_TRUE;
    });
}

uint32_t Server::CountClients() {
    return Guarded(0u, [&] {
        std::lock_guard lock(m_Mutex);
        return m_Session ? static_cast<uint32_t>(m_Session->Clients().Count()) : 0u;
    });
}

int32_t Server::DescribeClient(uint32_t index, ClientRecord* record) {
    return Guarded(BOOL_FALSE, [&] {
        if (record == nullptr) {
            return Fail(BOOL_FALSE, "DescribeClient needs a record to fill.");
        }
        std::lock_guard lock(m_Mutex);
        const Client* client = m_Session ? m_Session->Clients().At(index) : nullptr;
        if (client == nullptr) {
            m_LastError = "There is no client at index " + std::to_string(index) + ".";
            return BOOL_FALSE;
        }
        *record = ClientRecord{};
        (void)TextUtil::CopyCut(client->m_Name, record->m_Name, sizeof record->m_Name);
        record->m_ClientId = client->m_Id;
        record->m_PingSeconds = client->m_PingSeconds;
        return ENGINE_TRUE;
    });
}

int32_t Server::DisconnectClient(uint32_t clientId) {
    return Guarded(STATUS_FAILED, [&] {
        std::lock_guard lock(m_Mutex);
        if (!m_Session || !m_Session->Disconnect(clientId)) {
            m_LastError = "There is no client with id " + std::to_string(clientId) + ".";
            return STATUS_FAILED;
        }
        return ENGINE_STATUS_OK;
    });
}

int32_t Server::QueryHostAddress(char* buffer, uint32_t size, uint16_t* port) {
    return Guarded(BOOL_FALSE, [&] {
        (void)TextUtil::CopyCut("", buffer, size);
        if (port != nullptr) {
            *port = 0;
        }
        uint32_t bound = 0;
        uint16_t gamePort = 0;
        {
            std::lock_guard lock(m_Mutex);
            if (!m_Session) {
                m_LastError = NO_SESSION;
                return BOOL_FALSE;
            }
            bound = m_Session->Socket().BoundAddress();
            gamePort = m_Session->Socket().Port();
        }
        if (buffer == nullptr || size == 0 || port == nullptr) {
            return Fail(BOOL_FALSE, "QueryHostAddress needs a buffer and a place for the port.");
        }
        // Bound to every address: name the one others most likely reach, loopback when there is no other.
        const uint32_t address = bound != 0 ? bound : GameSocket::FirstExternalAddress().value_or(LOOPBACK_ADDRESS);
        (void)TextUtil::CopyCut(GameSocket::AddressText(address), buffer, size);
        *port = gamePort;
        return ENGINE_TRUE;
    });
}

int32_t Server::SendGameDatagram(const void* data, uint32_t length, const char* address, uint32_t port) {
    return Guarded(BOOL_FALSE, [&] {
        if (data == nullptr || length == 0 || length > MAX_GAME_DATAGRAM) {
            return Fail(BOOL_FALSE, "SendGameDatagram needs 1 to " + std::to_string(MAX_GAME_DATAGRAM) + " bytes.");
        }
        if (port == 0 || port > UINT16_MAX) {
            return Fail(BOOL_FALSE, "SendGameDatagram needs a UDP port.");
        }
        {
            std::lock_guard lock(m_Mutex);
            if (!m_Session) {
                m_LastError = NO_SESSION;
                return BOOL_FALSE;
            }
        }
        // Resolved without the lock: a name lookup may take a while.
        const std::optional<uint32_t> destination = GameSocket::Resolve(address);
        if (!destination) {
            return Fail(BOOL_FALSE, std::string("Unable to find the IPv4 address of ") +
                                        (address != nullptr ? address : "(none)") + ".");
        }
        std::lock_guard lock(m_Mutex);
        if (!m_Session) {
            m_LastError = NO_SESSION;
            return BOOL_FALSE;
        }
        const std::string_view bytes(static_cast<const char*>(data), length);
        if (!m_Session->Send(bytes, PeerAddress{*destination, static_cast<uint16_t>(port)})) {
            m_LastError = "Unable to send a datagram to " + GameSocket::AddressText(*destination) + ":" +
                          std::to_string(port) + ".";
            return BOOL_FALSE;
        }
        return ENGINE_TRUE;
    });
}

} // namespace dravo::ref
