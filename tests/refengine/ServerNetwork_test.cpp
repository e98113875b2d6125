// Tests of the server object's network services and of its answers while no game session is open.
#include "Server.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <gtest/gtest.h>

namespace dravo::ref {
namespace {

std::string LastError(Server& server) {
    char buffer[256];
    EXPECT_EQ(server.LastErrorText(buffer, sizeof buffer), ENGINE_STATUS_OK);
    return buffer;
}

uint32_t ServiceId(Server& server, const char* word) {
    ServiceRecord* first = nullptr;
    EXPECT_EQ(server.ListServices(&first), ENGINE_TRUE);
    uint32_t id = 0;
    for (const ServiceRecord* record = first; record != nullptr; record = record->m_Next) {
        if (std::strstr(record->m_Name, word) != nullptr) {
            id = record->m_Id;
        }
    }
    EXPECT_EQ(server.ReleaseServices(first), ENGINE_STATUS_OK);
    return id;
}

TEST(ServerNetwork, ListServicesNeedsNetworkingStarted) {
    Server server;
    ServiceRecord sentinel{};
    ServiceRecord* first = &sentinel;
    EXPECT_EQ(server.ListServices(&first), 0);
    EXPECT_EQ(first, nullptr);
    EXPECT_NE(LastError(server).find("not been started"), std::string::npos);
    EXPECT_EQ(server.UseService(NetworkServices::TCP_IP_SERVICE_ID), 0);
}

TEST(ServerNetwork, ListsThreeServicesTheFrontEndCanName) {
    Server server;
    ASSERT_EQ(server.StartNetworking(0, 0), ENGINE_TRUE);
    ASSERT_EQ(server.StartNetworking(0, 0), ENGINE_TRUE); // again is harmless
    ServiceRecord* first = nullptr;
    ASSERT_EQ(server.ListServices(&first), ENGINE_TRUE);
    std::vector<std::string> names;
    std::vector<uint32_t> ids;
    for (const ServiceRecord* record = first; record != nullptr; record = record->m_Next) {
        names.emplace_back(record->m_Name);
        ids.push_back(record->m_Id);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"TCP/IP Internet Service", "Unavailable: IPX Network Service",
                                               "Unavailable: Modem Service"}));
    std::vector<std::string> sorted = names;
    std::ranges::sort(sorted, [](const std::string& left, const std::string& right) {
        return std::ranges::lexicographical_compare(left, right, [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) < std::tolower(static_cast<unsigned char>(b));
        });
    });
    EXPECT_EQ(sorted, names) << "a list sorted by name, as the setup shows it, keeps TCP/IP first";
    for (const uint32_t id : ids) {
        EXPECT_NE(id, 0u);
    }
    EXPECT_EQ(server.ReleaseServices(first), ENGINE_STATUS_OK);
}

TEST(ServerNetwork, ReleaseRefusesListsNotHandedOut) {
    Server server;
    ASSERT_EQ(server.StartNetworking(0, 0), ENGINE_TRUE);
    ServiceRecord* first = nullptr;
    ASSERT_EQ(server.ListServices(&first), ENGINE_TRUE);
    ServiceRecord forged{};
    EXPECT_NE(server.ReleaseServices(&forged), ENGINE_STATUS_OK);
    EXPECT_NE(server.ReleaseServices(first->m_Next), ENGINE_STATUS_OK); // not the first record
    EXPECT_EQ(server.ReleaseServices(first), ENGINE_STATUS_OK);
    EXPECT_NE(server.ReleaseServices(first), ENGINE_STATUS_OK); // twice
    EXPECT_EQ(server.ReleaseServices(nullptr), ENGINE_STATUS_OK);
}

TEST(ServerNetwork, OnlyTcpIpCanBeUsed) {
    Server server;
    ASSERT_EQ(server.StartNetworking(0, 0), ENGINE_TRUE);
    const uint32_t tcp = ServiceId(server, "TCP/IP");
    const uint32_t ipx = ServiceId(server, "IPX");
    const uint32_t modem = ServiceId(server, "Modem");
    EXPECT_EQ(server.UseService(ipx), 0);
    EXPECT_NE(LastError(server).find("IPX"), std::string::npos);
    EXPECT_EQ(server.UseService(modem), 0);
    EXPECT_NE(LastError(server).find("Modem"), std::string::npos);
    EXPECT_EQ(server.UseService(0), 0);
    EXPECT_EQ(server.UseService(77), 0);
    EXPECT_NE(LastError(server).find("77"), std::string::npos);
    EXPECT_EQ(server.UseService(tcp), ENGINE_TRUE);
}

TEST(ServerNetwork, HostingFailsClearlyWithoutAGameSession) {
    Server server;
    OpenGameSessionRequest open{};
    EXPECT_EQ(server.OpenGameSession(&open), 0);
    EXPECT_FALSE(LastError(server).empty());
    LoadWorldRequest world{};
    EXPECT_EQ(server.LoadWorld(&world), 0);
    EXPECT_EQ(LastError(server), "No game session is open.");
    EXPECT_EQ(server.RunFrame(0), 0);
    EXPECT_EQ(server.CountClients(), 0u);
    ClientRecord client{};
    EXPECT_EQ(server.DescribeClient(0, &client), 0);
    EXPECT_NE(server.DisconnectClient(5), ENGINE_STATUS_OK);
    char address[128] = "junk";
    uint16_t port = 99;
    EXPECT_EQ(server.QueryHostAddress(address, sizeof address, &port), 0);
    EXPECT_STREQ(address, "");
    EXPECT_EQ(port, 0);
    EXPECT_EQ(server.SendGameDatagram("x", 1, "127.0.0.1", 27888), 0);
    EXPECT_NE(server.PostToGame("NEXTLEVEL"), ENGINE_STATUS_OK);
}

} // namespace
} // namespace dravo::ref
