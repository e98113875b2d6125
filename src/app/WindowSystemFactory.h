// Creating the window system: which faces this system has, which one the program uses, and their
// factories - the one place that knows every face. What differs by system (which faces there are) is
// WindowSystemFactory_posix.cpp and WindowSystemFactory_win32.cpp.
#pragma once

#include "window/WindowSystem.h"
#include "window/headless/HeadlessWindowSystem.h"

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace dravo {

enum class WindowFace {
    Terminal, // dialogs drawn in a text terminal (POSIX systems)
    Headless, // no dialogs on screen; log on standard output, commands on standard input
    Win32,    // real dialogs on the desktop (Windows)
};

struct FaceName {
    WindowFace m_Face;
    std::string_view m_Name; // as -face takes it
};

// The faces of this system, by name, the default first: "win32" and "headless" on Windows, "headless"
// and "terminal" elsewhere.
std::span<const FaceName> AvailableFaces();
// The face of that name (without regard to case), or nothing when this system has none such.
std::optional<WindowFace> FindFace(std::string_view name);
// The names joined by the separator: "headless|terminal".
std::string FaceNames(std::string_view separator);
// One sentence for the usage text: which face runs when none is asked for.
std::string_view DefaultFaceRule();

// On POSIX systems: the face asked for, else the terminal face when standard input and standard output
// are both terminals, else the headless face.
WindowFace ChooseWindowFace(std::optional<WindowFace> requested, bool inputIsTerminal, bool outputIsTerminal);

// Bitmap resources as text pictures, for the faces that draw in characters.
using TextPictureLookup = std::function<std::span<const std::string_view>(std::string_view name)>;

struct ProgramFaceOptions {
    std::ostream* m_Out = nullptr;  // the headless face's log, the Win32 face's late log lines
    std::ostream* m_Err = nullptr;  // message boxes of the headless face, failures of the others
    TextPictureLookup m_Pictures;   // for the terminal face
    BlockingPool* m_Pool = nullptr; // where the headless face reads its input
};

// The program's face on its standard streams: the one asked for, else this system's default. Nothing,
// with the reason in `error`, when the face asked for cannot run here (a terminal ncurses cannot use).
std::unique_ptr<WindowSystem> CreateProgramWindowSystem(std::optional<WindowFace> requested,
                                                        const ProgramFaceOptions& options, std::string& error);

std::unique_ptr<WindowSystem> CreateHeadlessWindowSystem(const HeadlessOptions& options);

} // namespace dravo
