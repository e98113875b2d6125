// Resident memory of dravoserv hosting the sample game with 16 bot players, and
// the front end's own share of it.
//
// Method: in the same run a second process, this program in its "--bare-host"
// mode, loads server.so the same way (dlopen), reads the same configuration,
// mounts the same resources, opens the same session, starts the same world and
// runs frames every 9 ms with its own 16 bots; it has no console window, no
// session object, no wizard and no presence. Both processes map the same shared
// libraries and run the same engine with the same players, so the difference of
// their resident sizes is what the front end adds. Private memory (smaps_rollup)
// is shown beside the resident size, as shared library pages count in both.
// Goal: the front end's share at most 8 MB.
#include "engine/AppHandler.h"
#include "engine/HostingRecords.h"
#include "engine/loader/ServerLibrary.h"
#include "support/BenchGame.h"
#include "support/Figures.h"
#include "support/LoopbackPorts.h"
#include "support/ProcStats.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <thread>
#include <unistd.h>

using namespace dravo;
using namespace dravo::bench;

namespace {

constexpr int PLAYERS = 16;

class QuietHandler final : public AppHandler {
public:
    int32_t OnGameText(const char*) override { return 0; }
    int32_t OnConsoleLine(const char*) override { return 0; }
    int32_t OnMemoryExhausted() override { return 0; }
    int32_t OnForeignDatagram(const void*, uint32_t, const uint8_t[4], uint16_t) override { return 0; }
};

volatile std::sig_atomic_t g_Stop = 0;

constexpr const char* BARE_RUNNING = "Bare host running on port ";

// The bare host: the engine alone, hosting the game in the current directory on a port of its own
// (opened again on another while the engine says the one it tried is taken), which it prints.
int BareHost() {
    std::signal(SIGTERM, [](int) { g_Stop = 1; });
    ServerLibrary library;
    if (!library.LoadServerLibrary((BinDir() / "server.so").string())) {
        std::puts("cannot load server.so");
        return 1;
    }
    EngineServer& server = *library.GetServer();
    QuietHandler handler;
    server.AttachHandler(&handler);
    if (server.ReadVariablesFile("dravosrv.cfg") != ENGINE_STATUS_OK) {
        std::puts("cannot read dravosrv.cfg");
        return 1;
    }
    const char* names[] = {"dravo", "sound", "custom", "Custom\\arena.rez"};
    server.MountResources(names, 4);
    // The TCP/IP service, as the setup chooses it.
    ServiceRecord* services = nullptr;
    if (server.StartNetworking(0, 0) != ENGINE_TRUE || server.ListServices(&services) != ENGINE_TRUE) {
        std::puts("cannot start networking");
        return 1;
    }
    for (ServiceRecord* service = services; service != nullptr; service = service->m_Next) {
        if (std::strstr(service->m_Name, "TCP") != nullptr) {
            server.UseService(service->m_Id);
            break;
        }
    }
    server.ReleaseServices(services);
    OpenGameSessionRequest request{};
    request.m_MaxPlayers = PLAYERS;
    std::strcpy(request.m_SessionInfo, "[NAME:Bare][HOST:Bench][LEVL:Worlds\\Multi\\Cinderworks][TYPE:1]");
    char error[256] = {};
    request.m_GamePort = dravo::test::FreeUdpPort(); // leased to this benchmark
    if (server.OpenGameSession(&request) != ENGINE_TRUE) {
        server.LastErrorText(error, sizeof error);
        std::printf("cannot open the game session: %s\n", error);
        return 1;
    }
    static GameInfo game{};
    game.m_GameType = 1;
    game.m_EndType = END_NEVER;
    game.m_LevelCount = 1;
    std::strcpy(game.m_LevelNames[0], "Worlds\\Multi\\Cinderworks");
    static LoadWorldRequest world{};
    std::strcpy(world.m_WorldName, game.m_LevelNames[0]);
    world.m_GameInfo = &game;
    world.m_GameInfoSize = GAME_INFO_SIZE;
    if (server.LoadWorld(&world) != ENGINE_TRUE) {
        std::puts("cannot start the world");
        return 1;
    }
    std::printf("%s%u\n", BARE_RUNNING, request.m_GamePort);
    std::fflush(stdout);
    // Frames as the worker runs them; "status" on the input asks for the player count.
    std::thread input([&] {
        for (std::string line; std::getline(std::cin, line);) {
            std::printf("%u players\n", server.CountClients());
            std::fflush(stdout);
        }
    });
    input.detach();
    while (g_Stop == 0) {
        server.RunFrame(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(9));
    }
    return 0;
}

// Asks until the answer shows every player (bounded).
bool WaitForPlayers(LiveProcess& process, const std::string& ask, const std::string& answer) {
    const auto end = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < end) {
        const size_t from = process.LineCount();
        process.WriteLine(ask);
        if (process.WaitForLine(answer, std::chrono::milliseconds(300), from)) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--bare-host") == 0) {
        return BareHost();
    }
    BenchGame hostedGame;
    BenchGame bareGame;
    const auto hostedServer = hostedGame.Host();
    if (!hostedServer) {
        return 1;
    }
    LiveProcess& hosted = *hostedServer;
    LiveProcess bare("/proc/self/exe", {"--bare-host"}, bareGame.Path());
    const auto bareRunning = bare.WaitForLine(BARE_RUNNING, std::chrono::seconds(30));
    if (!bareRunning) {
        Complain("the bare host did not start", bare);
        return 1;
    }
    const auto barePort = static_cast<uint16_t>(std::stoul(bareRunning->m_Text.substr(std::strlen(BARE_RUNNING))));
    const std::string count = std::to_string(PLAYERS);
    auto bots = [&](uint16_t port, const BenchGame& game) {
        return std::make_unique<LiveProcess>(BinDir() / "dravo-bot",
                                             std::vector<std::string>{"--host", "127.0.0.1", "--port",
                                                                      std::to_string(port), "--count", count,
                                                                      "--duration", "120", "--quiet"},
                                             game.Path());
    };
    auto hostedBots = bots(hostedGame.GamePort(), hostedGame);
    auto bareBots = bots(barePort, bareGame);
    if (!WaitForPlayers(hosted, "status", count + " of ") || !WaitForPlayers(bare, "status", count + " players")) {
        Complain("the players did not all join the hosted server", hosted);
        Complain("or the bare host", bare);
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(3)); // a few state updates with every player
    const double hostedRss = static_cast<double>(RssKb(hosted.Pid())) / 1024.0;
    const double bareRss = static_cast<double>(RssKb(bare.Pid())) / 1024.0;
    const double hostedPrivate = static_cast<double>(PrivateKb(hosted.Pid())) / 1024.0;
    const double barePrivate = static_cast<double>(PrivateKb(bare.Pid())) / 1024.0;
    hosted.WriteLine("/shutdown");
    bare.Signal(SIGTERM);
    hosted.Wait(std::chrono::seconds(10));
    bare.Wait(std::chrono::seconds(10));

    std::printf("Resident memory with %d bot players\n", PLAYERS);
    Figure("dravoserv resident (VmRSS)", hostedRss, "MB");
    Figure("dravoserv private", hostedPrivate, "MB");
    Figure("bare host (engine only) resident", bareRss, "MB");
    Figure("bare host (engine only) private", barePrivate, "MB");
    Goal("front end's share (resident difference)", hostedRss - bareRss, "MB", true, 8.0);
    Figure("front end's share (private difference)", hostedPrivate - barePrivate, "MB");
    return 0;
}
