// Start-up error boxes.
#include "ui/ErrorBox.h"

#include "res/StringTable.h"

namespace dravo {

void ShowErrorBox(WindowSystem& windows, std::string_view text) {
    windows.ShowMessageBox(text, APPLICATION_NAME, MessageBoxButtons::Ok, MessageBoxIcon::Exclamation);
}

void ShowStringError(WindowSystem& windows, int stringId) {
    if (const auto text = StringTable::Find(stringId)) {
        ShowErrorBox(windows, *text);
    }
}

} // namespace dravo
