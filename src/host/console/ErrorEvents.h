// ErrorEvents: every error message the operator's guide lists, by the event name it carries in the event
// stream. A line or a message box is that error when it begins with the error's fixed text.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace dravo {

struct ErrorEvent {
    std::string_view m_Prefix; // the message up to its first variable part
    std::string_view m_Name;   // "error.<what>"
};

std::span<const ErrorEvent> ErrorEvents();
// The event name of the error the text begins with, or nothing.
std::optional<std::string_view> FindErrorEvent(std::string_view text);

} // namespace dravo
