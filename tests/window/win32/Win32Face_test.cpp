// The Win32 face driven for real: the setup wizard's pages, the console window, the options dialog and
// message boxes, worked through real Win32 controls by the same scripts the scripted face runs; posted
// work and timers waking a modal dialog with nothing else happening.
#include "res/ConsoleWindowTemplate.h"
#include "res/NetGameLevelsTemplate.h"
#include "res/NetGameTemplate.h"
#include "res/NetOptionsTemplate.h"
#include "res/NetRezFilesTemplate.h"
#include "res/NetServicesTemplate.h"
#include "res/ServerOptionsTemplate.h"
#include "res/StringTable.h"
#include "settings/GameOptionCommands.h"
#include "support/FakeClock.h"
#include "support/FakeEngine.h"
#include "support/HostedConsole.h"
#include "support/ManualSteps.h"
#include "support/TempDir.h"
#include "ui/ConsoleWindow.h"
#include "ui/WizardTestGame.h"
#include "ui/pages/WizardPage.h"
#include "window/DialogApi.h"
#include "window/win32/Win32ScriptedFace.h"
#include "window/win32/Win32WindowSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <thread>

namespace dravo {
namespace {

using test::Win32ScriptedFace;
using Win32WizardTest = test::WizardTestOn<Win32ScriptedFace>;

std::string RealTitle(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND ControlWindow(HWND dialog, ControlId id) {
    return GetDlgItem(dialog, id.Value());
}

// The characters an edit has selected, first and one past the last.
std::pair<DWORD, DWORD> SelectionOf(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

// Pixels by which a control's text is wider than the room the control shows it in (0 or less: it all
// shows): an edit's formatting rectangle, a label's whole width, a button's face inside its edges and
// focus frame, a check box's width beside its box.
int Overflow(HWND control) {
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    HDC context = GetDC(control);
    HGDIOBJ old = SelectObject(context, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT needed{};
    DrawTextW(context, text, -1, &needed, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(context, old);
    ReleaseDC(control, context);
    RECT room{};
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (lstrcmpiW(className, L"Edit") == 0) {
        SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
    } else if (lstrcmpiW(className, L"Static") == 0) {
        GetClientRect(control, &room);
    } else if ((style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        GetClientRect(control, &room);
        room.left += GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE);
    } else {
        GetClientRect(control, &room);
        InflateRect(&room, -(GetSystemMetrics(SM_CXEDGE) + 1), 0);
    }
    return (needed.right - needed.left) - (room.right - room.left);
}

// The texts of a dialog's visible one-line controls that do not show whole, with the pixels they lack.
std::vector<std::string> ClippedTexts(HWND dialog) {
    std::vector<std::string> clipped;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        const bool oneLine = lstrcmpiA(className, "Button") == 0 ||
                             (lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT) ||
                             (lstrcmpiA(className, "Edit") == 0 && (style & ES_MULTILINE) == 0);
        if (!oneLine || (style & WS_VISIBLE) == 0 || RealTitle(child).empty()) {
            continue;
        }
        if (const int lacking = Overflow(child); lacking > 0) {
            clipped.push_back(RealTitle(child) + " (" + std::to_string(lacking) + " px)");
        }
    }
    return clipped;
}

TEST_F(Win32WizardTest, FirstRunWalksEveryPageOnRealControls) {
    ChooseService();
    m_Windows.AddScript(NET_REZFILES_NAME, [](ScriptedDialog& page) {
        EXPECT_TRUE(page.SelectText(NetRezFilesControl::Available, "arena.rez"));
        EXPECT_TRUE(page.Click(NetRezFilesControl::Add));
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    m_Windows.AddScript(NET_GAME_NAME, [](ScriptedDialog& page) {
        EXPECT_TRUE(page.IsVisible(NetGameControl::Port));
        EXPECT_TRUE(page.SetText(NetGameControl::ServerName, "Wizard Arena"));
        EXPECT_EQ(page.Text(NetGameControl::ServerName), "Wizard Arena");
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    PressNext(NET_OPTIONS_NAME);
    FinishWithLevels({"Skyharbor", "Cinderworks"}, {"Glasshouse"}, true);

    ASSERT_TRUE(Run());
    ASSERT_EQ(m_Windows.Dialogs().size(), 5u);
    EXPECT_STREQ(m_Host.m_ServerName, "Wizard Arena");
    EXPECT_STREQ(m_Host.m_ServiceName, "Tcp/ip");
    ASSERT_EQ(m_Info.m_LevelCount, 3);
    EXPECT_STREQ(m_Info.m_LevelNames[0], "Worlds\\Multi\\Skyharbor");
    EXPECT_STREQ(m_Info.m_LevelNames[2], "Glasshouse");
    EXPECT_EQ(test::StoredText(Engine(), "RezFile0"), "Custom\\arena.rez");
    // The "-go" tip, as a real message box.
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Caption, "Dravo Server");
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, StringTable::Find(STR_DASH_GO_TIP).value_or("missing"));
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Buttons, MessageBoxButtons::Ok);
}

TEST_F(Win32WizardTest, BackAndCancelWorkOnRealButtons) {
    ChooseService();
    m_Windows.AddScript(NET_REZFILES_NAME, [](ScriptedDialog& page) {
        EXPECT_TRUE(page.IsEnabled(WizardControl::Back));
        EXPECT_TRUE(page.Click(WizardControl::Back));
    });
    m_Windows.AddScript(NET_SERVICES_NAME, [this](ScriptedDialog& page) {
        EXPECT_FALSE(page.IsEnabled(WizardControl::Back)); // the first page has nowhere to go back to
        EXPECT_FALSE(page.Click(WizardControl::Back));
        m_Windows.QueueAnswer(MessageBoxResult::Yes); // discard the setup
        EXPECT_TRUE(page.PressEscape());
    });
    EXPECT_FALSE(Run());
    EXPECT_EQ(m_Windows.Dialogs().size(), 3u);
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, DISCARD_SETUP_QUESTION);
}

TEST_F(Win32WizardTest, LevelPageListsMoveBetweenRealListBoxes) {
    ChooseService();
    PressNext(NET_REZFILES_NAME);
    PressNext(NET_GAME_NAME);
    PressNext(NET_OPTIONS_NAME);
    m_Windows.AddScript(NET_GAMELEVELS_NAME, [](ScriptedDialog& page) {
        const int before = page.ListCount(NetGameLevelsControl::RetailLevels);
        EXPECT_GT(before, 0);
        EXPECT_TRUE(page.DoubleClick(NetGameLevelsControl::RetailLevels, 0)); // a double click adds
        EXPECT_EQ(page.ListCount(NetGameLevelsControl::GameLevels), 1);
        EXPECT_TRUE(page.SetChecked(NetGameLevelsControl::SaveLevels, false));
        EXPECT_FALSE(page.IsChecked(NetGameLevelsControl::SaveLevels));
        EXPECT_TRUE(page.PressEnter()); // Finish is the default button
    });
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_Info.m_LevelCount, 1);
}

TEST_F(Win32WizardTest, ARefusedValueKeepsTheCaretInItsFieldWithTheTextSelected) {
    ChooseService();
    PressNext(NET_REZFILES_NAME);
    m_Windows.AddScript(NET_GAME_NAME, [&](ScriptedDialog& page) {
        HWND window = m_Windows.DialogWindow();
        HWND port = ControlWindow(window, NetGameControl::Port);
        HWND maxPlayers = ControlWindow(window, NetGameControl::MaxPlayers);
        EXPECT_TRUE(page.SetText(NetGameControl::Port, "70000"));
        EXPECT_TRUE(page.Click(WizardControl::Next)); // the port range message, answered OK
        ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
        EXPECT_EQ(GetFocus(), port);
        EXPECT_EQ(SelectionOf(port), std::make_pair(DWORD{0}, DWORD{5}));
        test::TypeKeys(window, "7000"); // typing replaces the refused value
        EXPECT_EQ(page.Text(NetGameControl::Port), "7000");

        EXPECT_TRUE(page.SetText(NetGameControl::MaxPlayers, "0"));
        EXPECT_TRUE(page.Click(WizardControl::Next)); // refused: the page stays
        EXPECT_EQ(GetFocus(), maxPlayers);
        const auto shown = static_cast<DWORD>(page.Text(NetGameControl::MaxPlayers).size());
        EXPECT_GT(shown, 0u);
        EXPECT_EQ(SelectionOf(maxPlayers), std::make_pair(DWORD{0}, shown));
        test::TypeKeys(window, "12");
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    PressNext(NET_OPTIONS_NAME);
    FinishWithLevels({"Skyharbor"}, {});
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_Settings.m_Port, 7000);
    EXPECT_EQ(m_Host.m_MaxPlayers, 12);
}

TEST_F(Win32WizardTest, ButtonsAnswerToAltAndTheirLetterOnly) {
    ChooseService();
    m_Windows.AddScript(NET_REZFILES_NAME, [&](ScriptedDialog& page) {
        HWND window = m_Windows.DialogWindow();
        for (const ControlId button : {ControlId(WizardControl::Next), ControlId(NetRezFilesControl::Add)}) {
            test::FocusControl(window, button.Value());
            test::TypeKeys(window, "nbcar"); // &Next, &Back, &Cancel, and the letters of Add and Remove
            EXPECT_EQ(GetFocus(), ControlWindow(window, button));
        }
        EXPECT_EQ(m_Windows.Dialogs().size(), 2u); // still this page
        EXPECT_TRUE(m_Windows.MessageBoxes().empty());
        EXPECT_EQ(page.ListCount(NetRezFilesControl::ToLoad), 0);
        test::PressAltKey(window, 'n');
    });
    PressNext(NET_GAME_NAME);
    PressNext(NET_OPTIONS_NAME);
    FinishWithLevels({"Skyharbor"}, {});
    ASSERT_TRUE(Run());
    ASSERT_EQ(m_Windows.Dialogs().size(), 5u);
    EXPECT_EQ(m_Windows.Dialogs()[2].m_Key, NET_GAME_NAME);
}

TEST_F(Win32WizardTest, EveryTextShowsWholeAndNumbersScroll) {
    const auto whole = [this](std::function<void(ScriptedDialog&)> then) {
        return [this, then](ScriptedDialog& page) {
            EXPECT_EQ(ClippedTexts(m_Windows.DialogWindow()), std::vector<std::string>{});
            then(page);
        };
    };
    const auto next = [](ScriptedDialog& page) { EXPECT_TRUE(page.Click(WizardControl::Next)); };
    m_Windows.AddScript(NET_SERVICES_NAME, whole([](ScriptedDialog& page) {
                            EXPECT_TRUE(page.SelectText(NetServicesControl::ServiceList, test::TCP_IP_SERVICE));
                            EXPECT_TRUE(page.Click(WizardControl::Next));
                        }));
    m_Windows.AddScript(NET_REZFILES_NAME, whole(next));
    m_Windows.AddScript(NET_GAME_NAME, whole([&](ScriptedDialog& page) {
                            // Digits typed past the field's width scroll into it, so that a value out of
                            // range can be typed, and refused.
                            HWND window = m_Windows.DialogWindow();
                            for (const ControlId id :
                                 {ControlId(NetGameControl::Port), ControlId(NetGameControl::MaxPlayers),
                                  ControlId(NetGameControl::Frags), ControlId(NetGameControl::Minutes)}) {
                                test::FocusControl(window, id.Value());
                                test::TypeKeys(window, "1234567890");
                                EXPECT_EQ(page.Text(id), "1234567890") << id.Value();
                                EXPECT_TRUE(page.SetText(id, "7"));
                            }
                            EXPECT_TRUE(page.Click(WizardControl::Next));
                        }));
    m_Windows.AddScript(NET_OPTIONS_NAME, whole(next));
    m_Windows.AddScript(NET_GAMELEVELS_NAME, whole([](ScriptedDialog& page) {
                            EXPECT_TRUE(page.DoubleClick(NetGameLevelsControl::RetailLevels, 0));
                            EXPECT_TRUE(page.PressEnter());
                        }));
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_Windows.Dialogs().size(), 5u);
}

TEST(Win32WindowSystem, TheFocusAProcedureAsksForAtItsStartIsWhereItStarts) {
    class AsksForTheFocus final : public DialogProcedure {
    public:
        void OnInit(DialogApi& dialog) override {
            EXPECT_TRUE(dialog.SetItemText(NetGameControl::MaxPlayers, "16"));
            EXPECT_TRUE(dialog.SetFocus(NetGameControl::MaxPlayers));
        }
        void OnShow(DialogApi& dialog) override {
            HWND field = GetFocus();
            m_Focused = GetDlgCtrlID(field);
            SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&m_Start), reinterpret_cast<LPARAM>(&m_End));
            dialog.EndDialog(1);
        }
        int m_Focused = 0;
        DWORD m_Start = 9;
        DWORD m_End = 9;
    };
    Win32WindowSystem windows;
    AsksForTheFocus procedure;
    EXPECT_EQ(windows.RunDialog(NetGameTemplate(), procedure), 1);
    EXPECT_EQ(procedure.m_Focused, static_cast<int>(NetGameControl::MaxPlayers));
    EXPECT_EQ(procedure.m_Start, 0u);
    EXPECT_EQ(procedure.m_End, 2u);
}

class Win32ConsoleTest : public ::testing::Test {
protected:
    test::TempDir m_Directory;
    test::CurrentDirectory m_Current{m_Directory.Path()};
    test::FakeEngine m_Engine;
    Win32ScriptedFace m_Windows;
    test::FakeClock m_Clock;
    HostInfo m_Host{};
    GameOptions m_Options{};
    GameInfo m_Game{};
    std::atomic<bool> m_EmptyExit{false};

