// dravoserv: hosts one Dravo game. Start it in the game's installation directory.
#include "app/ServerApplication.h"
#include "platform/FileSystem.h"
#include "platform/window/WindowSystemFactory.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace dravo;
    const std::vector<std::string> arguments(argv, argv + argc);
    // The bundled engine library sits beside the program.
    const std::string defaultLibrary = (ExecutableDirectory() / "server.so").string();

    HeadlessOptions headless;
    headless.Out = &std::cout;
    headless.Err = &std::cerr;
    auto windows = CreateHeadlessWindowSystem(headless);
    auto clock = CreateSystemClock();
    auto drives = CreateSystemDrives();
    ServerApplication application(*windows, *clock, *drives);
    return static_cast<int>(application.StartServerApplication(arguments, defaultLibrary));
}
