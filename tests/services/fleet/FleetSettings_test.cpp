// Whether the fleet client runs: the environment's port first, then the engine variable.
#include "services/fleet/FleetSettings.h"
#include "support/FakeEngine.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(FleetSettings, TheEnvironmentsPortComesFirst) {
    test::FakeEngine engine;
    engine.m_Variables["AgonesSdkPort"] = "9000";
    const FleetSidecar sidecar = FindFleetSidecar("9358", &engine);
    ASSERT_TRUE(sidecar.m_BaseUrl);
    EXPECT_EQ(*sidecar.m_BaseUrl, "http://localhost:9358");
    EXPECT_EQ(sidecar.m_Problem, "");
}

TEST(FleetSettings, TheEngineVariableTurnsItOnWhenTheEnvironmentSaysNothing) {
    test::FakeEngine engine;
    EXPECT_FALSE(FindFleetSidecar(nullptr, &engine).m_BaseUrl);
    EXPECT_FALSE(FindFleetSidecar(nullptr, nullptr).m_BaseUrl);
    engine.m_Variables["AgonesSdkPort"] = "0";
    EXPECT_FALSE(FindFleetSidecar("", &engine).m_BaseUrl);
    engine.m_Variables["AgonesSdkPort"] = "40123";
    ASSERT_TRUE(FindFleetSidecar("", &engine).m_BaseUrl);
    EXPECT_EQ(*FindFleetSidecar("", &engine).m_BaseUrl, "http://localhost:40123");
}

TEST(FleetSettings, AValueThatIsNoPortIsSaidAndLeavesTheClientOff) {
    test::FakeEngine engine;
    for (const char* bad : {"65536", "-1", "93 58", "port", "9358x"}) {
        const FleetSidecar fromEnvironment = FindFleetSidecar(bad, &engine);
        EXPECT_FALSE(fromEnvironment.m_BaseUrl) << bad;
        EXPECT_NE(fromEnvironment.m_Problem.find("AGONES_SDK_HTTP_PORT \"" + std::string(bad) + "\" is not a port"),
                  std::string::npos);
        engine.m_Variables["AgonesSdkPort"] = bad;
        const FleetSidecar fromVariable = FindFleetSidecar(nullptr, &engine);
        EXPECT_FALSE(fromVariable.m_BaseUrl) << bad;
        EXPECT_NE(fromVariable.m_Problem.find("AgonesSdkPort"), std::string::npos);
    }
}

} // namespace
} // namespace dravo
