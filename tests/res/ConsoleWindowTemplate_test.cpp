// Dialog 129 carries every control of the console window with its kind, text, place and style.
#include "res/ConsoleWindowTemplate.h"

#include "window/DialogModel.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>

namespace dravo {
namespace {

struct Expected {
    int m_Id;
    ControlKind m_Kind;
    const char* m_Text;
    DialogRect m_Place;
};

void ExpectControl(const Expected& expected) {
    const ControlTemplate* control = ConsoleWindowTemplate().FindControl(expected.m_Id);
    ASSERT_NE(control, nullptr) << expected.m_Id;
    EXPECT_EQ(control->m_Kind, expected.m_Kind) << expected.m_Id;
    EXPECT_EQ(control->m_Text, expected.m_Text) << expected.m_Id;
    EXPECT_EQ(control->m_Place.m_X, expected.m_Place.m_X) << expected.m_Id;
    EXPECT_EQ(control->m_Place.m_Y, expected.m_Place.m_Y) << expected.m_Id;
    EXPECT_EQ(control->m_Place.m_Width, expected.m_Place.m_Width) << expected.m_Id;
    EXPECT_EQ(control->m_Place.m_Height, expected.m_Place.m_Height) << expected.m_Id;
}

TEST(ConsoleWindowTemplate, FrameIsDialog129) {
    const DialogTemplate& dialog = ConsoleWindowTemplate();
    EXPECT_EQ(dialog.m_Number, 129);
    EXPECT_EQ(dialog.Key(), "129");
    EXPECT_EQ(dialog.m_Title, "Dravo Server");
    EXPECT_EQ(dialog.m_Width, 399);
    EXPECT_EQ(dialog.m_Height, 271);
    EXPECT_EQ(dialog.m_FontName, "MS Sans Serif");
    EXPECT_EQ(dialog.m_FontPoints, 8);
}

TEST(ConsoleWindowTemplate, HasEveryControlOfTheConsoleTable) {
    using enum ControlKind;
    const Expected table[] = {
        {1003, Static, "", {64, 23, 126, 8}},
        {1037, Static, "", {64, 33, 126, 8}},
        {1038, Static, "", {64, 43, 126, 8}},
        {1039, Static, "", {64, 79, 126, 8}},
        {1040, Static, "", {64, 89, 126, 8}},
        {1041, Static, "", {64, 99, 126, 8}},
        {1042, Static, "", {64, 109, 126, 8}},
        {1043, Static, "", {64, 119, 126, 8}},
        {2, PushButton, "&Shutdown", {213, 27, 50, 16}},
        {1046, PushButton, "&Next Level", {273, 27, 50, 16}},
        {3, PushButton, "&Options...", {333, 27, 50, 16}},
        {1014, ListBox, "", {211, 79, 175, 48}},
        {1015, ListBox, "", {16, 151, 173, 90}},
        {1016, PushButton, "&Boot", {70, 245, 60, 14}},
        {1021, Edit, "", {210, 151, 176, 90}},
        {1018, Edit, "", {210, 245, 147, 14}},
        {1044, PushButton, "&Clear", {361, 245, 25, 14}},
        {1045, DefaultPushButton, "Send", {175, 249, 17, 7}},
    };
    for (const Expected& expected : table) {
        ExpectControl(expected);
    }
}

// Every button of the window has an Alt letter of its own, in every face (the Win32 face reads the same
// captions): a shared letter would work whichever button comes first.
TEST(ConsoleWindowTemplate, EveryVisibleButtonHasALetterOfItsOwn) {
    std::set<char> letters;
    for (const ControlTemplate& control : ConsoleWindowTemplate().m_Controls) {
        if (control.m_Kind != ControlKind::PushButton) {
            continue;
        }
        const size_t mark = control.m_Text.find('&');
        ASSERT_TRUE(mark != std::string_view::npos && mark + 1 < control.m_Text.size()) << control.m_Text;
        EXPECT_TRUE(letters.insert(static_cast<char>(std::tolower(control.m_Text[mark + 1]))).second)
            << control.m_Text << " shares its letter";
    }
    EXPECT_EQ(letters.size(), 5u);
}

TEST(ConsoleWindowTemplate, FramesAndLabelsCarryNoId) {
    std::set<std::string_view> unnamed;
    for (const ControlTemplate& control : ConsoleWindowTemplate().m_Controls) {
        if (control.m_Id == NO_CONTROL_ID) {
            unnamed.insert(control.m_Text);
            if (control.m_Kind == ControlKind::Static) {
                EXPECT_TRUE(HasFlag(control.m_Flags, ControlFlag::RightAligned)) << control.m_Text;
            }
        }
    }
    const std::set<std::string_view> expected = {
        "Server Info", "Name:",          "Running Time:", "Net Service:", "Game Info", "Players:", "Current Level:",
        "Next Level:", "Time in Level:", "Level Goal:",   "Commands",     "Levels",    "Players",  "Console"};
    EXPECT_EQ(unnamed, expected);
}

TEST(ConsoleWindowTemplate, NoIdAppearsTwice) {
    std::set<int> seen;
    for (const ControlTemplate& control : ConsoleWindowTemplate().m_Controls) {
        if (control.m_Id != NO_CONTROL_ID) {
            EXPECT_TRUE(seen.insert(control.m_Id).second) << control.m_Id;
        }
    }
    EXPECT_EQ(seen.size(), 18u);
}

TEST(ConsoleWindowTemplate, EnumNamesTheTemplatesIds) {
    for (const ConsoleControl id :
         {ConsoleControl::Shutdown, ConsoleControl::Options, ConsoleControl::ServerName, ConsoleControl::LevelList,
          ConsoleControl::PlayerList, ConsoleControl::Boot, ConsoleControl::CommandInput, ConsoleControl::ConsoleLog,
          ConsoleControl::RunningTime, ConsoleControl::NetService, ConsoleControl::PlayerCount,
          ConsoleControl::CurrentLevel, ConsoleControl::NextLevelName, ConsoleControl::TimeInLevel,
          ConsoleControl::LevelGoal, ConsoleControl::Clear, ConsoleControl::Send, ConsoleControl::NextLevelButton}) {
        EXPECT_NE(ConsoleWindowTemplate().FindControl(static_cast<int>(id)), nullptr) << static_cast<int>(id);
    }
    // The start command is posted, never a control.
    EXPECT_EQ(ConsoleWindowTemplate().FindControl(static_cast<int>(ConsoleControl::StartHosting)), nullptr);
}

TEST(ConsoleWindowTemplate, StylesGiveTheConsoleItsBehaviour) {
    const DialogModel model(ConsoleWindowTemplate());
    const ControlState* boot = model.Find(1016);
    const ControlState* send = model.Find(1045);
    ASSERT_NE(boot, nullptr);
    ASSERT_NE(send, nullptr);
    EXPECT_FALSE(boot->m_Enabled);
    EXPECT_FALSE(send->m_Visible);
    EXPECT_EQ(model.DefaultButton(), send);

    const ControlState* log = model.Find(1021);
    EXPECT_TRUE(log->IsLog());
    EXPECT_TRUE(log->Has(ControlFlag::AutoScroll));
    EXPECT_TRUE(log->Has(ControlFlag::VerticalScroll));
    DialogModel writable(ConsoleWindowTemplate());
    ASSERT_NE(writable.InputEdit(), nullptr);
    EXPECT_EQ(writable.InputEdit()->Id(), 1018);
    EXPECT_TRUE(writable.InputEdit()->Has(ControlFlag::HorizontalScroll));

    const ControlState* levels = model.Find(1014);
    const ControlState* players = model.Find(1015);
    EXPECT_FALSE(levels->m_List.IsSelectable());
    EXPECT_FALSE(levels->m_List.IsSorted());
    EXPECT_FALSE(players->m_List.IsSorted());
    EXPECT_TRUE(players->Has(ControlFlag::Notify));
    EXPECT_TRUE(players->Has(ControlFlag::TabStops));
}

} // namespace
} // namespace dravo
