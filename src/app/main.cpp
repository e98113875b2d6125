// dravoserv: hosts one Dravo game. Start it in the game's installation directory.
#include "app/ServerApplication.h"
#include "app/StopSignals.h"
#include "app/WindowSystemFactory.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "platform/SignalWatcher.h"
#include "res/Pictures.h"

#include <iostream>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    using namespace dravo;
    // Before anything else takes the stop signals (ncurses would); a closed output must not end the run.
    StopSignals stops;
    IgnoreBrokenPipes();
    const std::vector<std::string> arguments(argv, argv + argc);
    // The bundled engine library sits beside the program.
    const std::string defaultLibrary = (ExecutableDirectory() / DynamicLibrary::FileName("server")).string();

    const CommandLineOptions options = ParseCommandLine(arguments, defaultLibrary);
    ProgramFaceOptions faceOptions;
    faceOptions.m_Out = &std::cout;
    faceOptions.m_Err = &std::cerr;
    faceOptions.m_Pictures = [](std::string_view name) {
        const TextPicture* picture = Pictures::FindBitmap(name);
        return picture == nullptr ? std::span<const std::string_view>() : picture->m_Rows;
    };
    std::string faceError;
    std::unique_ptr<WindowSystem> windows = CreateProgramWindowSystem(FindFace(options.m_Face), faceOptions, faceError);
    if (!windows) {
        std::cerr << "DravoServ: " << faceError << '\n';
        return static_cast<int>(ExitStatus::UsageError);
    }
    auto clock = CreateSystemClock();
    auto drives = CreateSystemDrives();
    // Detached before the face goes: a signal that comes while the program ends must not reach it.
    const StopSignals::Attachment attached = stops.Attach(*windows);
    ServerApplication application(*windows, *clock, *drives, &stops);
    return static_cast<int>(application.StartServerApplication(arguments, defaultLibrary));
}
