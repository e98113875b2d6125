// dravoserv: hosts one Dravo game. Start it in the game's installation directory.
#include "app/ConfigurationSeed.h"
#include "app/EnvironmentArguments.h"
#include "app/EventOutput.h"
#include "app/PasswordSources.h"
#include "app/ServerApplication.h"
#include "app/StopSignals.h"
#include "app/WindowSystemFactory.h"
#include "platform/fs/FileSystem.h"
#include "platform/os/BlockingPool.h"
#include "platform/os/DynamicLibrary.h"
#include "platform/os/QueuedOutput.h"
#include "platform/os/SignalWatcher.h"
#include "platform/os/StandardStreams.h"
#include "res/Pictures.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

// What an ending without unwinding (a stop that took too long) still writes of the queued output.
constexpr std::chrono::milliseconds EXIT_OUTPUT_WAIT{500};

// The face's streams and pictures. With the JSON events, standard output carries the events alone: the
// face's plain lines go to `discarded`.
dravo::ProgramFaceOptions FaceOptions(const dravo::CommandLineOptions& options, std::ostream& discarded,
                                      dravo::BlockingPool& pool) {
    dravo::ProgramFaceOptions faceOptions;
    faceOptions.m_Out = options.m_LogFormat == dravo::LogFormat::Json ? &discarded : &std::cout;
    faceOptions.m_Err = &std::cerr;
    faceOptions.m_Pool = &pool;
    faceOptions.m_Pictures = [](std::string_view name) {
        const dravo::TextPicture* picture = dravo::Pictures::FindBitmap(name);
        return picture == nullptr ? std::span<const std::string_view>() : picture->m_Rows;
    };
    return faceOptions;
}

// Standard output and error through queues of their own; under systemd, each line tells the journal its
// priority.
void StartQueues(std::optional<dravo::QueuedStandardStreams>& queued) {
    dravo::QueuedOutput::LinePrefix outPrefix;
    dravo::QueuedOutput::LinePrefix errPrefix;
    if (dravo::IsJournalStream(dravo::StandardOutputDescriptor())) {
        outPrefix = dravo::JournalPrefix;
    }
    if (dravo::IsJournalStream(dravo::StandardErrorDescriptor())) {
        errPrefix = dravo::JournalPrefix;
    }
    queued.emplace(std::move(outPrefix), std::move(errPrefix));
}

// The arguments with those of the DRAVO_* variables and a panel's STARTUP command, in the game's
// directory when DRAVO_GAME_DIR names it (a panel starts the program in a directory of its own); what
// went wrong, empty when nothing did.
std::string TakeEnvironment(std::vector<std::string>& arguments) {
    std::string error;
    if (const char* gameDirectory = std::getenv(dravo::GAME_DIRECTORY_VARIABLE);
        gameDirectory != nullptr && *gameDirectory != '\0') {
        std::error_code code;
        std::filesystem::current_path(gameDirectory, code);
        if (code) {
            return std::string("The game directory \"") + gameDirectory + "\" (" + dravo::GAME_DIRECTORY_VARIABLE +
                   ") cannot be entered: " + code.message() + ".";
        }
    }
    arguments = dravo::WithEnvironmentArguments(
        arguments, [](const char* name) { return static_cast<const char*>(std::getenv(name)); }, error);
    return error;
}

} // namespace

int main(int argc, char** argv) {
    using namespace dravo;
    // A stop or a hangup that comes before its owner watches it waits; none ends the program unsaved.
    HoldSignals({Signal::Terminate, Signal::Interrupt, Signal::Hangup});
    OpenClosedStandardStreams(); // before anything makes a descriptor that could take their place
    // Standard output and error go through queues of their own once the face has its streams, so that a
    // reader that does not read never holds up the program. Made after the face, they outlive the stops.
    std::optional<QueuedStandardStreams> queued;
    std::atomic<bool> queuing{false};
    // Before anything else takes the stop signals (ncurses would); a closed output must not end the run.
    StopSignals stops([&queued, &queuing](int status) {
        if (queuing.load(std::memory_order_acquire)) {
            queued->Finish(EXIT_OUTPUT_WAIT);
        }
        std::_Exit(status);
    });
    ReleaseSignals({Signal::Terminate, Signal::Interrupt}); // the hangup once -logfile watches it
    IgnoreBrokenPipes();
    std::vector<std::string> arguments(argv, argv + argc);
    // The password goes from the arguments that every local user can read, as soon as it is copied.
    WipeSecretArguments(argc, argv);
    std::string startError = TakeEnvironment(arguments);
    const std::string passwordError = AddPasswordFromSources(arguments, std::getenv(RCON_PASSWORD_ENVIRONMENT));
    // The bundled engine library sits beside the program.
    const std::string defaultLibrary = (ExecutableDirectory() / DynamicLibrary::FileName("server")).string();

    CommandLineOptions options = ParseCommandLine(arguments, defaultLibrary);
    ApplyLogFormatVariable(options, std::getenv(LOG_FORMAT_VARIABLE));
    if (startError.empty() && options.m_Error.empty()) {
        startError = SeedConfiguration(options.m_ConfigPath, std::getenv(CONFIG_SAMPLE_VARIABLE));
    }
    std::ostream discarded(nullptr);
    // What blocks (name lookups, HTTP requests, Windows' input) runs here; it outlives everything below it.
    BlockingPool pool;
    std::string faceError;
    std::unique_ptr<WindowSystem> windows =
        CreateProgramWindowSystem(FindFace(options.m_Face), FaceOptions(options, discarded, pool), faceError);
    if (!windows) {
        std::cerr << "DravoServ: " << faceError << '\n';
        return static_cast<int>(ExitStatus::UsageError);
    }
    for (const std::string& error : {startError, passwordError}) {
        if (!error.empty()) {
            std::cerr << "DravoServ: " << error << '\n';
            return static_cast<int>(ExitStatus::UsageError);
        }
    }
    StartQueues(queued);
    queuing.store(true, std::memory_order_release);
    auto clock = CreateSystemClock();
    auto drives = CreateSystemDrives();
    // Detached before the face goes: a signal that comes while the program ends must not reach it.
    const StopSignals::Attachment attached = stops.Attach(*windows);
    ServerApplication application(*windows, *clock, pool, *drives, &stops);
    return static_cast<int>(application.StartServerApplication(arguments, defaultLibrary));
}
