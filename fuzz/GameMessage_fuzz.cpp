// Fuzzes ServerSession::HandleGameMessage: the input is a run of game messages
// separated by line feeds, each followed by one update step of a hosted session
// over a fake engine (ban list, kick queue, player table, countdown, level changes).
#include "FuzzEngine.h"
#include "FuzzSupport.h"
#include "host/session/ServerSession.h"
#include "settings/GameOptionCommands.h"
#include "support/ManualSteps.h"

#include <cstring>
#include <string>

namespace {

using namespace dravo;

struct Host {
    fuzz::ScratchFile m_Bans{"banned.txt"};
    fuzz::FuzzEngine m_Engine;
    fuzz::NullView m_View;
    fuzz::StepClock m_Clock;
    BlockingPool m_Pool;
    HostInfo m_Host{};
    GameOptions m_Options{};
    GameInfo m_Game{};
    std::atomic<bool> m_EmptyExit{true};

    Host() {
        const char bans[] = "Ace Bob\nPlayer  Zed";
        m_Bans.Write(reinterpret_cast<const uint8_t*>(bans), sizeof bans - 1);
        std::filesystem::current_path(m_Bans.Directory());
        std::strcpy(m_Host.m_ServerName, "Fuzz");
        std::strcpy(m_Host.m_ServiceName, "Tcp/ip");
        m_Host.m_MaxPlayers = 16;
        SetGameOptionsStartValues(m_Options);
        m_Game.m_LevelCount = 1;
        std::strcpy(m_Game.m_LevelNames[0], "Arena");
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Host host;
    test::ManualSteps steps(host.m_Clock);
    ServerSession session(host.m_View, host.m_Clock, host.m_Pool,
                          SessionRecords{host.m_Host, host.m_Options, host.m_Game, host.m_EmptyExit, 0}, &steps);
    if (!session.InitSession(&host.m_Engine) || !session.StartHosting()) {
        std::abort();
    }
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start <= input.size()) {
        size_t end = input.find('\n', start);
        if (end == std::string::npos) {
            end = input.size();
        }
        const std::string message = input.substr(start, end - start);
        session.OnGameText(message.c_str());
        host.m_Clock.SleepMs(9);
        {
            std::scoped_lock lock(session.Lock());
            steps.Step();
        }
        start = end + 1;
    }
    // The game always ends a level change it began; a fuzzed run may not.
    session.Lock().ReleaseLevelChanges();
    session.StopHosting();
    return 0;
}