    void SetUp() override {
        std::strcpy(m_Host.m_ServerName, "Console & Co");
        std::strcpy(m_Host.m_ServiceName, "Tcp/ip");
        m_Game.m_EndType = END_AFTER_FRAGS_OR_TIME;
        m_Game.m_EndFrags = 25;
        m_Game.m_EndTime = 10;
        m_Game.m_LevelCount = 2;
        std::strcpy(m_Game.m_LevelNames[0], "Worlds\\Multi\\Cinderworks");
        std::strcpy(m_Game.m_LevelNames[1], "Arena");
        m_Engine.m_HostAddress = "127.0.0.1";
        SetGameOptionsStartValues(m_Options);
    }
    int Run(const std::function<void(test::HostedConsole&, ScriptedDialog&)>& script) {
        test::ManualSteps steps(m_Clock);
        test::HostedConsole window(m_Windows, m_Clock, &m_Engine,
                                   SessionRecords{m_Host, m_Options, m_Game, m_EmptyExit, 0}, &steps);
        m_Windows.AddScript(CONSOLE_WINDOW_TEMPLATE_NUMBER, [&](ScriptedDialog& dialog) { script(window, dialog); });
        return window.Run();
    }
};

TEST_F(Win32ConsoleTest, FieldsCommandsAndShutdownOnRealControls) {
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        HWND window = m_Windows.DialogWindow();
        EXPECT_EQ(RealTitle(window), "Dravo Server v2.1");
        EXPECT_EQ(ClippedTexts(window), std::vector<std::string>{});
        EXPECT_EQ(dialog.Text(ConsoleControl::ServerName), "Console & Co");
        EXPECT_EQ(dialog.Text(ConsoleControl::LevelGoal), "25 Frags or 10 Minutes");
        EXPECT_EQ(dialog.ListCount(ConsoleControl::LevelList), 2);
        EXPECT_EQ(dialog.ListText(ConsoleControl::LevelList, 1), "  Arena"); // not the level played: unmarked
        EXPECT_FALSE(dialog.IsVisible(ConsoleControl::Send));
        EXPECT_NE(dialog.Text(ConsoleControl::ConsoleLog).find("Server is running.\r\n"), std::string::npos);
        // Enter in the command input presses the hidden default button Send.
        m_Engine.m_Commands.clear();
        EXPECT_TRUE(dialog.SetText(ConsoleControl::CommandInput, "status"));
        EXPECT_TRUE(dialog.PressEnter());
        ASSERT_EQ(m_Engine.m_Commands.size(), 1u);
        EXPECT_EQ(m_Engine.m_Commands[0], "status");
        EXPECT_EQ(dialog.Text(ConsoleControl::CommandInput), "");
        m_Windows.QueueAnswer(MessageBoxResult::Yes); // Clear asks first
        EXPECT_TRUE(dialog.Click(ConsoleControl::Clear));
        EXPECT_EQ(dialog.Text(ConsoleControl::ConsoleLog), "");
        // The question, answered No by a click in the real box, keeps the game; Yes ends it.
        m_Windows.QueueAnswer(MessageBoxResult::No);
        EXPECT_TRUE(dialog.Click(ConsoleControl::Shutdown));
        EXPECT_TRUE(IsWindow(window));
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        EXPECT_TRUE(dialog.Click(ConsoleControl::Shutdown));
    });
    // The questions, as the real box showed them (the console window asks through the face itself).
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 3u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text.rfind("Clear the console log?", 0), 0u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Result, MessageBoxResult::Yes);
    EXPECT_TRUE(m_Windows.MessageBoxes()[1].m_Answered);
    EXPECT_EQ(m_Windows.MessageBoxes()[1].m_Text, StringTable::Find(STR_CONFIRM_EXIT).value_or("missing"));
    EXPECT_EQ(m_Windows.MessageBoxes()[1].m_Buttons, MessageBoxButtons::YesNo);
    EXPECT_EQ(m_Windows.MessageBoxes()[1].m_Icon, MessageBoxIcon::Question);
    EXPECT_TRUE(m_Windows.MessageBoxes()[2].m_Answered);
    EXPECT_EQ(m_Windows.MessageBoxes()[2].m_Result, MessageBoxResult::Yes);
    EXPECT_TRUE(m_Windows.Dialogs().front().m_Finished);
}

