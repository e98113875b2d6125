// The scripted face drives a procedure as an operator would and records what the program showed.
#include "support/ScriptedWindowSystem.h"

#include "support/ScriptedWindows.h"
#include "window/PickerDialog.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <thread>

namespace dravo {
namespace {

using test::Picker;
using test::PICKER_TEMPLATE;
using test::PickerProcedure;
using Events = std::vector<std::string>;

TEST(ScriptedWindowSystem, SelectionEnablesTheButtonTheProcedureGuards) {
    test::ScriptedWindows windows;
    PickerProcedure procedure;
    windows.AddScript("PICKER", [](ScriptedDialog& dialog) {
        EXPECT_FALSE(dialog.IsEnabled(Picker::Go));
        EXPECT_FALSE(dialog.Click(Picker::Go)); // a disabled button cannot be pressed
        EXPECT_TRUE(dialog.Select(Picker::Items, 1));
        EXPECT_TRUE(dialog.IsEnabled(Picker::Go));
        EXPECT_TRUE(dialog.Click(Picker::Go));
        EXPECT_TRUE(dialog.PressEscape());
    });
    EXPECT_EQ(windows.RunDialog(PICKER_TEMPLATE, procedure), 2);
    EXPECT_EQ(procedure.Events, (Events{"init", "show", "selection", "go beta", "cancel", "destroy"}));
    ASSERT_EQ(windows.Dialogs().size(), 1u);
    EXPECT_EQ(windows.Dialogs()[0].m_Key, "PICKER");
    EXPECT_EQ(windows.Dialogs()[0].m_Result, 2);
    EXPECT_TRUE(windows.Dialogs()[0].m_Finished);
}

TEST(ScriptedWindowSystem, SortedItemsKeepTheirData) {
    test::ScriptedWindows windows;
    PickerProcedure procedure;
    windows.AddScript("PICKER", [](ScriptedDialog& dialog) {
        EXPECT_EQ(dialog.ListText(Picker::Items, 0), "alpha");
        EXPECT_EQ(dialog.ListData(Picker::Items, 0), 1);
        EXPECT_EQ(dialog.ListData(Picker::Items, 1), 2);
        EXPECT_EQ(dialog.ListData(Picker::Items, 2), 3);
        EXPECT_FALSE(dialog.ListData(Picker::Items, 3).has_value());
        dialog.PressEscape();
    });
    windows.RunDialog(PICKER_TEMPLATE, procedure);
}

TEST(ScriptedWindowSystem, DoubleClickPostsACommandHandledAfterTheCurrentOne) {
    test::ScriptedWindows windows;
    PickerProcedure procedure;
    windows.AddScript("PICKER", [&procedure](ScriptedDialog& dialog) {
        EXPECT_TRUE(dialog.DoubleClick(Picker::Items, 2));
        EXPECT_EQ(procedure.Events.back(), "go gamma"); // the posted command ran before the action returned
        dialog.PressEnter();
    });
    EXPECT_EQ(windows.RunDialog(PICKER_TEMPLATE, procedure), 1);
    EXPECT_EQ(procedure.Events, (Events{"init", "show", "selection", "double click", "go gamma", "ok ", "destroy"}));
}

TEST(ScriptedWindowSystem, ActionsRespectWhatTheOperatorCanReach) {
    test::ScriptedWindows windows;
    PickerProcedure procedure;
    windows.AddScript("PICKER", [](ScriptedDialog& dialog) {
        EXPECT_FALSE(dialog.Click(Picker::Secret));         // hidden
        EXPECT_FALSE(dialog.SetText(Picker::Log, "typed")); // read-only
        EXPECT_FALSE(dialog.Click(Picker::Input));          // not a button
        EXPECT_FALSE(dialog.Select(Picker::Items, 3));      // no such item
        EXPECT_FALSE(dialog.Click(99));                     // no such control
        EXPECT_TRUE(dialog.SetChecked(Picker::Loud, true));
        EXPECT_TRUE(dialog.SetChecked(Picker::Loud, true)); // already checked: no click
        EXPECT_TRUE(dialog.Click(Picker::Loud));            // toggles back
        EXPECT_FALSE(dialog.IsChecked(Picker::Loud));
        EXPECT_TRUE(dialog.SetText(Picker::Input, "hello"));
        EXPECT_TRUE(dialog.PressEnter());
        EXPECT_FALSE(dialog.PressEnter()); // the dialog has ended
    });
    EXPECT_EQ(windows.RunDialog(PICKER_TEMPLATE, procedure), 1);
    EXPECT_EQ(procedure.Events, (Events{"init", "show", "loud on", "loud off", "ok hello", "destroy"}));
}

TEST(ScriptedWindowSystem, ListThatDoesNotNotifyReportsNothing) {
    test::ScriptedWindows windows;
    struct Filler : PickerProcedure {
        void OnInit(DialogApi& dialog) override {
            PickerProcedure::OnInit(dialog);
            dialog.ListAdd(Picker::Plain, "quiet");
        }
    } filler;
    windows.AddScript("PICKER", [](ScriptedDialog& dialog) {
        EXPECT_TRUE(dialog.DoubleClick(Picker::Plain, 0));
        EXPECT_EQ(dialog.Selection(Picker::Plain), 0);
        dialog.PressEscape();
    });
    windows.RunDialog(PICKER_TEMPLATE, filler);
    EXPECT_EQ(filler.Events, (Events{"init", "show", "cancel", "destroy"}));
}

TEST(ScriptedWindowSystem, CloseBoxIsCancelUnlessTheProcedureSaysOtherwise) {
    test::ScriptedWindows windows;
    PickerProcedure plain;
    windows.AddScript("PICKER", [](ScriptedDialog& dialog) { EXPECT_TRUE(dialog.Close()); });
    EXPECT_EQ(windows.RunDialog(PICKER_TEMPLATE, plain), 2);

    struct Stubborn : PickerProcedure {
        std::vector<bool> Requests;
        void OnCloseRequest(DialogApi& dialog, bool forced) override {
            Requests.push_back(forced);
            if (forced) {
                dialog.EndDialog(9);
            }
        }
    } stubborn;
    windows.AddScript("PICKER", [](ScriptedDialog& dialog) {
        dialog.Close();
        EXPECT_FALSE(dialog.Ended());
        dialog.ForceClose();
    });
    EXPECT_EQ(windows.RunDialog(PICKER_TEMPLATE, stubborn), 9);
    EXPECT_EQ(stubborn.Requests, (std::vector<bool>{false, true}));
}

TEST(ScriptedWindowSystem, DialogTheScriptLeavesOpenIsUnfinished) {
    test::ScriptedWindows windows;
    PickerProcedure scripted;
    PickerProcedure unscripted;
    windows.AddScript("PICKER", [](ScriptedDialog& dialog) { dialog.Select(Picker::Items, 0); });
    EXPECT_EQ(windows.RunDialog(PICKER_TEMPLATE, scripted), ScriptedWindowSystem::UNFINISHED);
    EXPECT_EQ(windows.RunDialog(PICKER_TEMPLATE, unscripted), ScriptedWindowSystem::UNFINISHED);
    ASSERT_EQ(windows.Dialogs().size(), 2u);
    EXPECT_FALSE(windows.Dialogs()[0].m_Finished);
    EXPECT_FALSE(windows.Dialogs()[1].m_Finished);
    EXPECT_EQ(scripted.Events.back(), "destroy"); // the dialog still goes away properly
    EXPECT_EQ(unscripted.Events, (Events{"init", "show", "destroy"}));
}

TEST(ScriptedWindowSystem, ScriptsRunInTurnPerTemplate) {
    ScriptedWindowSystem windows;
    windows.AddScript("PICKER", [](ScriptedDialog& dialog) { dialog.PressEnter(); });
    windows.AddScript("PICKER", [](ScriptedDialog& dialog) { dialog.PressEscape(); });
    windows.AddScript(129, [](ScriptedDialog& dialog) { dialog.PressEscape(); });
    PickerProcedure first;
    PickerProcedure second;
    EXPECT_EQ(windows.RunDialog(PICKER_TEMPLATE, first), 1);
    EXPECT_EQ(windows.RunDialog(PICKER_TEMPLATE, second), 2);
    EXPECT_EQ(windows.UnusedScripts(), 1u);
    EXPECT_EQ(windows.UnusedScriptKeys(), std::vector<std::string>{"129"});
}

TEST(ScriptedWindowSystem, AScriptThatNeverRanFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            test::ScriptedWindows windows;
            windows.AddScript("PICKER", [](ScriptedDialog& dialog) { dialog.PressEnter(); });
            windows.AddScript(129, [](ScriptedDialog& dialog) { dialog.PressEscape(); });
            PickerProcedure picker;
            EXPECT_EQ(windows.RunDialog(PICKER_TEMPLATE, picker), 1);
        },
        "the script for dialog 129 never ran");
}

