#include "host/console/ConsoleLog.h"
#include "host/console/ConsoleSecrets.h"
#include "support/FakeEngine.h"
#include "support/RecordingView.h"

#include <gtest/gtest.h>

#include <vector>

namespace dravo {
namespace {

TEST(ConsoleSecrets, ACommandThatSetsThePasswordIsLoggedWithItsValueMasked) {
    EXPECT_EQ(ConsoleSecrets::MaskCommand("\"+RconPassword\" \"hunter22\""), "\"+RconPassword\" \"********\"");
    EXPECT_EQ(ConsoleSecrets::MaskCommand("+rconpassword hunter22"), "+rconpassword \"********\"");
    EXPECT_EQ(ConsoleSecrets::MaskCommand("set RconPassword hunter22 and more"), "set RconPassword \"********\"");
    EXPECT_EQ(ConsoleSecrets::MaskCommand("RCONPASSWORD\"hunter22\""), "RCONPASSWORD \"********\"");
    EXPECT_EQ(ConsoleSecrets::MaskCommand("\"+RconPassword hunter22\""), "\"+RconPassword \"********\"");
    // Naming it only (to show it) and other commands stay as typed.
    EXPECT_EQ(ConsoleSecrets::MaskCommand("RconPassword"), "RconPassword");
    EXPECT_EQ(ConsoleSecrets::MaskCommand("  RconPassword \"\" "), "  RconPassword \"\" ");
    EXPECT_EQ(ConsoleSecrets::MaskCommand("+ServerName \"hunter22\""), "+ServerName \"hunter22\"");
}

TEST(ConsoleSecrets, LinesLoseThePasswordWhereverItStands) {
    ConsoleSecrets secrets;
    EXPECT_EQ(secrets.MaskLine("nothing set"), "nothing set");
    secrets.SetValue("rconpassword", "hunter22");
    EXPECT_EQ(secrets.Value("RconPassword"), "hunter22");
    EXPECT_EQ(secrets.MaskLine("RconPassword is \"hunter22\""), "RconPassword is \"********\"");
    EXPECT_EQ(secrets.MaskLine("x hunter22 y hunter22"), "x ******** y ********");
    // A short value is masked only where its variable is named, so that it does not eat every line.
    secrets.SetValue("RconPassword", "ab");
    EXPECT_EQ(secrets.MaskLine("about a cab"), "about a cab");
    EXPECT_EQ(secrets.MaskLine("rconpassword is \"ab\""), "rconpassword is \"********\"");
}

TEST(ConsoleSecrets, TheValueIsReadFromTheEngineAndAnAbsentOneIsEmpty) {
    test::FakeEngine engine;
    ConsoleSecrets secrets;
    secrets.SetValue("RconPassword", "left over");
    secrets.ReadFrom(engine);
    EXPECT_EQ(secrets.Value("RconPassword"), "");
    engine.m_Variables["RconPassword"] = "correct horse";
    secrets.ReadFrom(engine);
    EXPECT_EQ(secrets.Value("RconPassword"), "correct horse");
}

class RecordingSink final : public ILogSink {
public:
    void WriteLine(std::string_view line) override { m_Lines.emplace_back(line); }
    void SetNoticeHandler(NoticeHandler /*handler*/) override {}
    std::vector<std::string> m_Lines;
};

TEST(ConsoleLog, MasksEveryLineForTheViewAndTheSinks) {
    test::RecordingView view;
    ConsoleLog log(view);
    RecordingSink sink;
    log.Attach(sink);
    log.Secrets().SetValue("RconPassword", "hunter22");
    log.Text("RconPassword is \"hunter22\"\n");
    log.Command("+RconPassword \"new-secret\"");
    log.Detach(sink);
    log.Line("after %s", "hunter22");
    const std::vector<std::string> expected = {"RconPassword is \"********\"", "+RconPassword \"********\""};
    EXPECT_EQ(sink.m_Lines, expected);
    EXPECT_EQ(view.Log(), (std::vector<std::string>{expected[0], expected[1], "after ********"}));
}

} // namespace
} // namespace dravo
