// The game options procedure.
#include "ui/pages/GameOptionsPage.h"

#include "platform/Text.h"
#include "res/NetOptionsTemplate.h"
#include "res/StringTable.h"
#include "settings/DecimalText.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace dravo {
namespace {

using Control = OptionsControl;

struct HelpButton {
    Control Button;
    int TextId;
    int CaptionId;
};

constexpr HelpButton HELP_BUTTONS[] = {
    {Control::RunSpeedHelp, STR_HELP_RUN_SPEED, STR_CAPTION_RUN_SPEED},
    {Control::MissileSpeedHelp, STR_HELP_MISSILE_SPEED, STR_CAPTION_MISSILE_SPEED},
    {Control::TimeSpeedHelp, STR_HELP_TIME_SPEED, STR_CAPTION_TIME_SPEED},
    {Control::NightColorHelp, STR_HELP_NIGHT_COLOR, STR_CAPTION_NIGHT_COLOR},
    {Control::RespawnScaleHelp, STR_HELP_RESPAWN_SCALE, STR_CAPTION_RESPAWN_SCALE},
    {Control::HealScaleHelp, STR_HELP_HEAL_SCALE, STR_CAPTION_HEAL_SCALE},
};

// A typed number beyond the range of the field is held at the field's largest value.
float ReadNumber(const DialogApi& dialog, Control id) {
    const double number = ParseDecimalNumber(dialog.GetItemText(id, OPTION_NUMBER_MAX_CHARS));
    constexpr double LARGEST = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(number, -LARGEST, LARGEST));
}

} // namespace

std::string NightColorText(ColorRgb color) {
    char text[NIGHT_COLOR_SIZE];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f",
                  static_cast<double>(static_cast<float>(color.m_Red) * COLOR_COMPONENT_SCALE),
                  static_cast<double>(static_cast<float>(color.m_Green) * COLOR_COMPONENT_SCALE),
                  static_cast<double>(static_cast<float>(color.m_Blue) * COLOR_COMPONENT_SCALE));
    return text;
}

void GameOptionsPage::OnOpen(DialogApi& dialog) {
    dialog.CheckItem(Control::TractorBeam, m_Options.m_TractorBeam != 0);
    dialog.CheckItem(Control::DoubleJump, m_Options.m_DoubleJump != 0);
    dialog.CheckItem(Control::RammingDamage, m_Options.m_RammingDamage != 0);
    dialog.SetItemText(Control::RunSpeed, FormatDecimalNumber(m_Options.m_RunSpeed));
    dialog.SetItemText(Control::MissileSpeed, FormatDecimalNumber(m_Options.m_MissileSpeed));
    dialog.SetItemText(Control::HealScale, FormatDecimalNumber(m_Options.m_HealScale));
    dialog.SetItemText(Control::RespawnScale, FormatDecimalNumber(m_Options.m_RespawnScale));
    dialog.SetItemText(Control::NightColor,
                       BoundedText(m_Options.m_WorldColorNight, sizeof m_Options.m_WorldColorNight));
    dialog.SetItemText(Control::TimeSpeed, FormatDecimalNumber(m_Options.m_WorldTimeSpeed));
}

void GameOptionsPage::OnPageCommand(DialogApi& dialog, int id, Notification /*code*/) {
    if (id == static_cast<int>(Control::Ok)) {
        Store(dialog);
        dialog.EndDialog(PAGE_NEXT);
        return;
    }
    if (id == static_cast<int>(Control::NightColorPicker)) {
        PickNightColor(dialog);
        return;
    }
    for (const HelpButton& help : HELP_BUTTONS) {
        if (id == static_cast<int>(help.Button)) {
            ShowHelpMessage(dialog.Windows(), help.TextId, help.CaptionId);
            return;
        }
    }
}

void GameOptionsPage::Store(DialogApi& dialog) {
    m_Options.m_TractorBeam = dialog.IsChecked(Control::TractorBeam) ? 1 : 0;
    m_Options.m_DoubleJump = dialog.IsChecked(Control::DoubleJump) ? 1 : 0;
    m_Options.m_RammingDamage = dialog.IsChecked(Control::RammingDamage) ? 1 : 0;
    m_Options.m_RunSpeed = ReadNumber(dialog, Control::RunSpeed);
    m_Options.m_MissileSpeed = ReadNumber(dialog, Control::MissileSpeed);
    m_Options.m_RespawnScale = ReadNumber(dialog, Control::RespawnScale);
    m_Options.m_HealScale = ReadNumber(dialog, Control::HealScale);
    CopyCut(m_Options.m_WorldColorNight, dialog.GetItemText(Control::NightColor, NIGHT_COLOR_MAX_CHARS));
    // 0, or text that is not a number, keeps the time speed the game had.
    const float timeSpeed = ReadNumber(dialog, Control::TimeSpeed);
    if (timeSpeed != 0.0f) {
        m_Options.m_WorldTimeSpeed = timeSpeed;
    }
}

void GameOptionsPage::PickNightColor(DialogApi& dialog) {
    // The picker opens at black, not at the current colour.
    const std::optional<ColorRgb> picked = dialog.ChooseColor(ColorRgb{});
    if (!picked) {
        return;
    }
    CopyCut(m_Options.m_WorldColorNight, NightColorText(*picked));
    dialog.SetItemText(Control::NightColor, BoundedText(m_Options.m_WorldColorNight, NIGHT_COLOR_SIZE));
}

} // namespace dravo
