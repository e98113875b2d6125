// dravoserv: hosts one Dravo game. Start it in the game's installation directory.
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
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
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
    const std::string passwordError = AddPasswordFromSources(arguments, std::getenv(RCON_PASSWORD_ENVIRONMENT));
    // The bundled engine library sits beside the program.
    const std::string defaultLibrary = (ExecutableDirectory() / DynamicLibrary::FileName("server")).string();

    CommandLineOptions options = ParseCommandLine(arguments, defaultLibrary);
    ApplyLogFormatVariable(options, std::getenv(LOG_FORMAT_VARIABLE));
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
    if (!passwordError.empty()) {
        std::cerr << "DravoServ: " << passwordError << '\n';
        return static_cast<int>(ExitStatus::UsageError);
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
