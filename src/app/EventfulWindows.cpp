// Error boxes as events.
#include "app/EventfulWindows.h"

#include "host/console/ErrorEvents.h"

#include <string>

namespace dravo {

MessageBoxResult EventfulWindows::ShowMessageBox(std::string_view text, std::string_view caption,
                                                 MessageBoxButtons buttons, MessageBoxIcon icon,
                                                 MessageBoxDefault defaultButton) {
    if (m_Emit && icon == MessageBoxIcon::Exclamation) {
        const std::optional<std::string_view> name = FindErrorEvent(text);
        LogEvent event{name ? std::string(*name) : std::string("error.other"), EventLevel::Error, std::string(text),
                       EventFieldList().Text("caption", caption).Take(), true};
        m_Emit(event);
    }
    return m_Windows.ShowMessageBox(text, caption, buttons, icon, defaultButton);
}

} // namespace dravo
