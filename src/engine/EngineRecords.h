// Records exchanged with the engine server library, laid out byte for byte.
//
// The offsets are those of the 32-bit library; on 64-bit targets pointers take
// their natural width and the fields behind them move accordingly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dravo {

struct GameInfo;

// One entry of the network service list (ListServices / ReleaseServices).
struct ServiceRecord {
    uint32_t m_Id;          // service id handed back to UseService; 0 is never valid
    uint8_t m_Reserved[20]; // not used by the front end
    char m_Name[128];       // the service's own name, zero-terminated
    ServiceRecord* m_Next;  // next entry, null at the end
};

// One entry of a resource directory listing (ListResourceDir / ReleaseResourceDir).
struct DirEntry {
    int32_t m_Kind;      // DIR_ENTRY_FILE for a file, anything else is not a file
    const char* m_Name;  // file name, zero-terminated
    uint32_t m_Reserved; // not used by the front end
    DirEntry* m_Next;    // next entry, null at the end
};

constexpr int32_t DIR_ENTRY_FILE = 1;
constexpr int32_t DIR_ENTRY_DIRECTORY = 2;

// One connected client as DescribeClient reports it.
struct ClientRecord {
    char m_Name[64];     // player name, zero-terminated
    uint32_t m_ClientId; // the id DisconnectClient takes
    float m_PingSeconds; // round-trip time in seconds
};

constexpr size_t SESSION_INFO_SIZE = 4160;

// Handed to OpenGameSession; zero-filled before use.
struct OpenGameSessionRequest {
    uint32_t m_GamePort;                   // 0 lets the engine choose its default port
    uint32_t m_Reserved;                   // always 0
    uint32_t m_MaxPlayers;                 // player limit
    char m_SessionInfo[SESSION_INFO_SIZE]; // tagged fields NAME, HOST, LEVL, TYPE
};

constexpr size_t WORLD_NAME_SIZE = 100;
constexpr uint32_t GAME_INFO_SIZE = 6416;

// Handed to LoadWorld; zero-filled before use.
struct LoadWorldRequest {
    uint32_t m_Reserved0;              // always 0
    char m_WorldName[WORLD_NAME_SIZE]; // first level of the rotation
    char m_Text2[WORLD_NAME_SIZE];     // empty
    char m_Text3[WORLD_NAME_SIZE];     // empty
    char m_Text4[WORLD_NAME_SIZE];     // empty
    uint32_t m_Reserved404;            // always 0
    uint8_t m_Reserved408[4172];       // zero
    uint32_t m_Reserved4580;           // always 0
    const GameInfo* m_GameInfo;        // rule of the game and level rotation
    uint32_t m_GameInfoSize;           // GAME_INFO_SIZE
};

static_assert(sizeof(OpenGameSessionRequest) == 4172);
static_assert(offsetof(OpenGameSessionRequest, m_SessionInfo) == 12);
static_assert(offsetof(ServiceRecord, m_Name) == 24);
static_assert(offsetof(ServiceRecord, m_Next) == 152);
static_assert(offsetof(ClientRecord, m_ClientId) == 64);
static_assert(offsetof(ClientRecord, m_PingSeconds) == 68);
static_assert(offsetof(LoadWorldRequest, m_WorldName) == 4);
static_assert(offsetof(LoadWorldRequest, m_Reserved404) == 404);
static_assert(offsetof(LoadWorldRequest, m_Reserved4580) == 4580);
static_assert(offsetof(LoadWorldRequest, m_GameInfo) == 4584);

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(DirEntry, m_Name) == 4);
static_assert(offsetof(DirEntry, m_Next) == 12);
static_assert(sizeof(ServiceRecord) == 156);
static_assert(offsetof(LoadWorldRequest, m_GameInfoSize) == 4588);
static_assert(sizeof(LoadWorldRequest) == 4592);
#else
static_assert(offsetof(DirEntry, m_Name) == sizeof(void*));
static_assert(offsetof(DirEntry, m_Next) == 3 * sizeof(void*));
static_assert(offsetof(LoadWorldRequest, m_GameInfoSize) == 4584 + sizeof(void*));
#endif

} // namespace dravo
