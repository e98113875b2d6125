// Fleet: what the fleet client costs the game loop. The sample game's steps per second, read from the
// engine's own "frameintervals", with the fleet client talking to a stand-in sidecar that works (players
// list, labels, health, four bots that leave and rejoin), and with sidecars that never answer, answer
// HTTP 500, answer garbage or are not there, each against runs without the client taken just before it.
// Goals: a working sidecar costs at most 1% of the steps, a misbehaving one at most 5%.
// Then 16 bots play for a minute and leave, their frags reordering the roster all the while: the players list
// takes one call per join and one per leave, and the capacity once (`--lists-only 1` runs this part alone,
// `--list-seconds` sets its length).
#include "support/BenchGame.h"
#include "support/Figures.h"
#include "support/FrameIntervals.h"
#include "support/SdkStandIn.h"

#include <cstdio>
#include <optional>
#include <thread>

using namespace dravo::bench;
using dravo::test::SdkStandIn;

namespace {

// Steps per second of one run of `seconds`, with the fleet client on `port` (0: off), bots churning.
std::optional<double> StepsPerSecond(BenchGame& game, uint16_t port, double seconds) {
    std::vector<std::string> arguments;
    if (port != 0) {
        arguments = {"+AgonesSdkPort", std::to_string(port)};
    }
    auto server = game.StartServer(arguments);
    if (!server->WaitForOutput(dravo::test::SampleGame::RUNNING, std::chrono::seconds(0))) {
        Complain("the server did not start", *server);
        return std::nullopt;
    }
    auto bots = game.StartBots({"--count", "4", "--churn", "2", "--duration", std::to_string(seconds + 10)});
    std::this_thread::sleep_for(std::chrono::seconds(1)); // start-up and the first calls settle
    size_t from = server->LineCount();
    server->WriteLine("frameintervals reset");
    if (!server->WaitForLine("frameintervals:", std::chrono::seconds(5), from)) {
        Complain("no frameintervals answer", *server);
        return std::nullopt;
    }
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    from = server->LineCount();
    server->WriteLine("frameintervals");
    const auto answer = server->WaitForLine("frameintervals:", std::chrono::seconds(5), from);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    FrameIntervals intervals;
    if (!answer || !ParseFrameIntervals(answer->m_Text, intervals)) {
        Complain("no frameintervals answer", *server);
        return std::nullopt;
    }
    server->WriteLine("/shutdown");
    server->Wait(std::chrono::seconds(10));
    return intervals.m_Count / elapsed;
}

// 16 bots join, play `seconds` and leave: the list calls the stand-in sidecar gets meanwhile. False when the
// run could not be made.
bool ListCalls(BenchGame& game, double seconds) {
    constexpr size_t BOTS = 16;
    SdkStandIn sidecar;
    sidecar.DefinePlayersList(1000);
    if (!sidecar.Start()) {
        std::printf("the stand-in sidecar did not start\n");
        return false;
    }
    auto server = game.StartServer({"+AgonesSdkPort", std::to_string(sidecar.Port())});
    if (!server->WaitForOutput(dravo::test::SampleGame::RUNNING, std::chrono::seconds(0))) {
        Complain("the server did not start", *server);
        return false;
    }
    auto bots =
        game.StartBots({"--count", std::to_string(BOTS), "--duration", std::to_string(static_cast<int>(seconds))});
    if (!sidecar.WaitFor([&] { return sidecar.ListValues().size() == BOTS; }, std::chrono::seconds(20))) {
        Complain("the players list never held all the bots", *server);
        return false;
    }
    (void)bots->Wait(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::duration<double>(seconds + 15)));
    const bool emptied = sidecar.WaitFor([&] { return sidecar.ListValues().empty(); }, std::chrono::seconds(10));
    const size_t adds = sidecar.Count("POST", "/v1beta1/lists/players:addValue");
    const size_t removes = sidecar.Count("POST", "/v1beta1/lists/players:removeValue");
    const size_t patches = sidecar.Count("PATCH", "/v1beta1/lists/players");
    server->WriteLine("/shutdown");
    server->Wait(std::chrono::seconds(10));
    if (!emptied) {
        Complain("the players list still held players after the bots left", *server);
        return false;
    }
    Figure("addValue calls for 16 joins", static_cast<double>(adds), "calls");
    Figure("removeValue calls for 16 leaves", static_cast<double>(removes), "calls");
    Figure("PATCH calls of the players list (its capacity)", static_cast<double>(patches), "calls");
    Goal("list calls per join or leave", static_cast<double>(adds + removes) / (2 * BOTS), "calls", true, 1.0);
    return true;
}

struct Case {
    const char* m_Name;
    std::optional<SdkStandIn::Behaviour> m_Behaviour; // none: nothing listens on the port
    double m_Goal;                                    // the least share of the steps without the client
};

} // namespace

int main(int argc, char** argv) {
    const double seconds = NumberOption(argc, argv, "--seconds", 15);
    const double listSeconds = NumberOption(argc, argv, "--list-seconds", 60);
    BenchGame game;
    if (NumberOption(argc, argv, "--lists-only", 0) != 0) {
        return ListCalls(game, listSeconds) ? 0 : 1;
    }
    const std::vector<Case> cases = {
        {"working sidecar", SdkStandIn::Behaviour::Sdk, 0.99},
        {"sidecar that never answers", SdkStandIn::Behaviour::Silent, 0.95},
        {"sidecar that answers HTTP 500", SdkStandIn::Behaviour::Error500, 0.95},
        {"sidecar that answers garbage", SdkStandIn::Behaviour::Garbage, 0.95},
        {"no sidecar on the port", std::nullopt, 0.95},
    };
    std::printf("Steps per second with the fleet client against runs without it, %.0f s each, 4 churning bots\n",
                seconds);
    for (const Case& sample : cases) {
        const auto without = StepsPerSecond(game, 0, seconds);
        std::optional<SdkStandIn> sidecar;
        uint16_t port = SdkStandIn::FreePort();
        if (sample.m_Behaviour) {
            sidecar.emplace(*sample.m_Behaviour);
            sidecar->DefinePlayersList(1000);
            if (!sidecar->Start()) {
                std::printf("the stand-in sidecar did not start\n");
                return 1;
            }
            port = sidecar->Port();
        }
        const auto with = StepsPerSecond(game, port, seconds);
        if (!without || !with) {
            return 1;
        }
        Figure(std::string("steps/s without the client (before: ") + sample.m_Name + ")", *without, "steps/s");
        Figure(std::string("steps/s with the client, ") + sample.m_Name, *with, "steps/s");
        Goal(std::string("share of the steps, ") + sample.m_Name, 100 * *with / *without, "%", false,
             100 * sample.m_Goal);
        if (sidecar) {
            Note("the sidecar got " + std::to_string(sidecar->Requests().size()) + " requests");
        }
    }
    return ListCalls(game, listSeconds) ? 0 : 1;
}
