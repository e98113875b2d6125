// The dialog templates as DLGTEMPLATEEX: the words of the header and of each item, as the dialog manager
// reads them.
#include "res/ConsoleWindowTemplate.h"
#include "res/NetGameTemplate.h"
#include "res/WizardFrame.h"
#include "window/win32/Win32DialogTemplate.h"

#include <gtest/gtest.h>

#include <set>

namespace dravo {
namespace {

TEST(Win32DialogTemplate, CarriesTheTemplateOneToOne) {
    const DialogTemplate& console = ConsoleWindowTemplate();
    const std::vector<WORD> words = BuildWin32DialogTemplate(console, true);
    ASSERT_GT(words.size(), 13u);
    EXPECT_EQ(words[0], 1);      // dlgVer
    EXPECT_EQ(words[1], 0xFFFF); // the extended layout
    const DWORD exStyle = words[4] | (static_cast<DWORD>(words[5]) << 16);
    const DWORD style = words[6] | (static_cast<DWORD>(words[7]) << 16);
    EXPECT_NE(exStyle & WS_EX_APPWINDOW, 0u);
    EXPECT_NE(style & WS_CAPTION, 0u);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0u);
    EXPECT_NE(style & DS_SETFONT, 0u);
    EXPECT_EQ(words[8], console.m_Controls.size());
    EXPECT_EQ(static_cast<int16_t>(words[11]), console.m_Width);
    EXPECT_EQ(static_cast<int16_t>(words[12]), console.m_Height);
    EXPECT_EQ(BuildWin32DialogTemplate(console, false)[4], 0); // owned: not in the taskbar
}

TEST(Win32DialogTemplate, EveryControlHasItsClassStylesAndAUniqueId) {
    const DialogTemplate& page = NetGameTemplate();
    std::set<int> ids;
    for (size_t index = 0; index < page.m_Controls.size(); ++index) {
        EXPECT_TRUE(ids.insert(Win32ControlId(page, index)).second) << index;
    }
    const Win32ControlStyle frags = Win32StyleOf(*page.FindControl(static_cast<int>(NetGameControl::Frags)));
    EXPECT_EQ(frags.m_ClassAtom, 0x0081); // an edit
    EXPECT_NE(frags.m_Style & ES_NUMBER, 0u);
    const Win32ControlStyle next = Win32StyleOf(*page.FindControl(static_cast<int>(WizardControl::Next)));
    EXPECT_EQ(next.m_Style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    const DialogTemplate& console = ConsoleWindowTemplate();
    const Win32ControlStyle players = Win32StyleOf(*console.FindControl(static_cast<int>(ConsoleControl::PlayerList)));
    EXPECT_EQ(players.m_ClassAtom, 0x0083);
    EXPECT_NE(players.m_Style & LBS_USETABSTOPS, 0u);
    EXPECT_NE(players.m_Style & LBS_NOTIFY, 0u);
    const Win32ControlStyle send = Win32StyleOf(*console.FindControl(static_cast<int>(ConsoleControl::Send)));
    EXPECT_EQ(send.m_Style & WS_VISIBLE, 0u); // hidden, still the default button
    const Win32ControlStyle boot = Win32StyleOf(*console.FindControl(static_cast<int>(ConsoleControl::Boot)));
    EXPECT_NE(boot.m_Style & WS_DISABLED, 0u);
    const Win32ControlStyle log = Win32StyleOf(*console.FindControl(static_cast<int>(ConsoleControl::ConsoleLog)));
    EXPECT_NE(log.m_Style & ES_MULTILINE, 0u);
    EXPECT_NE(log.m_Style & ES_READONLY, 0u);
}

} // namespace
} // namespace dravo
