// NetOptionsTemplate: the setup page NET_OPTIONS - the game options - and the ids it shares with the
// SERVER_OPTIONS dialog.
#pragma once

#include "window/DialogTemplate.h"

#include <string_view>

namespace dravo {

inline constexpr std::string_view NET_OPTIONS_NAME = "NET_OPTIONS";

// Controls of both game options dialogs.
enum class OptionsControl : int {
    Cancel = 2,
    Back = 1003,             // wizard page only
    Ok = 1004,               // "&Next >" on the page, "&OK" in SERVER_OPTIONS
    TractorBeam = 1054,      // check box
    DoubleJump = 1055,       // check box
    RammingDamage = 1056,    // check box
    RunSpeed = 1057,         // edit
    MissileSpeed = 1058,     // edit
    RespawnScale = 1059,     // edit
    HealScale = 1060,        // edit
    RunSpeedHelp = 1061,     // "?"
    MissileSpeedHelp = 1062, // "?"
    TimeSpeed = 1063,        // edit
    NightColor = 1064,       // edit
    TimeSpeedHelp = 1065,    // "?"
    NightColorHelp = 1066,   // "?"
    RespawnScaleHelp = 1067, // "?"
    HealScaleHelp = 1068,    // "?"
    NightColorPicker = 1069, // "Night Color:" opens the colour picker
};

const DialogTemplate& NetOptionsTemplate();

} // namespace dravo
