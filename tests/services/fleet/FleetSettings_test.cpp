// Whether the fleet client runs: the environment's port first, then the engine variable.
#include "services/fleet/FleetSettings.h"
#include "support/FakeEngine.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(FleetSettings, TheEnvironmentsPortComesFirst) {
    test::FakeEngine engine;
    engine.m_Variables["AgonesSdkPort"] = "9000";
    VariableReader reader(engine);
    const FleetSidecar sidecar = FindFleetSidecar("9358", reader);
    ASSERT_TRUE(sidecar.m_BaseUrl);
    EXPECT_EQ(*sidecar.m_BaseUrl, "http://localhost:9358");
    EXPECT_EQ(sidecar.m_Problem, "");
}

TEST(FleetSettings, TheEngineVariableTurnsItOnWhenTheEnvironmentSaysNothing) {
    test::FakeEngine engine;
    VariableReader reader(engine);
    EXPECT_FALSE(FindFleetSidecar(nullptr, reader).m_BaseUrl);
    engine.m_Variables["AgonesSdkPort"] = "0";
    EXPECT_FALSE(FindFleetSidecar("", reader).m_BaseUrl);
    engine.m_Variables["AgonesSdkPort"] = "40123";
    ASSERT_TRUE(FindFleetSidecar("", reader).m_BaseUrl);
    EXPECT_EQ(*FindFleetSidecar("", reader).m_BaseUrl, "http://localhost:40123");
}

TEST(FleetSettings, AValueThatIsNoPortIsSaidAndLeavesTheClientOff) {
    test::FakeEngine engine;
    VariableReader reader(engine);
    for (const char* bad : {"65536", "-1", "93 58", "port", "9358x"}) {
        const FleetSidecar fromEnvironment = FindFleetSidecar(bad, reader);
        EXPECT_FALSE(fromEnvironment.m_BaseUrl) << bad;
        EXPECT_NE(fromEnvironment.m_Problem.find("AGONES_SDK_HTTP_PORT \"" + std::string(bad) + "\" is not a port"),
                  std::string::npos);
    }
    for (const char* bad : {"65536", "-1", "port", "9358x"}) {
        engine.m_Variables["AgonesSdkPort"] = bad;
        const FleetSidecar fromVariable = FindFleetSidecar(nullptr, reader);
        EXPECT_FALSE(fromVariable.m_BaseUrl) << bad;
        EXPECT_EQ(fromVariable.m_Problem, "Agones SDK: AgonesSdkPort \"" + std::string(bad) +
                                              "\" is no number from 0 to 65535; the default (off) holds.");
    }
}

} // namespace
} // namespace dravo

namespace dravo {
namespace {

TEST(FleetSettings, TheAllocatedEmptyDelayAndActionAreReadAndWhatIsNotTakenIsSaid) {
    test::FakeEngine engine;
    VariableReader reader(engine);
    std::vector<std::string> notes;
    AllocatedEmptyOptions options = ReadAllocatedEmpty(reader, notes);
    EXPECT_EQ(options.m_DelayMs, 0u);
    EXPECT_EQ(options.m_Action, EmptyAction::Shutdown);
    EXPECT_TRUE(notes.empty());
    engine.m_Variables["AllocatedEmptyDelay"] = "300";
    engine.m_Variables["AllocatedEmptyAction"] = "Ready";
    options = ReadAllocatedEmpty(reader, notes);
    EXPECT_EQ(options.m_DelayMs, 300000u);
    EXPECT_EQ(options.m_Action, EmptyAction::Ready);
    engine.m_Variables["AllocatedEmptyDelay"] = "2000001";
    engine.m_Variables["AllocatedEmptyAction"] = "restart";
    options = ReadAllocatedEmpty(reader, notes);
    EXPECT_EQ(options.m_DelayMs, 0u);
    EXPECT_EQ(options.m_Action, EmptyAction::Shutdown);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0],
              "Agones SDK: AllocatedEmptyAction \"restart\" is neither \"shutdown\" nor \"ready\"; shutdown holds.");
    EXPECT_NE(notes[1].find("AllocatedEmptyDelay \"2000001\""), std::string::npos) << notes[1];
}

} // namespace
} // namespace dravo
