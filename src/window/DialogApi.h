// DialogApi: one running dialog - its control model, its procedure, and the calls the procedure makes.
//
// Window thread only, except Poster(), whose poster may be used from any thread. A face creates one
// per RunDialog, calls Start(), delivers events with the Deliver calls until Ended(), then Finish().
// Every index and id is checked: a bad one changes nothing and returns the error value documented.
#pragma once

#include "window/ControlId.h"
#include "window/DialogModel.h"
#include "window/DialogPoster.h"
#include "window/DialogProcedure.h"
#include "window/WindowSystem.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dravo {

class DialogFace;

class DialogApi {
public:
    static constexpr size_t UNLIMITED = std::numeric_limits<size_t>::max();

    DialogApi(const DialogTemplate& dialogTemplate, DialogProcedure& procedure, DialogFace& face);
    ~DialogApi();
    DialogApi(const DialogApi&) = delete;
    DialogApi& operator=(const DialogApi&) = delete;

    // Controls. Setters return false when there is no such control (or it is of the wrong kind).
    bool SetItemText(ControlId id, std::string_view text);
    // The text, at most maxLength characters; empty when there is no such control.
    std::string GetItemText(ControlId id, size_t maxLength = UNLIMITED) const;
    bool CheckItem(ControlId id, bool checked); // check boxes only
    bool IsChecked(ControlId id) const;
    bool EnableItem(ControlId id, bool enabled);
    bool IsEnabled(ControlId id) const;
    bool ShowItem(ControlId id, bool visible);
    bool IsVisible(ControlId id) const;
    // Moves the keyboard focus to a visible, enabled control; false when there is no such control.
    bool SetFocus(ControlId id);
    void SetTitle(std::string_view title);
    const std::string& Title() const { return m_Model.Title(); }
    void SetIcon(int iconId) { m_Model.SetIcon(iconId); }

    // List boxes. Indexes count from 0; LIST_ERROR (-1) for a bad id or index.
    int ListAdd(ControlId id, std::string_view text);               // sorted when the list sorts
    int ListInsert(ControlId id, int index, std::string_view text); // -1 = at the end
    int ListDelete(ControlId id, int index);                        // returns the items left
    bool ListClear(ControlId id);
    int ListCount(ControlId id) const;
    std::optional<std::string> ListText(ControlId id, int index, size_t maxLength = UNLIMITED) const;
    bool ListSetData(ControlId id, int index, int64_t data);
    std::optional<int64_t> ListData(ControlId id, int index) const;
    int ListFindExact(ControlId id, std::string_view text) const;   // case counts
    bool ListSetSelection(ControlId id, int index);                 // NO_SELECTION (-1) clears
    int ListSelection(ControlId id) const;                          // NO_SELECTION when none
    bool ListSetTabStops(ControlId id, std::span<const int> stops); // in dialog units

    // Edit controls. Character indexes count from 0; -1 for a bad id or line.
    int EditLineCount(ControlId id) const;
    int EditLineIndex(ControlId id, int line) const; // first character of the line
    int EditLength(ControlId id) const;
    bool EditReplaceRange(ControlId id, int start, int end, std::string_view text);
    bool EditAppend(ControlId id, std::string_view text); // caret at the end, scrolled into view
    // The most characters the operator can type into the edit (at least 1); what the procedure sets is
    // not cut to it. False when there is no such edit.
    bool LimitText(ControlId id, int maxChars);

    // The dialog.
    void EndDialog(int result); // the current handler finishes, then the dialog goes away
    bool Ended() const { return m_Ended; }
    int Result() const { return m_Result; }
    void PostCommand(ControlId id, Notification code = Notification::Click) const; // after the current one
    void SendCommand(ControlId id, Notification code = Notification::Click);       // handled before returning
    // What Enter does: the default button's command, or the OK command when the dialog has none. False,
    // and nothing sent, when the default button is disabled.
    bool PressDefaultButton();
    DialogPoster Poster() const;
    bool SetTimer(int timerId, uint32_t periodMs); // false when the face refuses the id
    bool KillTimer(int timerId);
    MessageBoxResult ShowMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                    MessageBoxIcon icon, MessageBoxDefault defaultButton = MessageBoxDefault::First);
    std::optional<ColorRgb> ChooseColor(ColorRgb initial);
    WindowSystem& Windows();
    const DialogTemplate& Template() const { return m_Model.Template(); }

    // Face side: run the dialog's life.
    void Start();                          // OnInit, then OnShow unless it ended during OnInit
    void Init();                           // OnInit alone, for a face that shows the dialog in between
    void Show();                           // OnShow, unless the dialog has ended
    void DeliverCloseRequest(bool forced); // close box, Esc-like system requests, shutdown
    void DeliverTimer(int timerId);
    bool DeliverActionLine(std::string_view action); // false when the procedure knows no such action
    bool DeliverHelpAsked(const std::vector<std::string>& keys);
    std::optional<std::string> DeliverRecall(ControlId id, int step, std::string_view current);
    std::optional<InputCompletion> DeliverCompletion(ControlId id, std::string_view text);
    bool DeliverPastedLines(ControlId id, const std::vector<std::string>& lines);
    void Finish(); // OnDestroy once, timers killed, posted work for the dialog dropped
    DialogModel& Model() { return m_Model; }
    const DialogModel& Model() const { return m_Model; }

private:
    ControlState* FindList(int id);
    const ControlState* FindList(int id) const;
    ControlState* FindEdit(int id);
    const ControlState* FindEdit(int id) const;
    void Changed(const ControlState& control);

    DialogModel m_Model;
    DialogProcedure& m_Procedure;
    DialogFace& m_Face;
    std::shared_ptr<DialogLink> m_Link;
    bool m_Ended = false;
    bool m_Finished = false;
    int m_Result = 0;
};

} // namespace dravo