TEST_F(Win32ConsoleTest, TheFocusStartsInTheCommandInputAndKeysTypedAnywhereGoThere) {
    Run([&](test::HostedConsole& console, ScriptedDialog& dialog) {
        HWND window = m_Windows.DialogWindow();
        HWND input = ControlWindow(window, ConsoleControl::CommandInput);
        EXPECT_EQ(GetFocus(), input);
        m_Engine.m_Commands.clear();
        m_Engine.m_Posted.clear();
        test::TypeKeys(window, "ab");
        SendMessageW(input, EM_SETSEL, 1, 1); // the caret left between a and b
        // The letters of Shutdown, Next Level, Options and Boot, and Space, typed while a button, a list or
        // the log has the focus, go on at that caret; none of them presses a button.
        std::string typed = "a";
        for (const ControlId id : {ControlId(ConsoleControl::Shutdown), ControlId(ConsoleControl::NextLevelButton),
                                   ControlId(ConsoleControl::Options), ControlId(ConsoleControl::Clear),
                                   ControlId(ConsoleControl::PlayerList), ControlId(ConsoleControl::ConsoleLog)}) {
            test::FocusControl(window, id.Value());
            test::TypeKeys(window, "snob ");
            typed += "snob ";
            EXPECT_EQ(GetFocus(), input) << id.Value();
        }
        EXPECT_EQ(dialog.Text(ConsoleControl::CommandInput), typed + "b");
        EXPECT_TRUE(m_Windows.MessageBoxes().empty());
        EXPECT_EQ(m_Windows.Dialogs().size(), 1u); // no options dialog
        EXPECT_TRUE(m_Engine.m_Posted.empty());    // no level skipped
        EXPECT_NE(dialog.Text(ConsoleControl::ConsoleLog), "");
        test::PressKey(window, VK_RETURN); // Enter sends it
        ASSERT_EQ(m_Engine.m_Commands.size(), 1u);
        EXPECT_EQ(m_Engine.m_Commands[0], typed + "b");
        // Alt and the letter still press the buttons; Next Level asks first.
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        test::PressAltKey(window, 'n');
        EXPECT_EQ(m_Engine.m_Posted, std::vector<std::string>{"NEXTLEVEL"});
        ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
        // The exit question's default is No: a reflex Enter keeps the game.
        m_Windows.QueueEnter();
        test::PressAltKey(window, 's');
        ASSERT_EQ(m_Windows.MessageBoxes().size(), 2u);
        EXPECT_EQ(m_Windows.MessageBoxes()[1].m_Result, MessageBoxResult::No);
        EXPECT_TRUE(console.Session().IsRunning());
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        test::PressAltKey(window, 's');
        EXPECT_EQ(m_Windows.MessageBoxes().size(), 3u);
        EXPECT_FALSE(console.Session().IsRunning());
    });
    EXPECT_TRUE(m_Windows.Dialogs().front().m_Finished);
}

