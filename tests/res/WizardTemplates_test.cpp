// The setup page templates and SERVER_OPTIONS carry every control of their layouts, in the common frame.
#include "res/NetGameLevelsTemplate.h"
#include "res/NetGameTemplate.h"
#include "res/NetOptionsTemplate.h"
#include "res/NetRezFilesTemplate.h"
#include "res/NetServicesTemplate.h"
#include "res/Pictures.h"
#include "res/ServerOptionsTemplate.h"
#include "res/WizardFrame.h"

#include <gtest/gtest.h>

#include <set>

namespace dravo {
namespace {

using enum ControlKind;
using enum ControlFlag;

struct Expected {
    int m_Id;
    ControlKind m_Kind;
    std::string_view m_Text;
    DialogRect m_Place;
    ControlFlag m_Flags = None;
};

void ExpectControls(const DialogTemplate& dialog, std::initializer_list<Expected> table) {
    for (const Expected& expected : table) {
        SCOPED_TRACE(dialog.Key() + " " + std::to_string(expected.m_Id) + " " + std::string(expected.m_Text));
        const ControlTemplate* control = nullptr;
        for (const ControlTemplate& candidate : dialog.m_Controls) {
            if (candidate.m_Id == expected.m_Id && candidate.m_Text == expected.m_Text &&
                candidate.m_Kind == expected.m_Kind) {
                control = &candidate;
            }
        }
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->m_Place.m_X, expected.m_Place.m_X);
        EXPECT_EQ(control->m_Place.m_Y, expected.m_Place.m_Y);
        EXPECT_EQ(control->m_Place.m_Width, expected.m_Place.m_Width);
        EXPECT_EQ(control->m_Place.m_Height, expected.m_Place.m_Height);
        EXPECT_EQ(control->m_Flags, expected.m_Flags);
    }
}

void ExpectUniqueIds(const DialogTemplate& dialog) {
    std::set<int> ids;
    for (const ControlTemplate& control : dialog.m_Controls) {
        if (control.m_Id != NO_CONTROL_ID) {
            EXPECT_TRUE(ids.insert(control.m_Id).second) << dialog.Key() << " " << control.m_Id;
        }
    }
}

void ExpectFrame(const DialogTemplate& page, std::string_view name, std::string_view heading, std::string_view nextText,
                 bool backDisabled) {
    SCOPED_TRACE(std::string(name));
    EXPECT_EQ(page.Key(), name);
    EXPECT_EQ(page.m_Title, "Dravo Server Wizard");
    EXPECT_EQ(page.m_Width, 270);
    EXPECT_EQ(page.m_Height, 170);
    EXPECT_EQ(page.m_FontName, "MS Sans Serif");
    EXPECT_EQ(page.m_FontPoints, 8);
    ExpectControls(page, {
                             {NO_CONTROL_ID, Bitmap, "DRAVO", {7, 7, 36, 125}, Border | Centered},
                             {NO_CONTROL_ID, Separator, "", {7, 142, 256, 1}, Sunken},
                             {NO_CONTROL_ID, Static, heading, {50, 10, 213, 8}},
                             {1003, PushButton, "< &Back", {85, 149, 50, 14}, backDisabled ? Disabled : None},
                             {1004, DefaultPushButton, nextText, {135, 149, 50, 14}},
                             {2, PushButton, "&Cancel", {213, 149, 50, 14}},
                         });
    ExpectUniqueIds(page);
}

TEST(WizardTemplates, EveryPageHasTheCommonFrame) {
    ExpectFrame(NetServicesTemplate(), "NET_SERVICES", "Which networking service you would like to use?", "&Next >",
                true);
    ExpectFrame(NetRezFilesTemplate(), "NET_REZFILES", "Which additional rez files would you like to load?", "&Next >",
                false);
    ExpectFrame(NetGameTemplate(), "NET_GAME", "What settings would you like for this game server?", "&Next >", false);
    ExpectFrame(NetOptionsTemplate(), "NET_OPTIONS", "What options would you like for this game server?", "&Next >",
                false);
    ExpectFrame(NetGameLevelsTemplate(), "NET_GAMELEVELS", "Which levels would you like to play?", "&Finish", false);
}

TEST(WizardTemplates, ServicesAndGamePages) {
    ExpectControls(NetServicesTemplate(),
                   {
                       {1002, ListBox, "", {50, 25, 213, 40}, Sorted | Notify | VerticalScroll | Border},
                       {NO_CONTROL_ID, Static, "What information would you like to broadcast?", {50, 80, 213, 8}},
                       {1050, CheckBox, "Communicate with GameSpy (tcp/ip only)", {60, 92, 150, 10}},
                       {1049, CheckBox, "Update game info for new joiners", {60, 104, 150, 10}},
                       {1048, CheckBox, "Register server with Dravo web site (tcp/ip only)", {60, 116, 203, 10}},
                   });
    ExpectControls(NetGameTemplate(),
                   {
                       {NO_CONTROL_ID, GroupBox, "Server Name", {50, 23, 213, 30}},
                       {1011, Edit, "", {60, 35, 192, 12}, HorizontalScroll},
                       {NO_CONTROL_ID, Static, "How would you like each level to end?", {50, 60, 213, 8}},
                       {1022, CheckBox, "After", {70, 75, 30, 10}},
                       {1023, Edit, "", {101, 74, 25, 12}, DigitsOnly | HorizontalScroll},
                       {NO_CONTROL_ID, Static, "frags", {132, 75, 50, 8}},
                       {1024, CheckBox, "After", {70, 89, 30, 10}},
                       {1025, Edit, "", {101, 88, 25, 12}, DigitsOnly | HorizontalScroll},
                       {NO_CONTROL_ID, Static, "minutes", {132, 89, 50, 8}},
                       {NO_CONTROL_ID, Static, "How many players would you like to allow?", {51, 109, 140, 8}},
                       {1044, Edit, "", {194, 107, 30, 12}, DigitsOnly | HorizontalScroll},
                       {1062, Static, "Which tcp/ip port would you like to use?", {51, 123, 140, 8}},
                       {1045, Edit, "", {194, 121, 30, 12}, DigitsOnly | HorizontalScroll},
                   });
}

TEST(WizardTemplates, LevelAndRezPages) {
    constexpr ControlFlag LIST = Notify | VerticalScroll | Border;
    ExpectControls(NetGameLevelsTemplate(), {
                                                {NO_CONTROL_ID, Static, "Retail Levels:", {50, 25, 80, 8}},
                                                {1030, ListBox, "", {50, 35, 80, 40}, Sorted | LIST},
                                                {NO_CONTROL_ID, Static, "Custom Levels:", {50, 82, 80, 8}},
                                                {1031, ListBox, "", {50, 92, 80, 40}, Sorted | LIST},
                                                {1032, PushButton, "Add >", {135, 49, 42, 14}},
                                                {1034, PushButton, "< Remove", {135, 77, 42, 14}},
                                                {1033, PushButton, "Add >", {135, 105, 42, 14}},
                                                {NO_CONTROL_ID, Static, "Game Levels:", {183, 25, 80, 8}},
                                                {1029, ListBox, "", {183, 35, 80, 85}, LIST},
                                                {1053, CheckBox, "Save levels", {183, 124, 80, 10}},
                                            });
    ExpectControls(NetRezFilesTemplate(), {
                                              {NO_CONTROL_ID, Static, "Available Rez Files:", {50, 25, 80, 8}},
                                              {1050, ListBox, "", {50, 35, 80, 97}, Sorted | LIST},
                                              {1052, PushButton, "Add >", {135, 60, 42, 14}},
                                              {1034, PushButton, "< Remove", {135, 80, 42, 14}},
                                              {NO_CONTROL_ID, Static, "Rez Files to Load:", {183, 25, 80, 8}},
                                              {1051, ListBox, "", {183, 35, 80, 95}, LIST},
                                          });
}

TEST(WizardTemplates, BothOptionsDialogs) {
    ExpectControls(NetOptionsTemplate(), {
                                             {NO_CONTROL_ID, GroupBox, "Toggles", {50, 25, 84, 50}},
                                             {1054, CheckBox, "Tractor Beam", {57, 38, 70, 10}},
                                             {1055, CheckBox, "Double Jump", {57, 48, 70, 10}},
                                             {1056, CheckBox, "Ramming Damage", {57, 58, 70, 10}},
                                             {NO_CONTROL_ID, GroupBox, "World", {138, 25, 125, 50}},
                                             {NO_CONTROL_ID, Static, "Time Speed:", {141, 41, 43, 8}, RightAligned},
                                             {1063, Edit, "", {186, 40, 59, 12}, HorizontalScroll},
                                             {1065, PushButton, "?", {248, 40, 12, 12}},
                                             {1069, PushButton, "Night Color:", {141, 54, 43, 12}, RightAligned},
                                             {1064, Edit, "", {186, 54, 59, 12}, HorizontalScroll},
                                             {1066, PushButton, "?", {248, 54, 12, 12}},
                                             {NO_CONTROL_ID, GroupBox, "Speeds", {50, 82, 84, 50}},
                                             {NO_CONTROL_ID, Static, "Run:", {52, 98, 24, 8}, RightAligned},
                                             {1057, Edit, "", {78, 97, 40, 12}, HorizontalScroll},
                                             {1061, PushButton, "?", {120, 97, 12, 12}},
                                             {NO_CONTROL_ID, Static, "Missile:", {52, 112, 24, 8}, RightAligned},
                                             {1058, Edit, "", {78, 111, 40, 12}, HorizontalScroll},
                                             {1062, PushButton, "?", {120, 111, 12, 12}},
                                             {NO_CONTROL_ID, GroupBox, "Scales", {138, 82, 125, 50}},
                                             {NO_CONTROL_ID, Static, "Respawn:", {141, 99, 43, 8}, RightAligned},
                                             {1059, Edit, "", {186, 98, 59, 12}, HorizontalScroll},
                                             {1067, PushButton, "?", {248, 98, 12, 12}},
                                             {NO_CONTROL_ID, Static, "Heal:", {141, 113, 43, 8}, RightAligned},
                                             {1060, Edit, "", {186, 112, 59, 12}, HorizontalScroll},
                                             {1068, PushButton, "?", {248, 112, 12, 12}},
                                         });
    const DialogTemplate& server = ServerOptionsTemplate();
    EXPECT_EQ(server.Key(), "SERVER_OPTIONS");
    EXPECT_EQ(server.m_Title, "Dravo Server Options");
    EXPECT_EQ(server.m_Width, 226);
    EXPECT_EQ(server.m_Height, 150);
    EXPECT_EQ(server.FindControl(1003), nullptr); // no Back
    for (const ControlTemplate& control : server.m_Controls) {
        EXPECT_NE(control.m_Kind, Bitmap);
        EXPECT_NE(control.m_Kind, Separator);
    }
    ExpectControls(server, {
                               {NO_CONTROL_ID, GroupBox, "Toggles", {7, 7, 84, 50}},
                               {1054, CheckBox, "Tractor Beam", {14, 20, 70, 10}},
                               {1055, CheckBox, "Double Jump", {14, 30, 70, 10}},
                               {1056, CheckBox, "Ramming Damage", {14, 40, 70, 10}},
                               {NO_CONTROL_ID, GroupBox, "World", {95, 7, 125, 50}},
                               {NO_CONTROL_ID, Static, "Time Speed:", {98, 23, 43, 8}, RightAligned},
                               {1063, Edit, "", {143, 22, 59, 12}, HorizontalScroll},
                               {1065, PushButton, "?", {205, 22, 12, 12}},
                               {1069, PushButton, "Night Color:", {98, 36, 43, 12}, RightAligned},
                               {1064, Edit, "", {143, 36, 59, 12}, HorizontalScroll},
                               {1066, PushButton, "?", {205, 36, 12, 12}},
                               {NO_CONTROL_ID, GroupBox, "Speeds", {7, 64, 84, 50}},
                               {NO_CONTROL_ID, Static, "Run:", {9, 80, 24, 8}, RightAligned},
                               {1057, Edit, "", {35, 79, 40, 12}, HorizontalScroll},
                               {1061, PushButton, "?", {77, 79, 12, 12}},
                               {NO_CONTROL_ID, Static, "Missile:", {9, 94, 24, 8}, RightAligned},
                               {1058, Edit, "", {35, 93, 40, 12}, HorizontalScroll},
                               {1062, PushButton, "?", {77, 93, 12, 12}},
                               {NO_CONTROL_ID, GroupBox, "Scales", {95, 64, 125, 50}},
                               {NO_CONTROL_ID, Static, "Respawn:", {98, 81, 43, 8}, RightAligned},
                               {1059, Edit, "", {143, 80, 59, 12}, HorizontalScroll},
                               {1067, PushButton, "?", {205, 80, 12, 12}},
                               {NO_CONTROL_ID, Static, "Heal:", {98, 95, 43, 8}, RightAligned},
                               {1060, Edit, "", {143, 94, 59, 12}, HorizontalScroll},
                               {1068, PushButton, "?", {205, 94, 12, 12}},
                               {1004, DefaultPushButton, "&OK", {55, 129, 50, 14}},
                               {2, PushButton, "&Cancel", {121, 129, 50, 14}},
                           });
    ExpectUniqueIds(server);
}

TEST(Pictures, BitmapAndIconAreShowable) {
    for (const TextPicture* picture : {Pictures::FindBitmap("DRAVO"), Pictures::FindIcon(128)}) {
        ASSERT_NE(picture, nullptr);
        ASSERT_FALSE(picture->m_Rows.empty());
        for (const std::string_view row : picture->m_Rows) {
            EXPECT_EQ(row.size(), picture->m_Rows[0].size());
        }
    }
    const TextPicture* bitmap = Pictures::FindBitmap("DRAVO");
    EXPECT_EQ(bitmap->m_PixelWidth, 26);
    EXPECT_EQ(bitmap->m_PixelHeight, 156);
    EXPECT_LE(bitmap->m_Rows.size(), 125u / 8); // fits its frame at 8 units a row
    EXPECT_LE(bitmap->m_Rows[0].size(), 36u / 4);
    EXPECT_EQ(Pictures::FindBitmap("dravo"), nullptr);
    EXPECT_EQ(Pictures::FindIcon(129), nullptr);
}

} // namespace
} // namespace dravo
