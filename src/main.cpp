// dravoserv: hosts one Dravo game. Start it in the game's installation directory.
#include "app/ServerApplication.h"
#include "platform/FileSystem.h"
#include "platform/window/WindowSystemFactory.h"

#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

int main(int argc, char** argv) {
    using namespace dravo;
    const std::vector<std::string> arguments(argv, argv + argc);
    // The bundled engine library sits beside the program.
    const std::string defaultLibrary = (ExecutableDirectory() / "server.so").string();

    const CommandLineOptions options = ParseCommandLine(arguments, defaultLibrary);
    std::optional<WindowFace> requested;
    if (options.m_Face == "headless") {
        requested = WindowFace::Headless;
    } else if (options.m_Face == "terminal") {
        requested = WindowFace::Terminal;
    }
    const WindowFace face = ChooseWindowFace(requested, isatty(STDIN_FILENO) != 0, isatty(STDOUT_FILENO) != 0);
    if (face == WindowFace::Terminal && requested) {
        std::cerr << "DravoServ: ERROR - The terminal face is not part of this build; use -face headless.\n";
        return static_cast<int>(ExitStatus::UsageError);
    }

    HeadlessOptions headless;
    headless.Out = &std::cout;
    headless.Err = &std::cerr;
    auto windows = CreateHeadlessWindowSystem(headless);
    auto clock = CreateSystemClock();
    auto drives = CreateSystemDrives();
    ServerApplication application(*windows, *clock, *drives);
    return static_cast<int>(application.StartServerApplication(arguments, defaultLibrary));
}
