// The behaviour all setup pages share.
#include "ui/pages/WizardPage.h"

#include "res/Pictures.h"
#include "res/StringTable.h"
#include "res/WizardFrame.h"

namespace dravo {

void ShowHelpMessage(WindowSystem& windows, int textId, int captionId) {
    const auto text = StringTable::Find(textId);
    const auto caption = StringTable::Find(captionId);
    if (!text || !caption) {
        return;
    }
    windows.ShowMessageBox(text->substr(0, HELP_TEXT_MAX_CHARS), caption->substr(0, HELP_CAPTION_MAX_CHARS),
                           MessageBoxButtons::Ok, MessageBoxIcon::Information, MessageBoxDefault::First);
}

int FindListed(const DialogApi& dialog, ControlId list, std::string_view text, std::optional<int64_t> data) {
    const int count = dialog.ListCount(list);
    for (int index = 0; index < count; ++index) {
        const std::optional<std::string> shown = dialog.ListText(list, index);
        if (shown && *shown == text && (!data || dialog.ListData(list, index) == data)) {
            return index;
        }
    }
    return LIST_ERROR;
}

bool PageProblems::Shown(DialogApi& dialog, std::string_view caption) const {
    if (m_Problems.empty()) {
        return false;
    }
    std::string text;
    for (const Problem& problem : m_Problems) {
        text += (text.empty() ? "" : "\n\n") + problem.m_Text;
    }
    (void)dialog.ShowMessageBox(text, caption, MessageBoxButtons::Ok, MessageBoxIcon::Information);
    (void)dialog.SetFocus(m_Problems.front().m_Field);
    return true;
}

void WizardPage::OnInit(DialogApi& dialog) {
    dialog.SetIcon(PROGRAM_ICON_ID);
    OnOpen(dialog);
}

void WizardPage::OnCommand(DialogApi& dialog, int id, Notification code) {
    if (id == static_cast<int>(WizardControl::Cancel)) {
        if (!m_AsksBeforeCancel ||
            dialog.ShowMessageBox(DISCARD_SETUP_QUESTION, WIZARD_TITLE, MessageBoxButtons::YesNo,
                                  MessageBoxIcon::Question, MessageBoxDefault::Second) == MessageBoxResult::Yes) {
            dialog.EndDialog(PAGE_CANCEL);
        }
    } else if (id == static_cast<int>(WizardControl::Back)) {
        OnBack(dialog);
        dialog.EndDialog(PAGE_BACK);
    } else {
        OnPageCommand(dialog, id, code);
    }
}

void WizardPage::OnCloseRequest(DialogApi& dialog, bool forced) {
    if (forced) {
        dialog.EndDialog(PAGE_CANCEL); // the system is shutting down: no question
        return;
    }
    OnCommand(dialog, static_cast<int>(WizardControl::Cancel), Notification::Click);
}

} // namespace dravo
