// TerminalColorPicker: the colour picker of the terminal face - red, green and blue typed as numbers
// from 0 to 255, with OK and Cancel. OK refuses a larger number, saying so, with its field focused.
#pragma once

#include "window/DialogProcedure.h"
#include "window/DialogTemplate.h"
#include "window/WindowSystem.h"

#include <optional>
#include <string_view>

namespace dravo {

class TerminalColorPicker final : public DialogProcedure {
public:
    enum class Control : int { Red = 1201, Green = 1202, Blue = 1203 };
    static constexpr std::string_view RANGE_TEXT = "Red, green and blue are numbers from 0 to 255.";

    explicit TerminalColorPicker(ColorRgb initial) : m_Initial(initial) {}

    static const DialogTemplate& Template();
    // The colour chosen with OK; nothing after Cancel.
    const std::optional<ColorRgb>& Chosen() const { return m_Chosen; }
    // A component as typed: digits, cut to 255; anything else reads as 0.
    static uint8_t ReadComponent(std::string_view text);
    // Whether the text is not a number above 255 (any text that is no number reads as 0).
    static bool InRange(std::string_view text);

    void OnInit(DialogApi& dialog) override;
    void OnCommand(DialogApi& dialog, int id, Notification code) override;

private:
    ColorRgb m_Initial;
    std::optional<ColorRgb> m_Chosen;
};

} // namespace dravo