TEST_F(Win32ConsoleTest, TheCommandInputTakesWhatACommandHoldsAndNoMore) {
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        HWND window = m_Windows.DialogWindow();
        m_Engine.m_Commands.clear();
        const std::string command = "addfrag " + std::string(COMMAND_INPUT_CHARS, 'x');
        test::TypeKeys(window, command);
        EXPECT_EQ(dialog.Text(ConsoleControl::CommandInput), command.substr(0, COMMAND_INPUT_CHARS));
        test::PressKey(window, VK_RETURN);
        EXPECT_EQ(m_Engine.m_Commands, std::vector<std::string>{command.substr(0, COMMAND_INPUT_CHARS)});
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        dialog.Click(ConsoleControl::Shutdown);
    });
}

TEST_F(Win32ConsoleTest, TheCommandFieldBansSaysAndChangesTheLevelAsEveryConsoleDoes) {
    Run([&](test::HostedConsole& window, ScriptedDialog& dialog) {
        window.Session().Bans().SetFiles({m_Directory.Path() / "banned.txt", m_Directory.Path() / "details.txt"});
        window.Session().LoadBans();
        HostedGame game;
        game.m_Rotation = {"Cinderworks", "Arena"};
        window.Session().Facts().HostingStarted(game);
        window.Session().Facts().LevelChanged("Cinderworks");
        window.Session().OnGameText("[GMSG:0][PLRS:2][PLRN1:Ace][PLRF1:3][PLRI1:11][PLRN2:Bob][PLRF2:1][PLRI2:12]");
        HWND input = m_Windows.DialogWindow();
        const auto send = [&](const std::string& line) {
            test::TypeKeys(input, line);
            test::PressKey(input, VK_RETURN);
        };
        // The scripted keyboard types lower case letters without Shift: Bob by his id.
        send("ban 12 30m cheating");
        EXPECT_EQ(m_Engine.m_Disconnected, std::vector<uint32_t>{12});
        send("say play fair");
        ASSERT_FALSE(m_Engine.m_Posted.empty());
        EXPECT_EQ(m_Engine.m_Posted.back(), "SAY play fair");
        send("level arena");
        EXPECT_EQ(m_Engine.m_Posted.back(), "LEVEL Arena");
        const std::string log = dialog.Text(ConsoleControl::ConsoleLog);
        EXPECT_NE(log.find("Banned Bob for 30m by console: cheating"), std::string::npos) << log;
        EXPECT_NE(log.find("Said to every player by console: play fair"), std::string::npos) << log;
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        dialog.Click(ConsoleControl::Shutdown);
    });
    EXPECT_NE(m_Directory.Read("details.txt").find("Bob\t"), std::string::npos);
}

