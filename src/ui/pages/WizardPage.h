// WizardPage: what every setup page does alike - the page icon at opening, Back and Cancel before the
// page's own commands - and the results a page ends with. Also ShowHelpMessage for the "?" buttons.
#pragma once

#include "platform/window/DialogApi.h"
#include "platform/window/DialogProcedure.h"
#include "platform/window/WindowSystem.h"

namespace dravo {

// What a page dialog ends with.
constexpr int PAGE_NEXT = 1; // Next, Finish or OK
constexpr int PAGE_CANCEL = 2;
constexpr int PAGE_BACK = 3;
constexpr int PAGE_ERROR = 4; // the page has set the wizard's error message

// Longest help text and caption a help box shows.
constexpr size_t HELP_TEXT_MAX_CHARS = 249;
constexpr size_t HELP_CAPTION_MAX_CHARS = 124;

// Shows a string-table text under a string-table caption in an OK box with the information icon;
// shows nothing when either string is missing.
void ShowHelpMessage(WindowSystem& windows, int textId, int captionId);

class WizardPage : public DialogProcedure {
public:
    void OnInit(DialogApi& dialog) final;
    void OnCommand(DialogApi& dialog, int id, Notification code) final;

protected:
    // The controls exist; the page fills them (and may end at once).
    virtual void OnOpen(DialogApi& dialog) = 0;
    // A command other than Back and Cancel.
    virtual void OnPageCommand(DialogApi& dialog, int id, Notification code) = 0;
};

} // namespace dravo
