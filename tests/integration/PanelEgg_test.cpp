// The panel egg end to end: its startup command through the image's entry point, as the panel runs it,
// until the done string; its stop command on standard input; exit status 0 with the panel's settings saved.
#include "support/LiveProcess.h"
#include "support/LoopbackPorts.h"
#include "support/SampleGame.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(PanelEgg, StartsUntilDoneStopsOnItsCommandAndKeepsThePanelsSettings) {
    test::SampleGame game;
    const test::UdpPortPair ports = test::FreeUdpPorts();
    const std::string source = DRAVO_SOURCE_DIR;
    const test::ProcessResult result =
        test::RunProcess("/usr/bin/python3",
                         {source + "/tests/integration/panel-egg.py", source + "/deploy/pterodactyl/egg-dravoserv.json",
                          source + "/Containerfile", test::BinDir().string(), game.Path().string(),
                          std::to_string(ports.m_First), std::to_string(ports.m_Second)},
                         ".", "", std::chrono::seconds(90));
    EXPECT_EQ(result.m_ExitStatus, 0) << result.m_Stdout << result.m_Stderr;
    EXPECT_EQ(result.m_Stdout, "ok\n") << result.m_Stderr;
}

} // namespace
} // namespace dravo
