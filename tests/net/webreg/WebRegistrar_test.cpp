// Web registration against a real HTTP server on loopback.
#include "net/LoopbackHttpServer.h"
#include "net/webreg/WebRegistrar.h"
#include "support/FakeEngine.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>

namespace dravo {
namespace {

using List = std::vector<std::string>;
using test::LoopbackHttpServer;

const std::string QUERY = "?game=Dravo&name=My+Server&ip=127.0.0.5:27890&players=3&version=2.1";
const std::string UNREGISTRATION = "?game=Dravo&name=My+Server&ip=127.0.0.5:27890&players=-1&version=2.1";

std::string Get(const std::string& pathAndQuery) {
    return "GET " + pathAndQuery + " HTTP/1.1";
}

// The real limits (3 s, 5 s, 6 s) shortened tenfold, so that a hanging server costs well under a second.
const RegistrationLimits SHORT_LIMITS{HttpLimits{std::chrono::milliseconds(300), std::chrono::milliseconds(500)},
                                      std::chrono::milliseconds(600)};

class WebRegistrarTest : public ::testing::Test {
protected:
    test::TempDir m_Directory;
    std::filesystem::path m_List = m_Directory.Path() / "srv_send.txt";
    BlockingPool m_Pool; // outlives the registrars
    HostInfo m_Host{};
    std::string m_Address = "127.0.0.5:27890";
    test::FakeEngine m_Engine;
    LoopbackHttpServer m_Server;
    std::unique_ptr<WebRegistrar> m_Registrar;

