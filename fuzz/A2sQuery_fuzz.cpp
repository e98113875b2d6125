// Fuzzes the A2S reader and answers: the input is a datagram arriving on the game-port road, answered
// through a checking send hook by a status reporter over a game with players. The second input byte can
// put the last challenge the reporter gave into the request's last four bytes, so that the answers behind
// the challenge are reached too. Every answer is one datagram in the A2S form within the longest answer,
// and a challenge answer is exactly its nine bytes.
#include "net/query/A2sPacket.h"
#include "net/query/SendHook.h"
#include "net/query/ServerStatusReporter.h"
#include "support/TableStatus.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using namespace dravo;

constexpr size_t SMALLEST_ANSWER = 6;

class CheckingHook final : public SendHook {
public:
    bool SendDatagram(const char* data, size_t length, const NetPeer& to) override {
        const std::string_view datagram(data, length);
        if (to.m_Port == 27900 || datagram.starts_with('\\')) {
            return true; // a heartbeat to the master, or a GameSpy answer (QueryReporter_fuzz checks those)
        }
        // The smallest answer is the players answer of an empty game: the header, its kind and a count of 0.
        if (length < SMALLEST_ANSWER || length > a2s::MAX_ANSWER || !a2s::IsA2sDatagram(datagram) || to.m_Port == 0) {
            std::abort();
        }
        const auto kind = static_cast<uint8_t>(datagram[4]);
        if (kind == a2s::CHALLENGE_ANSWER) {
            if (length != a2s::CHALLENGE_ANSWER_SIZE) {
                std::abort();
            }
            std::memcpy(m_Challenge, data + 5, 4);
        } else if (kind == a2s::PLAYER_ANSWER && length == SMALLEST_ANSWER && datagram[5] != 0) {
            std::abort(); // a players answer that counts players it does not hold
        } else if (kind != a2s::INFO_ANSWER && kind != a2s::PLAYER_ANSWER && kind != a2s::RULES_ANSWER) {
            std::abort();
        }
        return true;
    }
    char m_Challenge[4] = {};
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
        std::memset(m_Host.m_ServerName, 'N', sizeof m_Host.m_ServerName - 1); // the longest name
        m_Host.m_MaxPlayers = 300;                                             // more than a count byte holds
        m_Info.m_EndType = END_AFTER_FRAGS;
        m_Info.m_EndFrags = 25;
        QueryReporterOptions options;
        options.m_MasterHostPattern = "127.0.0.1";
        options.m_Limits.m_Burst = 0;
        options.m_Limits.m_GlobalPerSecond = 0;
        options.m_Limits.m_GlobalBytesPerSecond = 0;
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
    if (size < 2) {
        return 0;
    }
    // The first byte sets the number of players (up to the table's 130), with long names.
    const int32_t players = data[0] % 131;
    if (game.m_Status.PlayerCount() != players) {
        game.m_Status.SetCount(0);
        for (int32_t i = 0; i < players; ++i) {
            game.m_Status.Add("Player" + std::to_string(i) + std::string(i % 64, 'x'), i * 1000003, i * 7);
        }
    }
    std::string request(reinterpret_cast<const char*>(data + 2), size - 2);
    if ((data[1] & 1) != 0 && request.size() >= 4) {
        std::memcpy(request.data() + request.size() - 4, game.m_Hook.m_Challenge, 4);
    }
    (void)game.m_Reporter.HandleExternalQuery(NetPeer{0x7F000002, 27901}, request.data(), request.size());
    (void)game.m_Reporter.Process();
    game.m_Clock.m_Now += 9 + data[1] * 64u; // and now and then past a challenge's life
    return 0;
}
