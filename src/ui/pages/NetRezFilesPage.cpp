// The rez file page.
#include "ui/pages/NetRezFilesPage.h"

#include "res/NetRezFilesTemplate.h"
#include "res/WizardFrame.h"
#include "settings/SettingsStore.h"
#include "ui/pages/CustomRezFiles.h"

#include <utility>

namespace dravo {

using Control = NetRezFilesControl;

void NetRezFilesPage::OnOpen(DialogApi& dialog) {
    dialog.ListClear(Control::Available);
    const std::vector<std::string> found = FindCustomRezFiles(m_GameDirectory);
    if (found.empty()) {
        dialog.EndDialog(PAGE_NEXT); // nothing to choose from; nothing stored
        return;
    }
    for (const std::string& name : found) {
        dialog.ListAdd(Control::Available, name);
    }
    for (const std::string& entry : m_RezFileList) {
        dialog.ListAdd(Control::ToLoad, RezEntryShownName(entry));
    }
    if (!m_Unusable.empty()) {
        SelectForRemove(dialog, std::exchange(m_Unusable, {}));
    }
}

void NetRezFilesPage::SelectForRemove(DialogApi& dialog, const std::string& entry) {
    const int found = dialog.ListFindExact(Control::ToLoad, RezEntryShownName(entry));
    if (found == LIST_ERROR) {
        return;
    }
    dialog.ListSetSelection(Control::ToLoad, found);
    UpdateButtons(dialog);
    (void)dialog.SetFocus(Control::ToLoad);
}

void NetRezFilesPage::OnPageCommand(DialogApi& dialog, int id, Notification code) {
    switch (static_cast<Control>(id)) {
    case Control::Add:
        Add(dialog);
        return;
    case Control::Remove:
        Remove(dialog);
        return;
    case Control::Available:
        if (code == Notification::DoubleClick) {
            Add(dialog);
        } else if (code == Notification::SelectionChange) {
            UpdateButtons(dialog);
        }
        return;
    case Control::ToLoad:
        if (code == Notification::DoubleClick) {
            Remove(dialog);
        } else if (code == Notification::SelectionChange) {
            UpdateButtons(dialog);
        }
        return;
    default:
        break;
    }
    if (id == static_cast<int>(WizardControl::Next)) {
        Next(dialog);
    }
}

void NetRezFilesPage::UpdateButtons(DialogApi& dialog) {
    const int available = dialog.ListSelection(Control::Available);
    const auto name = dialog.ListText(Control::Available, available, REZ_LIST_ITEM_MAX_CHARS);
    dialog.EnableItem(Control::Add, name && FindListed(dialog, Control::ToLoad, *name) == LIST_ERROR);
    dialog.EnableItem(Control::Remove, dialog.ListSelection(Control::ToLoad) != NO_SELECTION);
}

void NetRezFilesPage::Add(DialogApi& dialog) {
    const auto name =
        dialog.ListText(Control::Available, dialog.ListSelection(Control::Available), REZ_LIST_ITEM_MAX_CHARS);
    if (name && FindListed(dialog, Control::ToLoad, *name) == LIST_ERROR) {
        dialog.ListAdd(Control::ToLoad, *name);
    }
    UpdateButtons(dialog);
}

void NetRezFilesPage::Remove(DialogApi& dialog) {
    const int selected = dialog.ListSelection(Control::ToLoad);
    if (selected != NO_SELECTION) {
        const int left = dialog.ListDelete(Control::ToLoad, selected);
        if (left > 0) {
            dialog.ListSetSelection(Control::ToLoad, selected < left ? selected : left - 1);
        }
    }
    UpdateButtons(dialog);
}

void NetRezFilesPage::Next(DialogApi& dialog) {
    TextList entries;
    const int count = dialog.ListCount(Control::ToLoad);
    for (int index = 0; index < count; ++index) {
        if (const auto shown = dialog.ListText(Control::ToLoad, index, REZ_LIST_ITEM_MAX_CHARS)) {
            entries.push_back(RezEntryFromShownName(*shown));
        }
    }
    // An archive that is not there would be passed over without a word: the operator hears of it here
    // and stays on the page, the first such entry selected for Remove.
    if (const TextList missing = MissingRezFiles(m_GameDirectory, entries); !missing.empty()) {
        (void)dialog.ShowMessageBox(MissingRezFilesMessage(missing), PAGE_MESSAGE_CAPTION, MessageBoxButtons::Ok,
                                    MessageBoxIcon::Exclamation);
        SelectForRemove(dialog, missing.front());
        return;
    }
    m_RezFileList = std::move(entries);
    SettingsStore(&m_Server).WriteTextList(NUM_REZ_FILES_KEY, REZ_FILE_KEY_PREFIX, m_RezFileList);
    dialog.EndDialog(PAGE_NEXT);
}

} // namespace dravo
