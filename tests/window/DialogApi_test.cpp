// The calls a procedure makes: checked ids and indexes, edit arithmetic, posting, timers and ending.
#include "window/DialogApi.h"

#include "support/ScriptedWindowSystem.h"
#include "support/ScriptedWindows.h"
#include "window/PickerDialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace dravo {
namespace {

using namespace std::chrono_literals;
using test::Picker;
using test::PICKER_TEMPLATE;

// Runs a body in the picker dialog's initialisation, then lets a script finish the run.
class InitProcedure : public test::PickerProcedure {
public:
    explicit InitProcedure(std::function<void(DialogApi&)> body) : m_Body(std::move(body)) {}
    void OnInit(DialogApi& dialog) override {
        PickerProcedure::OnInit(dialog);
        m_Body(dialog);
    }

private:
    std::function<void(DialogApi&)> m_Body;
};

int RunInInit(ScriptedWindowSystem& windows, const std::function<void(DialogApi&)>& body) {
    InitProcedure procedure(body);
    return windows.RunDialog(PICKER_TEMPLATE, procedure);
}

TEST(DialogApi, BadIdsAndIndexesReturnErrorValues) {
    test::ScriptedWindows windows;
    RunInInit(windows, [](DialogApi& dialog) {
        EXPECT_FALSE(dialog.SetItemText(999, "x"));
        EXPECT_EQ(dialog.GetItemText(999), "");
        EXPECT_FALSE(dialog.SetItemText(NO_CONTROL_ID, "x")); // labels are not addressable
        EXPECT_FALSE(dialog.CheckItem(Picker::Go, true));     // not a check box
        EXPECT_FALSE(dialog.EnableItem(999, true));
        EXPECT_FALSE(dialog.IsVisible(999));
        EXPECT_EQ(dialog.ListAdd(Picker::Input, "x"), LIST_ERROR); // not a list
        EXPECT_EQ(dialog.ListCount(999), LIST_ERROR);
        EXPECT_EQ(dialog.ListDelete(Picker::Items, 3), LIST_ERROR);
        EXPECT_FALSE(dialog.ListText(Picker::Items, -1).has_value());
        EXPECT_FALSE(dialog.ListSetData(Picker::Items, 7, 1));
        EXPECT_FALSE(dialog.ListSetSelection(Picker::Items, 3));
        EXPECT_EQ(dialog.ListSelection(999), NO_SELECTION);
        EXPECT_EQ(dialog.EditLineCount(Picker::Items), -1); // not an edit
        EXPECT_EQ(dialog.EditLineIndex(Picker::Log, 5), -1);
        EXPECT_FALSE(dialog.EditReplaceRange(Picker::Log, 0, 1, "")); // empty log
        EXPECT_EQ(dialog.ListCount(Picker::Items), 3);                // nothing changed
        dialog.EndDialog(1);
    });
}

TEST(DialogApi, TextsAreCutToTheAskedLength) {
    test::ScriptedWindows windows;
    RunInInit(windows, [](DialogApi& dialog) {
        ASSERT_TRUE(dialog.SetItemText(Picker::Input, std::string(130, 'c')));
        EXPECT_EQ(dialog.GetItemText(Picker::Input, 119).size(), 119u);
        EXPECT_EQ(dialog.GetItemText(Picker::Input).size(), 130u);
        EXPECT_EQ(dialog.ListText(Picker::Items, 0, 3), "alp");
        EXPECT_TRUE(dialog.SetItemText(Picker::Go, "Go!")); // button captions change too
        EXPECT_EQ(dialog.GetItemText(Picker::Go), "Go!");
        dialog.SetTitle("Dravo Server v2.1");
        EXPECT_EQ(dialog.Title(), "Dravo Server v2.1");
        dialog.EndDialog(1);
    });
}

TEST(DialogApi, ATypingLimitBoundsTheOperatorOnlyAndOnlyOnAnEdit) {
    test::ScriptedWindows windows;
    RunInInit(windows, [](DialogApi& dialog) {
        const auto limit = [&dialog](Picker id) { return dialog.Model().Find(static_cast<int>(id))->m_TypingLimit; };
        EXPECT_EQ(limit(Picker::Input), EditText::MAX_LENGTH);
        EXPECT_TRUE(dialog.LimitText(Picker::Input, 5));
        EXPECT_EQ(limit(Picker::Input), 5);
        EXPECT_TRUE(dialog.LimitText(Picker::Input, 0)); // at least one character
        EXPECT_EQ(limit(Picker::Input), 1);
        EXPECT_TRUE(dialog.LimitText(Picker::Input, EditText::MAX_LENGTH + 10));
        EXPECT_EQ(limit(Picker::Input), EditText::MAX_LENGTH);
        EXPECT_FALSE(dialog.LimitText(Picker::Items, 5)); // a list
        EXPECT_FALSE(dialog.LimitText(999, 5));
        EXPECT_TRUE(dialog.LimitText(Picker::Input, 3));
        ASSERT_TRUE(dialog.SetItemText(Picker::Input, "longer than three"));
        EXPECT_EQ(dialog.GetItemText(Picker::Input), "longer than three"); // the procedure's own text stays whole
        dialog.EndDialog(1);
    });
}

TEST(DialogApi, FocusGoesOnlyToAVisibleEnabledControlAndWaitsForTheFace) {
    ScriptedWindowSystem windows;
    RunInInit(windows, [](DialogApi& dialog) {
        EXPECT_EQ(dialog.Model().FocusRequest(), -1);
        EXPECT_FALSE(dialog.SetFocus(999));
        ASSERT_TRUE(dialog.EnableItem(Picker::Go, false));
        EXPECT_FALSE(dialog.SetFocus(Picker::Go));
        ASSERT_TRUE(dialog.ShowItem(Picker::Input, false));
        EXPECT_FALSE(dialog.SetFocus(Picker::Input));
        EXPECT_EQ(dialog.Model().FocusRequest(), -1);
        ASSERT_TRUE(dialog.ShowItem(Picker::Input, true));
        EXPECT_TRUE(dialog.SetFocus(Picker::Input));
        const int index = dialog.Model().TakeFocusRequest();
        ASSERT_GE(index, 0);
        EXPECT_EQ(dialog.Model().Controls()[static_cast<size_t>(index)].Id(), static_cast<int>(Picker::Input));
        EXPECT_EQ(dialog.Model().FocusRequest(), -1) << "taken once";
        dialog.EndDialog(1);
    });
}

TEST(DialogApi, LogTrimsItsOldestLinesByLineIndex) {
    test::ScriptedWindows windows;
    RunInInit(windows, [](DialogApi& dialog) {
        for (int i = 0; i < 501; ++i) {
            ASSERT_TRUE(dialog.EditAppend(Picker::Log, "\r\nline " + std::to_string(i)));
        }
        const int lines = dialog.EditLineCount(Picker::Log);
        ASSERT_EQ(lines, 502);
        const int cut = dialog.EditLineIndex(Picker::Log, lines * 75 / 100);
        ASSERT_TRUE(dialog.EditReplaceRange(Picker::Log, 0, cut, ""));
        EXPECT_EQ(dialog.EditLineCount(Picker::Log), 502 - 376);
        EXPECT_EQ(dialog.GetItemText(Picker::Log).substr(0, 9), "line 375\r");
        EXPECT_EQ(dialog.Model().Find(14)->m_Text.Caret(), 0); // the caret sits where the cut was
        ASSERT_TRUE(dialog.EditAppend(Picker::Log, "\r\nnewest"));
        EXPECT_EQ(dialog.Model().Find(14)->m_Text.Caret(), dialog.EditLength(Picker::Log));
        dialog.EndDialog(1);
    });
}

TEST(DialogApi, DeletingTheSelectedLineClearsTheSelection) {
    test::ScriptedWindows windows;
    RunInInit(windows, [](DialogApi& dialog) {
        ASSERT_TRUE(dialog.ListSetSelection(Picker::Items, 2));
        EXPECT_EQ(dialog.ListDelete(Picker::Items, 0), 2);
        EXPECT_EQ(dialog.ListSelection(Picker::Items), 1);
        EXPECT_EQ(dialog.ListDelete(Picker::Items, 1), 1);
        EXPECT_EQ(dialog.ListSelection(Picker::Items), NO_SELECTION);
        const int stops[] = {30, 116};
        EXPECT_TRUE(dialog.ListSetTabStops(Picker::Items, stops));
        EXPECT_TRUE(dialog.ListClear(Picker::Items));
        EXPECT_EQ(dialog.ListCount(Picker::Items), 0);
        dialog.EndDialog(1);
    });
}

TEST(DialogApi, EndingInInitialisationSkipsTheShowing) {
    test::ScriptedWindows windows;
    InitProcedure procedure([](DialogApi& dialog) {
        dialog.EndDialog(1);
        dialog.EndDialog(4); // the first end counts
    });
    windows.AddScript("PICKER", [](ScriptedDialog&) { ADD_FAILURE() << "an ended dialog runs no script"; });
    EXPECT_EQ(windows.RunDialog(PICKER_TEMPLATE, procedure), 1);
    EXPECT_EQ(procedure.Events, (std::vector<std::string>{"init", "destroy"}));
}

TEST(DialogApi, TimersFireUntilKilledAndRefusedIdsAreSkipped) {
    test::ScriptedWindows windows;
    windows.RefuseTimerIds({0, 1});
    int acceptedId = -1;
    InitProcedure procedure([&acceptedId](DialogApi& dialog) {
        for (int id = 0; id < 30 && acceptedId < 0; ++id) {
            if (dialog.SetTimer(id, 500)) {
                acceptedId = id;
            }
        }
    });
    windows.AddScript("PICKER", [&acceptedId](ScriptedDialog& dialog) {
        EXPECT_TRUE(dialog.FireTimer(acceptedId));
        EXPECT_FALSE(dialog.FireTimer(0));
        dialog.PressEscape();
    });
    windows.RunDialog(PICKER_TEMPLATE, procedure);
    EXPECT_EQ(acceptedId, 2);
    EXPECT_EQ(procedure.Events[2], "timer 2");
}

TEST(DialogApi, PostedWorkFromAWorkerReachesTheDialogOnTheWindowThread) {
    test::ScriptedWindows windows;
    DialogPoster poster;
    InitProcedure procedure([&poster](DialogApi& dialog) { poster = dialog.Poster(); });
    const std::thread::id windowThread = std::this_thread::get_id();
    windows.AddScript("PICKER", [&](ScriptedDialog& dialog) {
        std::thread worker([&poster, windowThread] {
            for (int i = 0; i < 3; ++i) {
                EXPECT_TRUE(poster.Post([i, windowThread](DialogApi& api) {
                    EXPECT_EQ(std::this_thread::get_id(), windowThread);
                    (void)api.EditAppend(Picker::Log, "\r\nworker " + std::to_string(i));
                }));
            }
            EXPECT_TRUE(poster.PostCommand(Picker::Cancel));
        });
        EXPECT_TRUE(dialog.RunPostedUntil([&dialog] { return dialog.Ended(); }, 10s));
        worker.join();
        EXPECT_EQ(dialog.Text(Picker::Log), "\r\nworker 0\r\nworker 1\r\nworker 2");
    });
    EXPECT_EQ(windows.RunDialog(PICKER_TEMPLATE, procedure), 2);
}

TEST(DialogApi, PostingAfterTheDialogEndedIsDropped) {
    test::ScriptedWindows windows;
    DialogPoster poster;
    InitProcedure procedure([&poster](DialogApi& dialog) { poster = dialog.Poster(); });
    windows.AddScript("PICKER", [&poster](ScriptedDialog& dialog) {
        // Queued before the end, run after it: dropped on the window thread.
        EXPECT_TRUE(poster.PostCommand(Picker::Go));
        dialog.PressEscape();
    });
    windows.RunDialog(PICKER_TEMPLATE, procedure);
    const size_t eventsAtEnd = procedure.Events.size();
    EXPECT_FALSE(poster.PostCommand(Picker::Ok));
    std::thread late([&poster] { EXPECT_FALSE(poster.PostCloseRequest(true)); });
    late.join();
    windows.RunPending();
    EXPECT_EQ(procedure.Events.size(), eventsAtEnd);
    EXPECT_EQ(procedure.Events.back(), "destroy");
}

TEST(DialogApi, WorkPostedToTheWindowSystemRunsWithoutADialog) {
    test::ScriptedWindows windows;
    int ran = 0;
    std::thread worker([&windows, &ran] { windows.Post([&ran] { ++ran; }); });
    worker.join();
    EXPECT_EQ(windows.RunPending(), 1u);
    EXPECT_EQ(ran, 1);
}

TEST(DialogApi, TheDefaultButtonIsPressedOnlyWhenEnabledAndOkStandsInForAMissingOne) {
    test::ScriptedWindows windows;
    test::PickerProcedure picker;
    windows.AddScript("PICKER", [](ScriptedDialog& dialog) {
        DialogApi& api = dialog.Api();
        (void)api.SetItemText(Picker::Input, "typed");
        (void)api.EnableItem(Picker::Ok, false);
        EXPECT_FALSE(api.PressDefaultButton());
        EXPECT_FALSE(api.Ended());
        (void)api.EnableItem(Picker::Ok, true);
        EXPECT_TRUE(api.PressDefaultButton());
    });
    EXPECT_EQ(windows.RunDialog(PICKER_TEMPLATE, picker), 1);
    EXPECT_EQ(picker.Events, (std::vector<std::string>{"init", "show", "ok typed", "destroy"}));

    // Without a default button (the picker's controls up to OK), Enter is the OK command all the same.
    DialogTemplate noDefault = PICKER_TEMPLATE;
    noDefault.m_Name = "NO_DEFAULT";
    noDefault.m_Controls = std::span(test::PICKER_CONTROLS).first(8);
    test::PickerProcedure plain;
    windows.AddScript("NO_DEFAULT", [](ScriptedDialog& dialog) { EXPECT_TRUE(dialog.Api().PressDefaultButton()); });
    EXPECT_EQ(windows.RunDialog(noDefault, plain), 1);
    EXPECT_EQ(plain.Events, (std::vector<std::string>{"init", "show", "ok ", "destroy"}));
}

TEST(DialogApi, SentCommandIsHandledBeforeTheCallReturns) {
    test::ScriptedWindows windows;
    InitProcedure procedure([](DialogApi& dialog) {
        dialog.PostCommand(Picker::Go);
        dialog.SendCommand(Picker::Loud);
    });
    windows.AddScript("PICKER", [](ScriptedDialog& dialog) { dialog.PressEscape(); });
    windows.RunDialog(PICKER_TEMPLATE, procedure);
    EXPECT_EQ(procedure.Events, (std::vector<std::string>{"init", "loud off", "show", "go ?", "cancel", "destroy"}));
}

} // namespace
} // namespace dravo
