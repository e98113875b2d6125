// The fleet client against sidecars that come late, never answer, fail, answer garbage or refuse a call: one
// line for each trouble, everything said once the sidecar is back, and a bounded end.
#include "support/FleetClientFixture.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using test::SdkStandIn;

using FleetClientTest = test::FleetClientFixture;

TEST_F(FleetClientTest, ASidecarThatComesLateGetsReady) {
    const uint16_t port = SdkStandIn::FreePort();
    StartClient(port);
    Host();
    ASSERT_TRUE(WaitForLine("no answer from the sidecar")) << Lines();
    SdkStandIn& sidecar = Sidecar();
    ASSERT_TRUE(sidecar.Start(port));
    EXPECT_TRUE(sidecar.WaitForCount("POST", "/ready", 1));
    EXPECT_TRUE(WaitForLine("answers again.")) << Lines();
    EXPECT_EQ(CountLines("no answer from the sidecar"), 1);
}

// Each way a sidecar can misbehave gets one line however often it fails, and the end is still bounded.
void ExpectOneLineAndABoundedEnd(FleetClientTest& test, SdkStandIn::Behaviour behaviour, const std::string& line) {
    SdkStandIn& sidecar = test.Sidecar(behaviour);
    ASSERT_TRUE(sidecar.Start());
    test.StartClient(sidecar.Port());
    test.Host();
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/ready", 3));
    EXPECT_TRUE(test.WaitForLine(line)) << test.Lines();
    EXPECT_EQ(test.CountLines(line), 1) << test.Lines();
    test.m_Facts.HostingEnded();
    test.m_Client->Finish(); // gives Shutdown its limit at most
    EXPECT_GE(sidecar.Count("POST", "/shutdown"), 1u);
}

TEST_F(FleetClientTest, ASidecarThatNeverAnswersIsSaidOnce) {
    ExpectOneLineAndABoundedEnd(*this, SdkStandIn::Behaviour::Silent, "no answer from the sidecar");
}

TEST_F(FleetClientTest, ASidecarThatAnswers500IsSaidOnce) {
    ExpectOneLineAndABoundedEnd(*this, SdkStandIn::Behaviour::Error500, "refused POST /ready (HTTP 500)");
}

TEST_F(FleetClientTest, ASidecarThatAnswersGarbageIsSaidOnce) {
    ExpectOneLineAndABoundedEnd(*this, SdkStandIn::Behaviour::Garbage, "no answer from the sidecar");
}

// The gateway answers 503 with its JSON error while the SDK server behind it is away: Ready, the labels and
// the players are all tried again until it is back, with one line for the trouble and one for the end.
TEST_F(FleetClientTest, ASidecarFailingWithTheGatewaysJsonErrorsGetsEverythingOnceItRecovers) {
    SdkStandIn& sidecar = Sidecar();
    sidecar.DefinePlayersList(1000);
    sidecar.SetFailing(true);
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    Host();
    m_Facts.SetPlayers(test::Players({"Ace"}), 0);
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/ready", 4));
    sidecar.SetFailing(false);
    ASSERT_TRUE(sidecar.WaitFor([&] { return sidecar.State() == "Ready"; })) << Lines();
    EXPECT_TRUE(sidecar.WaitFor([&] {
        return sidecar.Labels().size() == 2 && sidecar.ListValues() == std::vector<std::string>{"Ace"};
    })) << Lines();
    EXPECT_TRUE(WaitForLine("answers again.")) << Lines();
    EXPECT_EQ(CountLines("refused POST /ready (HTTP 503)"), 1) << Lines();
    EXPECT_EQ(CountLines("refused"), 1) << Lines();
    EXPECT_EQ(CountLines("Ready said."), 1) << Lines();
}

// A 4xx is the sidecar's last word on a label, said once; on Ready it is not.
TEST_F(FleetClientTest, ARefusedLabelIsToldOnceAndARefusedReadyIsTriedAgain) {
    SdkStandIn& sidecar = Sidecar();
    sidecar.RefuseWith("/metadata/label", 400);
    sidecar.RefuseWith("/ready", 400);
    ASSERT_TRUE(sidecar.Start());
    StartClient(sidecar.Port());
    Host();
    ASSERT_TRUE(sidecar.WaitForCount("POST", "/ready", 3));
    sidecar.RefuseWith("/ready", 0);
    ASSERT_TRUE(sidecar.WaitFor([&] { return sidecar.State() == "Ready"; })) << Lines();
    ASSERT_TRUE(sidecar.WaitForCount("PUT", "/metadata/label", 2)) << Lines();
    m_Facts.LevelChanged("Worlds\\Multi\\Frostline");
    EXPECT_TRUE(sidecar.WaitForCount("PUT", "/metadata/label", 3)) << Lines();
    EXPECT_TRUE(WaitForLine("Ready said.")) << Lines();
    EXPECT_EQ(CountLines("refused PUT /metadata/label (HTTP 400)"), 1) << Lines();
}

} // namespace
} // namespace dravo
