// A hosted game that answers GameSpy queries, for the query benchmarks.
#include "support/QueryHost.h"

#include <arpa/inet.h>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace dravo::bench {

QueryHost::QueryHost(int players, const std::map<std::string, std::string>& variables,
                     const std::vector<std::string>& botOptions) {
    // Heartbeats land in a socket of ours on loopback and are never read.
    m_Sink = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in sink{};
    sink.sin_family = AF_INET;
    sink.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof sink;
    bind(m_Sink, reinterpret_cast<sockaddr*>(&sink), sizeof sink);
    getsockname(m_Sink, reinterpret_cast<sockaddr*>(&sink), &length);
    std::map<std::string, std::string> settings = {{"UseGameSpy", "1"},
                                                   {"MaxPlayers", "128"},
                                                   {"SpyMasterHost", "127.0.0.1"},
                                                   {"SpyMasterPort", std::to_string(ntohs(sink.sin_port))},
                                                   {"ServerReg", "0"}};
    for (const auto& [key, value] : variables) {
        settings[key] = value;
    }
    if (!m_Game.Configure(settings)) {
        m_Failure = "cannot configure the game";
        return;
    }
    // The benchmarks' copy of the program, whose address table hashes with the key they know.
    test::SampleGame::Start start;
    start.m_Program = BinDir() / "dravoserv-bench";
    m_Server = m_Game.StartServer(start);
    if (!m_Server->WaitForLine(BenchGame::RUNNING, std::chrono::milliseconds(0))) {
        m_Failure = "the server did not start:\n" + m_Server->Output() + m_Server->Errors();
        return;
    }
    if (players > 0) {
        std::vector<std::string> arguments = {"--count", std::to_string(players), "--duration", "600", "--quiet"};
        arguments.insert(arguments.end(), botOptions.begin(), botOptions.end());
        m_Bots = m_Game.StartBots(arguments);
        if (Ask("status", std::to_string(players) + " of ").empty()) {
            m_Failure = "the players did not all join:\n" + m_Server->Output() + m_Server->Errors();
            return;
        }
    }
    m_Ready = true;
}

QueryHost::~QueryHost() {
    if (m_Server) {
        m_Server->WriteLine("/shutdown");
        m_Server->Wait(std::chrono::seconds(10));
    }
    m_Bots.reset();
    if (m_Sink >= 0) {
        close(m_Sink);
    }
}

std::string QueryHost::Ask(const std::string& command, const std::string& answer) {
    const auto end = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < end) {
        const size_t from = m_Server->LineCount();
        m_Server->WriteLine(command);
        if (const auto line = m_Server->WaitForLine(answer, std::chrono::milliseconds(300), from)) {
            return line->m_Text;
        }
    }
    return {};
}

FrameIntervals QueryHost::Intervals(bool reset) {
    FrameIntervals out;
    (void)ParseFrameIntervals(Ask(reset ? "frameintervals reset" : "frameintervals", "frameintervals:"), out);
    return out;
}

long long QueryHost::Drops(uint16_t port) {
    // A row: "sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid timeout inode ref pointer
    // drops", the local address as hexadecimal "ADDRESS:PORT".
    std::ifstream table("/proc/" + std::to_string(m_Server->Pid()) + "/net/udp");
    std::string row;
    std::getline(table, row); // the heading
    while (std::getline(table, row)) {
        std::istringstream fields(row);
        std::string slot, local;
        fields >> slot >> local;
        const size_t colon = local.rfind(':');
        if (colon == std::string::npos || std::stoul(local.substr(colon + 1), nullptr, 16) != port) {
            continue;
        }
        std::string field, last;
        while (fields >> field) {
            last = field;
        }
        return std::stoll(last);
    }
    return -1;
}

} // namespace dravo::bench
