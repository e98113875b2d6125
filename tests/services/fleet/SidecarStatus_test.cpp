// One line per change of the sidecar's state and of the game loop's progress, none per failed request.
#include "services/fleet/SidecarStatus.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(SidecarStatus, EachChangeIsSaidOnce) {
    SidecarStatus status("http://localhost:9358");
    EXPECT_EQ(status.NoAnswer(), "Agones SDK: no answer from the sidecar at http://localhost:9358; trying again "
                                 "with backoff.");
    EXPECT_EQ(status.NoAnswer(), "");
    EXPECT_EQ(status.Answered(), "Agones SDK: the sidecar at http://localhost:9358 answers again.");
    EXPECT_EQ(status.Answered(), "");
    EXPECT_NE(status.Refused("POST /ready", 500).find("refused POST /ready (HTTP 500)"), std::string::npos);
    EXPECT_EQ(status.Refused("POST /health", 503), "");
    EXPECT_NE(status.NoAnswer(), "");
    SidecarStatus fresh("http://localhost:1");
    EXPECT_EQ(fresh.Answered(), "Agones SDK: the sidecar at http://localhost:1 answers.");
}

TEST(HealthGate, PingsOnlyWhileTheStepsMove) {
    HealthGate gate(2000);
    EXPECT_TRUE(gate.Checked(0).m_Ping); // the first check
    EXPECT_TRUE(gate.Checked(220).m_Ping);
    const auto stalled = gate.Checked(220);
    EXPECT_FALSE(stalled.m_Ping);
    EXPECT_NE(stalled.m_Line.find("no progress for 2000 ms"), std::string::npos);
    const auto still = gate.Checked(220);
    EXPECT_FALSE(still.m_Ping);
    EXPECT_EQ(still.m_Line, "");
    const auto resumed = gate.Checked(221);
    EXPECT_TRUE(resumed.m_Ping);
    EXPECT_NE(resumed.m_Line.find("health pings resume"), std::string::npos);
    EXPECT_EQ(gate.Checked(500).m_Line, "");
}

} // namespace
} // namespace dravo
