// DialogProcedure: what a dialog does - handlers for its events, dispatching on control ids.
//
// Every handler runs on the window thread and receives the dialog's API. After the procedure ends the
// dialog (DialogApi::EndDialog) the running handler finishes, OnDestroy follows, and no other handler
// is called for that dialog.
#pragma once

#include "window/DialogTemplate.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

class DialogApi;

// How a control reported a command.
enum class Notification {
    Click,           // a button was pressed (or Enter, Esc and the close box stood for one)
    SelectionChange, // a notifying list box changed its selection
    DoubleClick,     // an item of a notifying list box was double-clicked
};

// What completing the text of an input edit gives: the text to put there, and the words that would
// do when there are several (the text then holds what they have in common).
struct InputCompletion {
    std::string m_Text;
    std::vector<std::string> m_Choices;
};

class DialogProcedure {
public:
    virtual ~DialogProcedure() = default;

    // The controls exist and hold their template texts; the dialog is not shown yet.
    virtual void OnInit(DialogApi& /*dialog*/) {}
    // The dialog has been shown.
    virtual void OnShow(DialogApi& /*dialog*/) {}
    // A command from a control, a posted command or a sent one.
    virtual void OnCommand(DialogApi& /*dialog*/, int /*id*/, Notification /*code*/) {}
    // A timer set through the API came due.
    virtual void OnTimer(DialogApi& /*dialog*/, int /*timerId*/) {}
    // The operator or the system asks the dialog to close; forced when the process is being shut down
    // and the procedure should close without asking. By default this is the Cancel command.
    virtual void OnCloseRequest(DialogApi& dialog, bool /*forced*/) {
        OnCommand(dialog, DIALOG_ID_CANCEL, Notification::Click);
    }
    // An action the operator typed by name instead of using a control (the headless face passes the
    // input lines that begin with "/", without it). False when the dialog knows no such action.
    virtual bool OnActionLine(DialogApi& /*dialog*/, std::string_view /*action*/) { return false; }
    // The operator asks for help (F1); `keys` are the lines in which the face says what its keys do, to
    // be shown after the dialog's own help. False when the dialog has no help to give.
    virtual bool OnHelpAsked(DialogApi& /*dialog*/, const std::vector<std::string>& /*keys*/) { return false; }
    // The operator asks for an earlier (step < 0) or a later (step > 0) line of the history of the input
    // edit `id`, which holds `current`: the line to put there instead, or nothing.
    virtual std::optional<std::string> OnRecallLine(DialogApi& /*dialog*/, int /*id*/, int /*step*/,
                                                    std::string_view /*current*/) {
        return std::nullopt;
    }
    // The operator asks to complete the text of the input edit `id` (Tab); nothing when the dialog does
    // not complete that edit.
    virtual std::optional<InputCompletion> OnCompleteLine(DialogApi& /*dialog*/, int /*id*/,
                                                          std::string_view /*text*/) {
        return std::nullopt;
    }
    // The operator pasted several lines into the input edit `id` at once (a terminal's bracketed paste),
    // each a line as typed: false when the dialog does not run pasted lines (only the first is typed).
    virtual bool OnPasteLines(DialogApi& /*dialog*/, int /*id*/, const std::vector<std::string>& /*lines*/) {
        return false;
    }
    // The dialog has ended and is going away; its controls can still be read.
    virtual void OnDestroy(DialogApi& /*dialog*/) {}
};

} // namespace dravo
