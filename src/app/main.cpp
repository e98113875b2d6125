// dravoserv: hosts one Dravo game. Start it in the game's installation directory.
#include "app/ServerApplication.h"
#include "app/StopSignals.h"
#include "platform/FileSystem.h"
#include "platform/SignalWatcher.h"
#include "platform/window/WindowSystemFactory.h"
#include "res/Pictures.h"

#include <iostream>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <unistd.h>

int main(int argc, char** argv) {
    using namespace dravo;
    // Before anything else takes the stop signals (ncurses would); a closed output must not end the run.
    StopSignals stops;
    IgnoreBrokenPipes();
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

    std::unique_ptr<WindowSystem> windows;
    if (face == WindowFace::Terminal) {
        TerminalOptions terminal;
        terminal.m_InputFd = STDIN_FILENO;
        terminal.m_OutputFd = STDOUT_FILENO;
        terminal.m_Err = &std::cerr;
        terminal.m_Out = &std::cout;
        terminal.m_Pictures = [](std::string_view name) {
            const TextPicture* picture = Pictures::FindBitmap(name);
            return picture == nullptr ? std::span<const std::string_view>() : picture->m_Rows;
        };
        windows = CreateTerminalWindowSystem(std::move(terminal));
        if (!windows && requested) {
            std::cerr << "DravoServ: ERROR - This terminal cannot show the dialogs; use -face headless.\n";
            return static_cast<int>(ExitStatus::UsageError);
        }
    }
    if (!windows) {
        HeadlessOptions headless;
        headless.m_Out = &std::cout;
        headless.m_Err = &std::cerr;
        windows = CreateHeadlessWindowSystem(headless);
    }
    auto clock = CreateSystemClock();
    auto drives = CreateSystemDrives();
    stops.Attach(*windows);
    ServerApplication application(*windows, *clock, *drives, &stops);
    return static_cast<int>(application.StartServerApplication(arguments, defaultLibrary));
}
