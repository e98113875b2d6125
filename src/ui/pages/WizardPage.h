// WizardPage: what every setup page does alike - the page icon at opening, Back and Cancel before the
// page's own commands - and the results a page ends with. Cancel (also Esc and the close box) asks
// before the setup is thrown away, and the question opens on No; only a forced close (the system
// shutting down) ends the page without asking. Also ShowHelpMessage for the "?" buttons.
#pragma once

#include "window/DialogApi.h"
#include "window/DialogProcedure.h"
#include "window/WindowSystem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// Asked when Cancel would end the wizard.
inline constexpr std::string_view DISCARD_SETUP_QUESTION =
    "Discard the setup and exit DravoServ? Nothing entered on these pages is saved.";

// The item of the list that shows this text exactly (case counts, as in file names) and holds this item data (any data
// when none is given), or LIST_ERROR. The archive page adds an archive once: a second Add, or Enter twice, finds it
// listed. (The level rotation may hold a level more than once.)
int FindListed(const DialogApi& dialog, ControlId list, std::string_view text,
               std::optional<int64_t> data = std::nullopt);

// What Next or OK found wrong on a page, every field at once: one box names each problem, and the first
// field named takes the focus.
class PageProblems {
public:
    void Add(ControlId field, std::string text) { m_Problems.push_back({field, std::move(text)}); }
    // False when there is none; otherwise shows them under the caption and returns true.
    bool Shown(DialogApi& dialog, std::string_view caption) const;

private:
    struct Problem {
        ControlId m_Field;
        std::string m_Text;
    };
    std::vector<Problem> m_Problems;
};

class WizardPage : public DialogProcedure {
public:
    // A page of the wizard asks before its Cancel throws the setup away; the same procedure in a dialog of
    // its own (the options dialog) cancels only that dialog, and does not.
    explicit WizardPage(bool asksBeforeCancel = true) : m_AsksBeforeCancel(asksBeforeCancel) {}

    void OnInit(DialogApi& dialog) final;
    void OnCommand(DialogApi& dialog, int id, Notification code) final;
    void OnCloseRequest(DialogApi& dialog, bool forced) final;

protected:
    // The controls exist; the page fills them (and may end at once).
    virtual void OnOpen(DialogApi& dialog) = 0;
    // A command other than Back and Cancel.
    virtual void OnPageCommand(DialogApi& dialog, int id, Notification code) = 0;
    // Back was pressed: a page that takes its entries only at Next keeps them here for its next opening.
    virtual void OnBack(DialogApi& /*dialog*/) {}

private:
    bool m_AsksBeforeCancel;
};

} // namespace dravo