    void SetUp() override {
        std::strcpy(m_Host.m_ServerName, "My Server");
        m_Host.m_WebRegistration = 1;
        m_Engine.AddClient("a", 1, 0.01f);
        m_Engine.AddClient("b", 2, 0.01f);
        m_Engine.AddClient("c", 3, 0.01f);
        m_Registrar = std::make_unique<WebRegistrar>(m_Host, m_Address, m_Pool, m_List, SHORT_LIMITS);
        m_Registrar->Configure(m_Server.Url(), 120);
    }
    void WriteList(const std::string& text) { m_Directory.Write("srv_send.txt", text); }
};

TEST_F(WebRegistrarTest, FirstBatchAfterSevenSecondsThenOnePerPeriod) {
    WriteList("");
    EXPECT_FALSE(m_Registrar->RegistrationTick(6999, &m_Engine));
    EXPECT_TRUE(m_Registrar->RegistrationTick(1, &m_Engine));
    ASSERT_TRUE(m_Server.WaitForRequests(1));
    const auto requests = m_Server.Requests();
    EXPECT_EQ(requests[0].m_Line, Get("/servers/server.asp" + QUERY));
    EXPECT_EQ(requests[0].m_UserAgent, "Dravo");
    EXPECT_EQ(m_Registrar->CountdownMs(), 120000u);
    EXPECT_FALSE(m_Registrar->RegistrationTick(119999, &m_Engine));
    EXPECT_TRUE(m_Registrar->RegistrationTick(1, &m_Engine));
    ASSERT_TRUE(m_Server.WaitForRequests(2));
    // A late tick sends at once and then waits a full period: the excess is not carried over.
    EXPECT_TRUE(m_Registrar->RegistrationTick(500000, &m_Engine));
    EXPECT_EQ(m_Registrar->CountdownMs(), 120000u);
    ASSERT_TRUE(m_Server.WaitForRequests(3));
}

TEST_F(WebRegistrarTest, EveryBatchGoesToTheBuiltInListThenToEachLineInOrder) {
    WriteList(m_Server.Url("/first.asp") + "\n" + m_Server.Url("/second.asp") + "\n");
    EXPECT_TRUE(m_Registrar->RegistrationTick(7000, &m_Engine));
    ASSERT_TRUE(m_Server.WaitForRequests(3));
    EXPECT_EQ(m_Server.Lines(),
              (List{Get("/servers/server.asp" + QUERY), Get("/first.asp" + QUERY), Get("/second.asp" + QUERY)}));
    const WebRegistrar::Unregistered unregistered = m_Registrar->Unregister();
    EXPECT_TRUE(unregistered.m_Queued && unregistered.m_Sent && !unregistered.m_LeftBehind);
    EXPECT_EQ(m_Server.Lines().size(), 6u); // Unregister returns once its batch is done
    EXPECT_EQ(m_Server.Lines()[5], Get("/second.asp" + UNREGISTRATION));
}

TEST_F(WebRegistrarTest, WithoutTheRegistrationFileNothingIsSent) {
    EXPECT_TRUE(m_Registrar->RegistrationTick(7000, &m_Engine));
    EXPECT_TRUE(m_Registrar->Unregister().m_Queued);
    EXPECT_EQ(m_Registrar->RequestsMade(), 0u);
    EXPECT_TRUE(m_Server.Requests().empty());
}

TEST_F(WebRegistrarTest, UnregisteringWithoutARegistrationSendsPlayersMinusOne) {
    WriteList("");
    EXPECT_TRUE(m_Registrar->Unregister().m_Queued);
    EXPECT_EQ(m_Server.Lines(), List{Get("/servers/server.asp" + UNREGISTRATION)});
}

TEST_F(WebRegistrarTest, OffDisabledOrWithoutAddressTheCountdownStays) {
    WriteList("");
    EXPECT_FALSE(m_Registrar->RegistrationTick(7000, nullptr));
    m_Host.m_WebRegistration = 0;
    EXPECT_FALSE(m_Registrar->RegistrationTick(7000, &m_Engine));
    EXPECT_FALSE(m_Registrar->Unregister().m_Queued);
    m_Host.m_WebRegistration = 1;
    m_Address.clear();
    EXPECT_FALSE(m_Registrar->RegistrationTick(7000, &m_Engine));
    EXPECT_FALSE(m_Registrar->Unregister().m_Queued);
    EXPECT_EQ(m_Registrar->CountdownMs(), FIRST_REGISTRATION_MS);
    EXPECT_EQ(m_Registrar->RequestsMade(), 0u);
}

TEST_F(WebRegistrarTest, NamesAreEscapedSoTheyCannotAddKeys) {
    WriteList("");
    std::strcpy(m_Host.m_ServerName, "Tom & Jerry's #1 = 100%");
    EXPECT_TRUE(m_Registrar->Unregister().m_Queued);
    EXPECT_EQ(m_Server.Lines(), List{Get("/servers/server.asp?game=Dravo&name=Tom+%26+Jerry's+%231+%3D+100%25"
                                         "&ip=127.0.0.5:27890&players=-1&version=2.1")});
}

TEST_F(WebRegistrarTest, AHangingServerNeitherHoldsTheTickNorStopsForLong) {
    LoopbackHttpServer hanging(LoopbackHttpServer::Mode::Hang);
    WriteList(m_Server.Url("/after.asp") + "\n");
    m_Registrar->Configure(hanging.Url(), 120);
    EXPECT_TRUE(m_Registrar->RegistrationTick(7000, &m_Engine));
    // The tick has returned while the server still holds its request unanswered.
    ASSERT_TRUE(hanging.WaitForRequests(1));
    EXPECT_TRUE(m_Server.Requests().empty());

    const auto start = std::chrono::steady_clock::now();
    const WebRegistrar::Unregistered unregistered = m_Registrar->Unregister();
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(unregistered.m_Queued);
    EXPECT_FALSE(unregistered.m_Sent);
    EXPECT_FALSE(unregistered.m_LeftBehind); // the abandoned request ends at once
    // At most the unregister wait, and the sender's end.
    EXPECT_LT(waited, SHORT_LIMITS.m_UnregisterWait + RegistrationSender::END_WAIT);
    // The hanging request gave up at its total limit, so the batch went on to the next list.
    EXPECT_EQ(m_Server.Lines().front(), Get("/after.asp" + QUERY));
}

TEST_F(WebRegistrarTest, ARequestThatWillNotEndIsLeftBehindAndTheStopGoesOn) {
    WriteList("");
    // A request that does not give up when told to: it holds its sender until the test lets it go.
    struct Stuck {
        std::mutex m_Mutex;
        std::condition_variable m_Changed;
        bool m_Released = false;
    };
    auto stuck = std::make_shared<Stuck>();
    WebRegistrar registrar(m_Host, m_Address, m_Pool, m_List, SHORT_LIMITS, [stuck](const std::string&, const auto&) {
        std::unique_lock lock(stuck->m_Mutex);
        stuck->m_Changed.wait(lock, [&] { return stuck->m_Released; });
        return true;
    });
    registrar.Configure(m_Server.Url(), 120);
    EXPECT_TRUE(registrar.RegistrationTick(7000, &m_Engine));
    registrar.EndRegistrations();
    const auto start = std::chrono::steady_clock::now();
    const WebRegistrar::Unregistered unregistered = registrar.Unregister();
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              SHORT_LIMITS.m_UnregisterWait + RegistrationSender::END_WAIT + std::chrono::milliseconds(500));
    EXPECT_TRUE(unregistered.m_Queued);
    EXPECT_FALSE(unregistered.m_Sent);
    EXPECT_TRUE(unregistered.m_LeftBehind);
    std::scoped_lock lock(stuck->m_Mutex);
    stuck->m_Released = true; // the sender, left behind, ends by itself
    stuck->m_Changed.notify_all();
}

TEST_F(WebRegistrarTest, ATickThatRacesTheStopQueuesNothingBehindTheUnregistration) {
    WriteList("");
    // The stop runs between the tick's first look and its queueing: the engine's client count, which the
    // tick asks for in between, stands for the moment the window thread stops hosting.
    WebRegistrar::Unregistered unregistered;
    m_Engine.m_OnCountClients = [&] {
        m_Engine.m_OnCountClients = nullptr;
        m_Registrar->EndRegistrations();
        unregistered = m_Registrar->Unregister();
    };
    EXPECT_FALSE(m_Registrar->RegistrationTick(7000, &m_Engine)); // too late: nothing was queued
    EXPECT_TRUE(unregistered.m_Sent);
    // Nothing more goes out, not even while the sender ends.
    EXPECT_FALSE(m_Registrar->RegistrationTick(FIRST_REGISTRATION_MS, &m_Engine));
    m_Registrar.reset();
    EXPECT_EQ(m_Server.Lines(), List{Get("/servers/server.asp" + UNREGISTRATION)});
}

} // namespace
} // namespace dravo
