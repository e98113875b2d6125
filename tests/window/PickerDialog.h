// A small dialog for the window system's tests: a list to pick from, a "Go" button enabled by a
// selection, an input edit, a check box, a log, and a procedure that writes down what happens to it.
#pragma once

#include "window/DialogApi.h"
#include "window/DialogProcedure.h"
#include "window/DialogTemplate.h"

#include <string>
#include <vector>

namespace dravo::test {

enum class Picker : int {
    Ok = 1,
    Cancel = 2,
    Items = 10,  // sorted, notifying list
    Go = 11,     // disabled until an item is selected
    Input = 12,  // one-line edit
    Loud = 13,   // check box
    Log = 14,    // multi-line read-only edit
    Secret = 15, // hidden button
    Plain = 16,  // list that does not notify
};

inline constexpr ControlTemplate PICKER_CONTROLS[] = {
    {NO_CONTROL_ID, ControlKind::Static, "Pick one:", {5, 5, 60, 8}},
    {10, ControlKind::ListBox, "", {5, 15, 80, 40}, ControlFlag::Sorted | ControlFlag::Notify},
    {11, ControlKind::PushButton, "Go", {90, 15, 40, 14}, ControlFlag::Disabled},
    {12, ControlKind::Edit, "", {5, 60, 80, 12}, ControlFlag::HorizontalScroll},
    {13, ControlKind::CheckBox, "Loud", {90, 35, 40, 10}},
    {14, ControlKind::Edit, "", {5, 75, 120, 40}, ControlFlag::MultiLine | ControlFlag::ReadOnly},
    {15, ControlKind::PushButton, "Secret", {90, 50, 40, 14}, ControlFlag::Hidden},
    {16, ControlKind::ListBox, "", {135, 15, 40, 40}},
    {1, ControlKind::DefaultPushButton, "OK", {40, 120, 40, 14}},
    {2, ControlKind::PushButton, "Cancel", {90, 120, 40, 14}},
};

inline constexpr DialogTemplate PICKER_TEMPLATE = {.m_Name = "PICKER",
                                                   .m_Number = 0,
                                                   .m_Title = "Pick",
                                                   .m_Width = 180,
                                                   .m_Height = 140,
                                                   .m_FontName = "MS Sans Serif",
                                                   .m_FontPoints = 8,
                                                   .m_Style = DialogStyle::Popup | DialogStyle::Caption,
                                                   .m_Controls = PICKER_CONTROLS};

class PickerProcedure : public DialogProcedure {
public:
    std::vector<std::string> Events;

    void OnInit(DialogApi& dialog) override {
        Events.push_back("init");
        const char* texts[] = {"gamma", "alpha", "beta"};
        for (int i = 0; i < 3; ++i) {
            // Item data 3, 1, 2: the data must stay with its text when the list sorts.
            (void)dialog.ListSetData(Picker::Items, dialog.ListAdd(Picker::Items, texts[i]), i == 0 ? 3 : i);
        }
    }
    void OnShow(DialogApi& /*dialog*/) override { Events.push_back("show"); }
    void OnCommand(DialogApi& dialog, int id, Notification code) override {
        switch (static_cast<Picker>(id)) {
        case Picker::Items:
            if (code == Notification::SelectionChange) {
                Events.push_back("selection");
                (void)dialog.EnableItem(Picker::Go, dialog.ListSelection(Picker::Items) != NO_SELECTION);
            } else if (code == Notification::DoubleClick) {
                Events.push_back("double click");
                dialog.PostCommand(Picker::Go);
            }
            break;
        case Picker::Go:
            Events.push_back("go " + dialog.ListText(Picker::Items, dialog.ListSelection(Picker::Items)).value_or("?"));
            break;
        case Picker::Input:
            break;
        case Picker::Loud:
            Events.push_back(dialog.IsChecked(Picker::Loud) ? "loud on" : "loud off");
            break;
        case Picker::Ok:
            Events.push_back("ok " + dialog.GetItemText(Picker::Input));
            dialog.EndDialog(1);
            break;
        case Picker::Cancel:
            Events.push_back("cancel");
            dialog.EndDialog(2);
            break;
        default:
            Events.push_back("command " + std::to_string(id));
            break;
        }
    }
    void OnTimer(DialogApi& /*dialog*/, int timerId) override { Events.push_back("timer " + std::to_string(timerId)); }
    void OnDestroy(DialogApi& /*dialog*/) override { Events.push_back("destroy"); }
};

} // namespace dravo::test