TEST_F(Win32ConsoleTest, PlayersFromAGameThreadShowInTheRealListAndBootWorks) {
    Run([&](test::HostedConsole& window, ScriptedDialog& dialog) {
        // The game's state update arrives on another thread, as it does from the worker.
        std::thread([&] {
            window.Session().OnGameText("[GMSG:0][PLRS:2][PLRN1:Ace][PLRF1:3][PLRI1:11][PLRN2:Bob][PLRF2:1][PLRI2:12]");
        }).join();
        ASSERT_TRUE(dialog.RunPostedUntil([&] { return dialog.ListCount(ConsoleControl::PlayerList) == 2; },
                                          std::chrono::seconds(5)));
        EXPECT_EQ(dialog.Text(ConsoleControl::PlayerCount), "2");
        EXPECT_EQ(dialog.ListText(ConsoleControl::PlayerList, 0), "(0)\tAce\t3\tid 11");
        EXPECT_FALSE(dialog.IsEnabled(ConsoleControl::Boot));
        ASSERT_TRUE(dialog.Select(ConsoleControl::PlayerList, 1)); // Bob, through LBN_SELCHANGE
        EXPECT_TRUE(dialog.IsEnabled(ConsoleControl::Boot));
        m_Windows.QueueAnswer(MessageBoxResult::Yes); // Boot asks first
        EXPECT_TRUE(dialog.Click(ConsoleControl::Boot));
        EXPECT_EQ(m_Engine.m_Disconnected, std::vector<uint32_t>{12});
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        dialog.Click(ConsoleControl::Shutdown);
    });
    EXPECT_TRUE(m_Windows.Dialogs().front().m_Finished);
}

