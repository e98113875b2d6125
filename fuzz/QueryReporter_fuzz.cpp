// Fuzzes the query tokenizer and handler: the input is a query arriving on the
// game-port road, answered through a fake send hook by a status reporter over a
// game with players. Every datagram fits the packet buffer and ends with its query id.
#include "net/query/SendHook.h"
#include "net/query/ServerStatusReporter.h"
#include "support/TableStatus.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using namespace dravo;

class CheckingHook final : public SendHook {
public:
    bool SendDatagram(const char* data, size_t length, const NetPeer& to) override {
        const std::string_view datagram(data, length);
        if (length == 0 || length >= 4160 || datagram.find("\\queryid\\") == std::string_view::npos ||
            datagram.find('\0') != std::string_view::npos || to.m_Port == 0) {
            std::abort();
        }
        return true;
    }
};

class FixedClock final : public IClock {
public:
    uint32_t NowMs() const override { return m_Now; }
    void SleepMs(uint32_t milliseconds) override { m_Now += milliseconds; }
    uint32_t m_Now = 1000;
};

struct Game {
    FixedClock m_Clock;
    HostInfo m_Host{};
    GameInfo m_Info{};
    GameOptions m_Options{};
    test::TableStatus m_Status;
    CheckingHook m_Hook;
    BlockingPool m_Pool;
    ServerStatusReporter m_Reporter{m_Clock, m_Pool, StatusSources{m_Host, m_Info, m_Options, m_Status}};

    Game() {
        std::strcpy(m_Host.m_ServerName, "Fuzz \\ Server");
        m_Host.m_MaxPlayers = 128;
        m_Info.m_EndType = END_AFTER_FRAGS;
        m_Info.m_EndFrags = 25;
        std::strcpy(m_Options.m_WorldColorNight, "0.5 0.5 0.5");
        QueryReporterOptions options;
        options.m_MasterHostPattern = "127.0.0.1";
        options.m_Limits.m_Burst = 0;
        options.m_Limits.m_GlobalPerSecond = 0;
        options.m_Limits.m_GlobalBytesPerSecond = 0;
        options.m_A2s = false; // GameSpy alone here: A2sQuery_fuzz takes the A2S form
        m_Reporter.SetOptions(options);
        // Port 0: a free query port; everything is sent through the hook, never through it.
        if (!m_Reporter.Initialize("dravo", "dravo 2.1", "TbWqXe", 0, 27888, 0, 1)) {
            std::abort();
        }
        m_Reporter.SetSendHook(&m_Hook);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Game game;
    if (size == 0) {
        return 0;
    }
    // The first byte sets the number of players (up to the table's 130), with long names of every kind.
    const int32_t players = data[0] % 131;
    if (game.m_Status.PlayerCount() != players) {
        game.m_Status.SetCount(0);
        for (int32_t i = 0; i < players; ++i) {
            const std::string name = (i % 3 == 0 ? "Back\\slash" : "Player") + std::to_string(i) + std::string(40, 'x');
            game.m_Status.Add(name, i * 1000003, i * 7);
        }
    }
    const std::string query(reinterpret_cast<const char*>(data + 1), size - 1);
    (void)game.m_Reporter.HandleExternalQuery(NetPeer{0x7F000002, 27901}, query.c_str(), query.size());
    (void)game.m_Reporter.Process();
    game.m_Clock.m_Now += 9;
    return 0;
}
