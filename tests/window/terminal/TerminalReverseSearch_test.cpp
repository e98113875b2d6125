// Ctrl+R over the command history: the search itself, and the console's keys while it runs.
#include "window/terminal/TerminalReverseSearch.h"

#include "window/terminal/TerminalDialogDriver.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using namespace test;

const std::vector<std::string> HISTORY = {"say hello", "status", "kick Bob", "say goodbye", "set TimeLimit 10"};

TEST(TerminalReverseSearch, FindsTheNewestLineThatHoldsTheTextAndOlderOnesOnRequest) {
    TerminalReverseSearch search(HISTORY, "draft");
    EXPECT_EQ(search.Prompt(), "(reverse-i-search)`': ");
    search.Type("s");
    EXPECT_EQ(search.Found(), "set TimeLimit 10");
    search.Type("a");
    EXPECT_EQ(search.Found(), "say goodbye");
    EXPECT_EQ(search.Prompt(), "(reverse-i-search)`sa': say goodbye");
    search.Older();
    EXPECT_EQ(search.Found(), "say hello");
    search.Older();
    EXPECT_TRUE(search.Failed()) << "nothing older holds it";
    EXPECT_EQ(search.Found(), "say hello") << "the last line found stays";
    EXPECT_EQ(search.Prompt(), "(failed reverse-i-search)`sa': say hello");
    search.Type("y h");
    EXPECT_EQ(search.Found(), "say hello");
    EXPECT_FALSE(search.Failed());
    search.Type("x");
    EXPECT_TRUE(search.Failed());
    search.Erase();
    search.Erase();
    search.Erase();
    search.Erase();
    EXPECT_EQ(search.Text(), "sa");
    EXPECT_EQ(search.Found(), "say goodbye") << "erasing looks again from the newest";
    EXPECT_EQ(search.Original(), "draft");
}

TEST(TerminalReverseSearch, ErasesWholeCharactersAndAnEmptySearchFindsNothing) {
    TerminalReverseSearch search({"say caf\xC3\xA9", "say cafe"}, "");
    search.Older();
    EXPECT_FALSE(search.Found());
    search.Type("\xC3\xA9");
    EXPECT_EQ(search.Found(), "say caf\xC3\xA9");
    search.Erase();
    EXPECT_EQ(search.Text(), "");
    EXPECT_FALSE(search.Found());
}

class HistoryProcedure final : public DialogProcedure {
public:
    std::vector<std::string> OnHistoryLines(DialogApi& /*dialog*/, int id) override {
        return id == NAME ? HISTORY : std::vector<std::string>();
    }
    void OnCommand(DialogApi& dialog, int id, Notification /*code*/) override {
        if (id == SEND) {
            Sent.push_back(dialog.GetItemText(NAME));
        }
    }
    std::vector<std::string> Sent;
};

class SearchKeysTest : public ::testing::Test {
protected:
    SearchKeysTest() : m_Api(CONSOLE, m_Procedure, m_Face), m_Dialog(m_Api, [this] { return m_Face.Activity(); }) {
        m_Dialog.LayOut(80, 24);
    }
    void Press(KeyKind kind, char letter = 0) { m_Dialog.HandleKey(KeyEvent{kind, letter}); }
    void Type(std::string_view text) {
        for (const char c : text) {
            Press(KeyKind::Char, c);
        }
    }

    HistoryProcedure m_Procedure;
    TestFace m_Face;
    DialogApi m_Api;
    TerminalDialog m_Dialog;
};

TEST_F(SearchKeysTest, CtrlRFindsAsTypedEnterSendsItAndEscOrCtrlGGiveTheLineBack) {
    Type("draft");
    Press(KeyKind::Control, 'r');
    Type("kick");
    EXPECT_EQ(m_Api.GetItemText(NAME), "kick Bob");
    EXPECT_EQ(m_Dialog.KeyLegend(), "(reverse-i-search)`kick': kick Bob");
    Press(KeyKind::Escape);
    EXPECT_EQ(m_Api.GetItemText(NAME), "draft") << "Esc leaves with the line as it was";
    EXPECT_EQ(m_Dialog.KeyLegend().find("reverse-i-search"), std::string::npos);

    Press(KeyKind::Control, 'r');
    Type("say");
    Press(KeyKind::Control, 'r');
    EXPECT_EQ(m_Api.GetItemText(NAME), "say hello");
    Press(KeyKind::Control, 'g');
    EXPECT_EQ(m_Api.GetItemText(NAME), "draft");
    Press(KeyKind::Control, 'r');
    Type("q");
    Press(KeyKind::Interrupt); // as Esc: no question to exit
    EXPECT_EQ(m_Api.GetItemText(NAME), "draft");

    Press(KeyKind::Control, 'r');
    Type("stat");
    Press(KeyKind::Enter);
    EXPECT_EQ(m_Procedure.Sent, (std::vector<std::string>{"status"}));
}

TEST_F(SearchKeysTest, AnyOtherKeyTakesTheLineFoundAndActsOnIt) {
    Press(KeyKind::Control, 'r');
    Type("Time");
    Press(KeyKind::Home);
    Type("#");
    EXPECT_EQ(m_Api.GetItemText(NAME), "#set TimeLimit 10");
    EXPECT_TRUE(m_Procedure.Sent.empty());
}

} // namespace
} // namespace dravo