TEST_F(Win32ConsoleTest, OptionsButtonOpensTheRealOptionsDialog) {
    m_Windows.QueueColor(ColorRgb{255, 0, 0});
    m_Windows.AddScript(SERVER_OPTIONS_NAME, [&](ScriptedDialog& options) {
        EXPECT_TRUE(options.IsChecked(OptionsControl::TractorBeam));
        EXPECT_EQ(options.Text(OptionsControl::RunSpeed), "1.000000");
        EXPECT_TRUE(options.Click(OptionsControl::NightColorPicker));
        EXPECT_EQ(options.Text(OptionsControl::NightColor), "1.00 0.00 0.00");
        EXPECT_TRUE(options.SetText(OptionsControl::TimeSpeed, "-10.000000"));
        EXPECT_EQ(ClippedTexts(m_Windows.DialogWindow()), std::vector<std::string>{});
        EXPECT_TRUE(options.SetText(OptionsControl::TimeSpeed, "-1.000000"));
        EXPECT_TRUE(options.SetChecked(OptionsControl::TractorBeam, false));
        EXPECT_TRUE(options.SetText(OptionsControl::RunSpeed, "2.5"));
        EXPECT_TRUE(options.Click(OptionsControl::Ok));
    });
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        m_Engine.m_Commands.clear();
        EXPECT_TRUE(dialog.Click(ConsoleControl::Options));
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        dialog.Click(ConsoleControl::Shutdown);
    });
    EXPECT_EQ(m_Options.m_TractorBeam, 0);
    EXPECT_FLOAT_EQ(m_Options.m_RunSpeed, 2.5f);
    ASSERT_FALSE(m_Engine.m_Commands.empty());
    EXPECT_EQ(m_Engine.m_Commands.front(), "TractorBeam 0");
    ASSERT_EQ(m_Windows.Dialogs().size(), 2u);
    EXPECT_EQ(m_Windows.Dialogs()[1].m_Key, SERVER_OPTIONS_NAME);
}

// A server name as long as the setup takes: its field shows the start that fits and the cut mark, and
// the window keeps the whole name.
TEST_F(Win32ConsoleTest, ALongServerNameShowsCutWithAMark) {
    std::string name = "Wine Arena";
    while (name.size() < 119) {
        name += " of the long night";
    }
    name.resize(119);
    std::strcpy(m_Host.m_ServerName, name.c_str());
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        const std::string shown = dialog.Text(ConsoleControl::ServerName);
        ASSERT_GT(shown.size(), 20u) << shown;
        EXPECT_EQ(shown.substr(shown.size() - 3), "...") << shown;
        EXPECT_EQ(name.rfind(shown.substr(0, shown.size() - 3), 0), 0u) << shown;
        EXPECT_EQ(ClippedTexts(m_Windows.DialogWindow()), std::vector<std::string>{}) << "what shows fits";
        EXPECT_EQ(dialog.ScriptedDialog::Text(ConsoleControl::ServerName), name);
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        EXPECT_TRUE(dialog.Click(ConsoleControl::Shutdown));
    });
    EXPECT_TRUE(m_Windows.Dialogs().front().m_Finished);
}

