// The game options procedure.
#include "ui/pages/GameOptionsPage.h"

#include "platform/os/Text.h"
#include "res/NetOptionsTemplate.h"
#include "res/StringTable.h"
#include "res/WizardFrame.h"
#include "settings/DecimalText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

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

struct NumberField {
    Control Field;
    std::string_view Name;
};

constexpr NumberField NUMBER_FIELDS[] = {
    {Control::RunSpeed, "The run speed"},
    {Control::MissileSpeed, "The missile speed"},
    {Control::RespawnScale, "The respawn scale"},
    {Control::HealScale, "The heal scale"},
};

} // namespace

std::optional<ColorRgb> NightColorOf(std::string_view text) {
    const std::optional<std::array<double, 3>> color = ParseNightColor(text);
    if (!color) {
        return std::nullopt;
    }
    const auto component = [](double value) { return static_cast<uint8_t>(std::lround(value * 255.0)); };
    return ColorRgb{component((*color)[0]), component((*color)[1]), component((*color)[2])};
}

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
        if (!Accepted(dialog)) {
            return;
        }
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

bool GameOptionsPage::Accepted(DialogApi& dialog) const {
    PageProblems problems;
    for (const NumberField& number : NUMBER_FIELDS) {
        if (!ParseWholeNumber(dialog.GetItemText(number.Field, OPTION_NUMBER_MAX_CHARS))) {
            problems.Add(number.Field, std::string(number.Name) + " " + std::string(OPTION_NUMBER_TEXT));
        }
    }
    // An empty time speed, or 0, keeps the one the game has.
    const std::string timeSpeed = dialog.GetItemText(Control::TimeSpeed, OPTION_NUMBER_MAX_CHARS);
    if (timeSpeed.find_first_not_of(" \t") != std::string::npos && !ParseWholeNumber(timeSpeed)) {
        problems.Add(Control::TimeSpeed,
                     "The time speed " + std::string(OPTION_NUMBER_TEXT) + " Empty or 0 keeps the game's own.");
    }
    if (!NightColorOf(dialog.GetItemText(Control::NightColor, NIGHT_COLOR_MAX_CHARS))) {
        problems.Add(Control::NightColor, std::string(NIGHT_COLOR_TEXT));
    }
    // Under the dialog's own title: the wizard's page, or the options dialog while hosting.
    return !problems.Shown(dialog, dialog.Title());
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
    // The picker opens at the colour the field shows, or at black when the field holds none.
    const std::optional<ColorRgb> picked = dialog.ChooseColor(
        NightColorOf(dialog.GetItemText(Control::NightColor, NIGHT_COLOR_MAX_CHARS)).value_or(ColorRgb{}));
    if (!picked) {
        return;
    }
    CopyCut(m_Options.m_WorldColorNight, NightColorText(*picked));
    dialog.SetItemText(Control::NightColor, BoundedText(m_Options.m_WorldColorNight, NIGHT_COLOR_SIZE));
}

} // namespace dravo
