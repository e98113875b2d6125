// Start-up error boxes.
#include "ui/ErrorBox.h"

#include "res/StringTable.h"

namespace dravo {

void ShowErrorBox(WindowSystem& windows, std::string_view text) {
    windows.ShowMessageBox(text, APPLICATION_NAME, MessageBoxButtons::Ok, MessageBoxIcon::Exclamation,
                           MessageBoxDefault::First);
}

bool ConfirmLoss(WindowSystem& windows, std::string_view question, std::string_view caption) {
    return windows.ShowMessageBox(question, caption, MessageBoxButtons::YesNo, MessageBoxIcon::Question,
                                  MessageBoxDefault::Second) == MessageBoxResult::Yes;
}

void ShowStringError(WindowSystem& windows, int stringId) {
    if (const auto text = StringTable::Find(stringId)) {
        ShowErrorBox(windows, *text);
    }
}

} // namespace dravo