// Words typed on in the command input: Esc is a stray key there, and a plain letter or Space never
// answers the exit question, which only Shutdown, Alt+S, the close box or a close request opens.
TEST_F(Win32ConsoleTest, EscAndTypedLettersNeverEndTheGame) {
    Run([&](test::HostedConsole& console, ScriptedDialog& dialog) {
        HWND window = m_Windows.DialogWindow();
        test::TypeKeys(window, "say ");
        test::PressKey(window, VK_ESCAPE);
        test::TypeKeys(window, "you rock");
        EXPECT_TRUE(m_Windows.MessageBoxes().empty());
        EXPECT_EQ(dialog.Text(ConsoleControl::CommandInput), "say you rock");
        test::FocusControl(window, ControlId(ConsoleControl::Options).Value());
        test::PressKey(window, VK_ESCAPE); // nor on a button
        EXPECT_TRUE(m_Windows.MessageBoxes().empty());
        // The question open, the letters and spaces typed on go nowhere; Enter then answers its default.
        for (const char* typed : {"you rock", "enjoy", "y n "}) {
            m_Windows.QueueTypedThenEnter(typed);
            test::PressAltKey(window, 's');
            EXPECT_TRUE(console.Session().IsRunning()) << typed;
        }
        ASSERT_EQ(m_Windows.MessageBoxes().size(), 3u);
        EXPECT_EQ(m_Windows.MessageBoxes()[2].m_Result, MessageBoxResult::No);
        m_Windows.QueueAnswer(MessageBoxResult::Yes); // a click still answers
        EXPECT_TRUE(dialog.Click(ConsoleControl::Shutdown));
    });
    EXPECT_TRUE(m_Windows.Dialogs().front().m_Finished);
}

// Tab to Next Level, Enter, Enter: one level change, as the focus is back in the input after the first.
TEST_F(Win32ConsoleTest, AButtonGivesTheFocusBackToTheCommandInput) {
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        HWND window = m_Windows.DialogWindow();
        HWND input = ControlWindow(window, ConsoleControl::CommandInput);
        m_Engine.m_Posted.clear();
        test::FocusControl(window, ControlId(ConsoleControl::NextLevelButton).Value());
        m_Windows.QueueAnswer(MessageBoxResult::Yes); // Next Level asks first
        test::PressKey(window, VK_RETURN);
        EXPECT_EQ(GetFocus(), input);
        test::PressKey(window, VK_RETURN);
        EXPECT_EQ(m_Engine.m_Posted, std::vector<std::string>{"NEXTLEVEL"});
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        test::PressAltKey(window, 'n');
        EXPECT_EQ(GetFocus(), input);
        EXPECT_EQ(m_Engine.m_Posted.size(), 2u);
        m_Windows.QueueAnswer(MessageBoxResult::No); // Clear asks first
        EXPECT_TRUE(dialog.Click(ConsoleControl::Clear));
        EXPECT_EQ(GetFocus(), input);
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        dialog.Click(ConsoleControl::Shutdown);
    });
}

TEST_F(Win32ConsoleTest, UpAndDownRecallTheLinesSentBefore) {
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        HWND window = m_Windows.DialogWindow();
        for (const char* line : {"status", "fraglimit"}) {
            test::TypeKeys(window, line);
            test::PressKey(window, VK_RETURN);
        }
        test::TypeKeys(window, "dra");
        test::PressKey(window, VK_UP);
        EXPECT_EQ(dialog.Text(ConsoleControl::CommandInput), "fraglimit");
        test::PressKey(window, VK_UP);
        EXPECT_EQ(dialog.Text(ConsoleControl::CommandInput), "status");
        test::PressKey(window, VK_DOWN);
        test::PressKey(window, VK_DOWN);
        EXPECT_EQ(dialog.Text(ConsoleControl::CommandInput), "dra"); // the draft comes back
        test::TypeKeys(window, "ft");
        EXPECT_EQ(dialog.Text(ConsoleControl::CommandInput), "draft"); // the caret at its end
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        dialog.Click(ConsoleControl::Shutdown);
    });
}

