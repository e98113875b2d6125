// Helpers for the hosting tests: a hosted server on a loopback port, a player's socket, a recording handler.
#pragma once

#include "RefTestSupport.h"
#include "Server.h"
#include "engine/HostingRecords.h"
#include "support/LoopbackPorts.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace dravo::ref::test {

constexpr uint32_t LOOPBACK = 0x7F000001;
constexpr auto WAIT_BOUND = std::chrono::seconds(10);

// Opens the game session on a port leased to the test (set in the request).
inline bool OpenOnAFreePort(Server& server, OpenGameSessionRequest& request) {
    request.m_GamePort = dravo::test::FreeUdpPort();
    return server.OpenGameSession(&request) == ENGINE_TRUE;
}

// A player's (or a query tool's) UDP socket on 127.0.0.1.
class TestPeer {
public:
    TestPeer() {
        m_Descriptor = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(m_Descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::getsockname(m_Descriptor, reinterpret_cast<sockaddr*>(&address), &length), 0);
        m_Port = ntohs(address.sin_port);
    }
    ~TestPeer() { ::close(m_Descriptor); }
    TestPeer(const TestPeer&) = delete;
    TestPeer& operator=(const TestPeer&) = delete;

    uint16_t Port() const { return m_Port; }
    void Send(std::string_view bytes, uint16_t port) const {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(LOOPBACK);
        to.sin_port = htons(port);
        ASSERT_EQ(::sendto(m_Descriptor, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
                  static_cast<ssize_t>(bytes.size()));
    }
    // One waiting datagram, without waiting.
    std::optional<std::string> TryReceive(uint16_t* fromPort = nullptr) const {
        char buffer[4096];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t got =
            ::recvfrom(m_Descriptor, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (got < 0) {
            return std::nullopt;
        }
        if (fromPort != nullptr) {
            *fromPort = ntohs(from.sin_port);
        }
        return std::string(buffer, static_cast<size_t>(got));
    }
    // One datagram, waiting for it at most `bound`.
    std::optional<std::string> Receive(std::chrono::milliseconds bound = std::chrono::milliseconds(5000),
                                       uint16_t* fromPort = nullptr) const {
        pollfd entry{m_Descriptor, POLLIN, 0};
        if (::poll(&entry, 1, static_cast<int>(bound.count())) <= 0) {
            return std::nullopt;
        }
        return TryReceive(fromPort);
    }

private:
    int m_Descriptor = -1;
    uint16_t m_Port = 0;
};

// Records every callback with the thread it came on; OnGameText may also run a callback.
class GameRecorder final : public AppHandler {
public:
    struct Text {
        std::string m_Text;
        std::thread::id m_Thread;
    };
    struct Datagram {
        std::string m_Bytes;
        uint8_t m_Address[4];
        uint16_t m_Port;
    };

    int32_t OnGameText(const char* text) override {
        {
            std::lock_guard lock(m_Mutex);
            m_Texts.push_back(Text{text, std::this_thread::get_id()});
        }
        if (m_OnText) {
            m_OnText(text);
        }
        return 0;
    }
    int32_t OnConsoleLine(const char* text) override {
        std::lock_guard lock(m_Mutex);
        m_Lines.emplace_back(text);
        return 0;
    }
    int32_t OnMemoryExhausted() override {
        ++m_MemoryExhausted;
        return 0;
    }
    int32_t OnForeignDatagram(const void* data, uint32_t length, const uint8_t address[4], uint16_t port) override {
        Datagram datagram{std::string(static_cast<const char*>(data), length), {}, port};
        std::memcpy(datagram.m_Address, address, 4);
        std::lock_guard lock(m_Mutex);
        m_Datagrams.push_back(std::move(datagram));
        return 0;
    }

    std::vector<Text> Texts() const {
        std::lock_guard lock(m_Mutex);
        return m_Texts;
    }
    std::vector<std::string> Lines() const {
        std::lock_guard lock(m_Mutex);
        return m_Lines;
    }
    std::vector<Datagram> Datagrams() const {
        std::lock_guard lock(m_Mutex);
        return m_Datagrams;
    }
    // The texts that start with `prefix`, in order.
    std::vector<std::string> TextsStartingWith(std::string_view prefix) const {
        std::vector<std::string> found;
        for (const Text& text : Texts()) {
            if (text.m_Text.starts_with(prefix)) {
                found.push_back(text.m_Text);
            }
        }
        return found;
    }
    void Clear() {
        std::lock_guard lock(m_Mutex);
        m_Texts.clear();
        m_Lines.clear();
        m_Datagrams.clear();
    }

    std::function<void(const char*)> m_OnText;
    std::atomic<int> m_MemoryExhausted{0};

private:
    mutable std::mutex m_Mutex;
    std::vector<Text> m_Texts;
    std::vector<std::string> m_Lines;
    std::vector<Datagram> m_Datagrams;
};

// Game rules with the given end rule and levels ("Worlds\Multi\<name>" for each retail name given).
inline GameInfo MakeRules(uint8_t endType, int32_t endFrags, int32_t endMinutes, std::vector<std::string> levels) {
    GameInfo rules{};
    rules.m_GameType = 1;
    rules.m_EndType = endType;
    rules.m_EndFrags = endFrags;
    rules.m_EndTime = endMinutes;
    rules.m_LevelCount = static_cast<uint8_t>(levels.size());
    for (size_t i = 0; i < levels.size(); ++i) {
        std::snprintf(rules.m_LevelNames[i], LEVEL_NAME_SIZE, "%s", levels[i].c_str());
    }
    return rules;
}

// A server object with the sample game mounted, networking on TCP/IP, bound to 127.0.0.1, frags off.
class HostedServer {
public:
    explicit HostedServer(uint32_t maxPlayers = 8) : m_Directory(DRAVO_DATA_DIR) {
        m_Server.AttachHandler(&m_Recorder);
        const char* names[] = {"dravo", "Custom\\arena.rez"};
        EXPECT_EQ(m_Server.MountResources(names, 2), ENGINE_TRUE);
        EXPECT_EQ(m_Server.StartNetworking(0, 0), ENGINE_TRUE);
        EXPECT_EQ(m_Server.UseService(NetworkServices::TCP_IP_SERVICE_ID), ENGINE_TRUE);
        EXPECT_EQ(m_Server.ExecuteCommand("set net_bindaddress 127.0.0.1"), ENGINE_STATUS_OK);
        EXPECT_EQ(m_Server.ExecuteCommand("set fragrate 0"), ENGINE_STATUS_OK);
        OpenGameSessionRequest open{};
        open.m_MaxPlayers = maxPlayers;
        std::snprintf(open.m_SessionInfo, SESSION_INFO_SIZE, "[NAME:Test][HOST:DravoServ][LEVL:x][TYPE:1]");
        m_Opened = OpenOnAFreePort(m_Server, open);
        m_Port = static_cast<uint16_t>(open.m_GamePort);
        EXPECT_TRUE(m_Opened) << LastError();
    }

    // Starts the first level of the rules as the world.
    bool Load(const GameInfo& rules) {
        LoadWorldRequest request{};
        const size_t length = ::strnlen(rules.m_LevelNames[0], WORLD_NAME_SIZE - 1);
        std::memcpy(request.m_WorldName, rules.m_LevelNames[0], length);
        request.m_GameInfo = &rules;
        request.m_GameInfoSize = GAME_INFO_SIZE;
        return m_Server.LoadWorld(&request) == ENGINE_TRUE;
    }
    bool LoadRetail() {
        m_Rules = MakeRules(4, 0, 0, {"Worlds\\Multi\\Cinderworks", "Worlds\\Multi\\Frostline"});
        return Load(m_Rules);
    }

    std::string LastError() {
        char buffer[256] = {};
        m_Server.LastErrorText(buffer, sizeof buffer);
        return buffer;
    }
    // Runs frames (paced like the front end's worker, 1 ms apart) until `done` holds, at most WAIT_BOUND.
    template <typename Condition> bool FramesUntil(Condition done) {
        const auto deadline = std::chrono::steady_clock::now() + WAIT_BOUND;
        while (std::chrono::steady_clock::now() < deadline) {
            EXPECT_EQ(m_Server.RunFrame(0), ENGINE_TRUE) << LastError();
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
    // Joins a player through the real protocol; its id, 0 when it was not welcomed.
    uint32_t Join(TestPeer& peer, const std::string& name) {
        peer.Send("DRAVO JOIN " + name, m_Port);
        std::optional<std::string> reply;
        FramesUntil([&] {
            while ((reply = peer.TryReceive()) && reply->starts_with("DRAVO PING ")) {
            }
            return reply.has_value();
        });
        if (!reply || !reply->starts_with("DRAVO WELCOME ")) {
            ADD_FAILURE() << "no welcome for " << name << ": " << reply.value_or("(nothing)");
            return 0;
        }
        return static_cast<uint32_t>(std::stoul(reply->substr(14)));
    }

    CurrentDirectory m_Directory;
    GameRecorder m_Recorder;
    Server m_Server;
    GameInfo m_Rules{};
    uint16_t m_Port = 0;
    bool m_Opened = false;
};

} // namespace dravo::ref::test
