// GameOptionsPage: the one procedure of both game options dialogs - the setup page NET_OPTIONS and
// SERVER_OPTIONS, opened from the console window. It shows GameOptions, explains each field with its
// "?" button, and writes the fields back on Next or OK; a night colour picked with the colour picker
// is written at once.
#pragma once

#include "engine/HostingRecords.h"
#include "settings/SettingRules.h"
#include "ui/pages/WizardPage.h"

#include <optional>
#include <string>
#include <string_view>

namespace dravo {

constexpr size_t OPTION_NUMBER_MAX_CHARS = 61;
constexpr size_t NIGHT_COLOR_MAX_CHARS = 29;
// A colour component of 0 to 255 as a fraction, in single precision as the colour text is made.
constexpr float COLOR_COMPONENT_SCALE = 0.003921569f;
// The colour of a night colour text ("r g b", each 0 to 1), or nothing when the text is not one.
std::optional<ColorRgb> NightColorOf(std::string_view text);

// "%.2f %.2f %.2f" of the picked colour: white is "1.00 1.00 1.00".
std::string NightColorText(ColorRgb color);

class GameOptionsPage final : public WizardPage {
public:
    // On the setup page (inWizard) Cancel asks before the setup goes; in the options dialog it does not.
    GameOptionsPage(GameOptions& options, bool inWizard) : WizardPage(inWizard), m_Options(options) {}

private:
    void OnOpen(DialogApi& dialog) override;
    void OnPageCommand(DialogApi& dialog, int id, Notification code) override;
    // Every field holds what the game can take; else a message names what it takes, the field gets the
    // focus, and false.
    bool Accepted(DialogApi& dialog) const;
    void Store(DialogApi& dialog);
    void PickNightColor(DialogApi& dialog);

    GameOptions& m_Options;
};

} // namespace dravo