// Esc on a wizard page asks whether to discard the setup; a letter typed on does not answer Yes.
TEST_F(Win32WizardTest, EscThenALetterKeepsTheSetup) {
    ChooseService();
    m_Windows.AddScript(NET_REZFILES_NAME, [this](ScriptedDialog& page) {
        m_Windows.QueueTypedThenEnter("y");
        test::PressKey(m_Windows.DialogWindow(), VK_ESCAPE);
        EXPECT_FALSE(page.Ended());
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    PressNext(NET_GAME_NAME);
    PressNext(NET_OPTIONS_NAME);
    FinishWithLevels({"Skyharbor"}, {}, false);
    EXPECT_TRUE(Run());
    ASSERT_GE(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, DISCARD_SETUP_QUESTION);
}

// Enter on an item of a rez or level list adds it, as a double click does, rather than pressing Next.
TEST_F(Win32WizardTest, EnterOnAListItemAddsIt) {
    ChooseService();
    m_Windows.AddScript(NET_REZFILES_NAME, [this](ScriptedDialog& page) {
        EXPECT_TRUE(page.SelectText(NetRezFilesControl::Available, "arena.rez"));
        test::FocusControl(m_Windows.DialogWindow(), ControlId(NetRezFilesControl::Available).Value());
        test::PressKey(m_Windows.DialogWindow(), VK_RETURN);
        EXPECT_FALSE(page.Ended());
        EXPECT_EQ(page.ListCount(NetRezFilesControl::ToLoad), 1);
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    PressNext(NET_GAME_NAME);
    PressNext(NET_OPTIONS_NAME);
    m_Windows.AddScript(NET_GAMELEVELS_NAME, [this](ScriptedDialog& page) {
        EXPECT_TRUE(page.SelectText(NetGameLevelsControl::RetailLevels, "Skyharbor"));
        test::FocusControl(m_Windows.DialogWindow(), ControlId(NetGameLevelsControl::RetailLevels).Value());
        test::PressKey(m_Windows.DialogWindow(), VK_RETURN);
        EXPECT_FALSE(page.Ended());
        EXPECT_EQ(page.ListCount(NetGameLevelsControl::GameLevels), 1);
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_Info.m_LevelCount, 1);
}

// A procedure that ends itself from another thread's posted work, or from a window timer.
class SelfEndingProcedure final : public DialogProcedure {
public:
    explicit SelfEndingProcedure(bool fromTimer) : m_FromTimer(fromTimer) {}
    ~SelfEndingProcedure() override {
        if (m_Thread.joinable()) {
            m_Thread.join();
        }
    }
    void OnShow(DialogApi& dialog) override {
        if (m_FromTimer) {
            EXPECT_TRUE(dialog.SetTimer(5, 20));
            return;
        }
        m_Thread = std::thread(
            [poster = dialog.Poster()] { EXPECT_TRUE(poster.Post([](DialogApi& api) { api.EndDialog(7); })); });
    }
    void OnTimer(DialogApi& dialog, int timerId) override {
        if (timerId == 5) {
            dialog.EndDialog(9);
        }
    }

private:
    bool m_FromTimer;
    std::thread m_Thread;
};

TEST(Win32WindowSystem, WorkPostedFromAnotherThreadWakesTheModalLoop) {
    Win32WindowSystem windows;
    SelfEndingProcedure procedure(false);
    EXPECT_EQ(windows.RunDialog(ConsoleWindowTemplate(), procedure), 7);
}

TEST(Win32WindowSystem, AWindowTimerFiresInsideTheModalLoop) {
    Win32WindowSystem windows;
    SelfEndingProcedure procedure(true);
    EXPECT_EQ(windows.RunDialog(ServerOptionsTemplate(), procedure), 9);
}

// The late log lines and the notes go to the streams the program gives (its queued standard streams),
// whole lines even from two threads at once.
TEST(Win32WindowSystem, LateLinesAndNotesGoToTheGivenStreamsAWholeLineAtATime) {
    std::ostringstream out;
    std::ostringstream err;
    Win32Options options;
    options.m_Out = &out;
    options.m_Err = &err;
    Win32WindowSystem windows(options);
    constexpr int LINES = 200;
    const auto write = [&windows](const std::string& tag) {
        for (int i = 0; i < LINES; ++i) {
            windows.ShowLateLogLine(tag + " late line " + std::to_string(i));
        }
    };
    std::thread other(write, "second");
    write("first");
    other.join();
    windows.ShowNote("a note");
    EXPECT_EQ(err.str(), "a note\n");
    std::istringstream lines(out.str());
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        const size_t number = line.rfind(' ') + 1;
        EXPECT_TRUE(line.substr(0, number) == "first late line " || line.substr(0, number) == "second late line ")
            << line;
        EXPECT_EQ(line.find_first_not_of("0123456789", number), std::string::npos) << line;
    }
    EXPECT_EQ(count, 2 * LINES);
}

TEST(Win32WindowSystem, ShiftIsUpAndTheWaitCursorNests) {
    Win32WindowSystem windows;
    EXPECT_FALSE(windows.IsShiftHeld());
    EXPECT_TRUE(windows.CanShowDialogs());
    windows.SetWaitCursor(true);
    windows.SetWaitCursor(true);
    windows.SetWaitCursor(false);
    EXPECT_TRUE(windows.IsBusy());
    windows.SetWaitCursor(false);
    EXPECT_FALSE(windows.IsBusy());
}

} // namespace
} // namespace dravo
