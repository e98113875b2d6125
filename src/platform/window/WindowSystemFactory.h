// Creating the window system: which face the program uses, and the factories of the faces.
// The scripted face is for tests and is created directly (ScriptedWindowSystem).
#pragma once

#include "platform/window/HeadlessWindowSystem.h"
#include "platform/window/TerminalWindowSystem.h"
#include "platform/window/WindowSystem.h"

#include <memory>
#include <optional>

namespace dravo {

enum class WindowFace {
    Terminal, // dialogs drawn in a text terminal
    Headless, // no dialogs on screen; log on standard output, commands on standard input
};

// The face asked for on the command line, else the terminal face when standard input and standard
// output are both terminals, else the headless face.
WindowFace ChooseWindowFace(std::optional<WindowFace> requested, bool inputIsTerminal, bool outputIsTerminal);

std::unique_ptr<WindowSystem> CreateHeadlessWindowSystem(const HeadlessOptions& options);
// The terminal face on the given terminal; nullptr when it is not a terminal ncurses can use.
std::unique_ptr<WindowSystem> CreateTerminalWindowSystem(TerminalOptions options);

} // namespace dravo