TEST(ScriptedWindowSystem, MessageBoxesAreRecordedAndAnsweredInTurn) {
    test::ScriptedWindows windows;
    windows.QueueAnswer(MessageBoxResult::Yes);
    EXPECT_EQ(windows.ShowMessageBox("Leave?", "DravoServ", MessageBoxButtons::YesNo, MessageBoxIcon::Question,
                                     MessageBoxDefault::Second),
              MessageBoxResult::Yes);
    EXPECT_EQ(windows.ShowMessageBox("Leave now?", "DravoServ", MessageBoxButtons::YesNo, MessageBoxIcon::Question,
                                     MessageBoxDefault::Second),
              MessageBoxResult::No);
    EXPECT_EQ(windows.ShowMessageBox("Broken.", "DravoServ", MessageBoxButtons::Ok, MessageBoxIcon::Exclamation,
                                     MessageBoxDefault::First),
              MessageBoxResult::Ok);
    // Unanswered, a box takes its default button, as Enter would.
    EXPECT_EQ(windows.ShowMessageBox("Go on?", "DravoServ", MessageBoxButtons::YesNo, MessageBoxIcon::Question,
                                     MessageBoxDefault::First),
              MessageBoxResult::Yes);
    const auto& shown = windows.MessageBoxes();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].m_Text, "Leave?");
    EXPECT_EQ(shown[0].m_Caption, "DravoServ");
    EXPECT_EQ(shown[0].m_Buttons, MessageBoxButtons::YesNo);
    EXPECT_EQ(shown[0].m_Icon, MessageBoxIcon::Question);
    EXPECT_TRUE(shown[0].m_Answered);
    EXPECT_FALSE(shown[1].m_Answered); // nobody queued an answer: No, its default, and noted
    EXPECT_EQ(shown[1].m_Default, MessageBoxDefault::Second);
    EXPECT_TRUE(shown[2].m_Answered);
    EXPECT_EQ(shown[2].m_Icon, MessageBoxIcon::Exclamation);
    EXPECT_FALSE(shown[3].m_Answered);
}

TEST(ScriptedWindowSystem, ShiftWaitCursorAndColourPicker) {
    test::ScriptedWindows windows;
    EXPECT_FALSE(windows.IsShiftHeld());
    windows.SetShiftHeld(true);
    EXPECT_TRUE(windows.IsShiftHeld());
    {
        WaitCursor outer(windows);
        WaitCursor inner(windows);
        EXPECT_EQ(windows.WaitCursorDepth(), 2);
    }
    windows.SetWaitCursor(false); // an unbalanced removal does not go below zero
    EXPECT_EQ(windows.WaitCursorDepth(), 0);
    EXPECT_EQ(windows.WaitCursorShows(), 1);

    windows.QueueColor(ColorRgb{255, 0, 0});
    const auto red = windows.ChooseColor(ColorRgb{});
    ASSERT_TRUE(red.has_value());
    EXPECT_EQ(red->m_Red, 255);
    EXPECT_FALSE(windows.ChooseColor(ColorRgb{}).has_value()); // nothing queued: cancelled
    EXPECT_EQ(windows.ColorPickerShows(), 2);
}

} // namespace
} // namespace dravo
