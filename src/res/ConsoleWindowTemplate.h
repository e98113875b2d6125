// ConsoleWindowTemplate: dialog 129, the console window shown while the game is hosted, and its ids.
#pragma once

#include "window/DialogTemplate.h"

namespace dravo {

constexpr int CONSOLE_WINDOW_TEMPLATE_NUMBER = 129;

// Control and command ids of the console window.
enum class ConsoleControl : int {
    Shutdown = 2,           // button; also Esc, the close box and a close request
    Options = 3,            // button "&Options..."
    ServerName = 1003,      // text
    LevelList = 1014,       // list box, level rotation, no selection
    PlayerList = 1015,      // list box, player lines with tab stops
    Boot = 1016,            // button, disabled until a player is selected
    CommandInput = 1018,    // edit, one line
    ConsoleLog = 1021,      // edit, multi-line, read-only
    StartHosting = 1035,    // command only: posted to the window at its first showing
    RunningTime = 1037,     // text
    NetService = 1038,      // text
    PlayerCount = 1039,     // text
    CurrentLevel = 1040,    // text
    NextLevelName = 1041,   // text
    TimeInLevel = 1042,     // text
    LevelGoal = 1043,       // text
    Clear = 1044,           // button, empties the log
    Send = 1045,            // hidden default button: Enter in the command input
    NextLevelButton = 1046, // button "&Next Level"
};

// The console window's template; static data.
const DialogTemplate& ConsoleWindowTemplate();

} // namespace dravo
