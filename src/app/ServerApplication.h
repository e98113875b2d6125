// ServerApplication: the whole life of the program, from loading the engine
// library to saving the settings and releasing it.
//
// Runs on the main thread, which is also the window thread. It owns the
// engine library, the settings and the three hosting records for the run.
#pragma once

#include "app/CommandLine.h"
#include "app/ConfigurationFile.h"
#include "app/EventOutput.h"
#include "app/EventfulWindows.h"
#include "app/LogFile.h"
#include "app/StopSignals.h"
#include "engine/HostingRecords.h"
#include "engine/loader/ServerLibrary.h"
#include "platform/fs/Drives.h"
#include "platform/os/BlockingPool.h"
#include "platform/os/Clock.h"
#include "platform/os/SignalWatcher.h"
#include "settings/ResourceLocator.h"
#include "settings/ServerSettings.h"
#include "ui/StartupNotes.h"
#include "window/WindowSystem.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dravo {

class CommandService;

class RunServices;
class ServerSession;

enum class ExitStatus : int {
    Success = 0,
    StartupFailed = 1, // the library, the resources or the setup failed
    UsageError = 2,    // the command line cannot be used
    SaveFailed = 3,    // the run ended but the configuration file was not saved (its settings may be beside it)
    OutOfMemory = 4,   // the engine ran out of memory; the settings were not saved
    Stopped = 5,       // SIGTERM or SIGINT before the game was hosted; nothing was saved
};

class ServerApplication {
public:
    // `stops` (may be null) is told when start-up ends and tells whether a stop signal came before. What
    // blocks (name lookups, HTTP requests) runs on `pool`, which outlives the application.
    ServerApplication(WindowSystem& windows, IClock& clock, BlockingPool& pool, const IDrives& drives,
                      StopSignals* stops = nullptr);

    // Runs every step; arguments[0] is the program path. Returns the exit status.
    ExitStatus StartServerApplication(const std::vector<std::string>& arguments, const std::string& defaultLibraryPath);

    // What the run has chosen, for the steps that follow start-up.
    const CommandLineOptions& Options() const { return m_Options; }
    const ServerSettings& Settings() const { return m_Settings; }
    const GameOptions& GameOptionsRecord() const { return m_GameOptions; }
    bool EmptyExitEnabled() const { return m_EmptyExitEnabled; }
    const HostInfo& HostInfoRecord() const { return m_HostInfo; }
    const GameInfo& GameInfoRecord() const { return m_GameInfo; }
    // The log file of -logfile, or null.
    LogFile* LogFileSink() const { return m_LogFile.get(); }

private:
    // Loads the engine library and finds the game's resources; the exit status when that fails.
    std::optional<ExitStatus> StartEngine();
    // The setup wizard, or "-go"; the exit status when the run ends there.
    std::optional<ExitStatus> RunSetup();
    // Hosts the game in the console window until it closes, then ends the run.
    ExitStatus RunConsole();
    // Everything after the command line is read: the exit status.
    ExitStatus RunProgram();
    // The run, while the configuration file is ours.
    ExitStatus RunWithConfiguration();
    // -logfile: opens the file (its trouble is said, the run goes on) and reopens it on SIGHUP.
    void StartLogFile();
    // Once hosted: with a countdown of `seconds` set, the first stop signal tells the players first.
    void WarnBeforeSignalledStops(uint32_t seconds, CommandService& commands);
    // Writes the settings back, has the engine save them and releases the library.
    ExitStatus EndRun();
    // -logformat json: the event stream on standard output (headless face), error boxes as events.
    void StartEvents();
    // An event of the program itself, outside the session's console log: to the event stream and the log
    // file, in the format chosen.
    void Emit(const LogEvent& event);
    // "server.ready" with the ports, after the listeners have started.
    LogEvent ReadyEvent(const ServerSession& session, const RunServices& services) const;

    bool StoppedDuringStartup() const { return m_Stops != nullptr && m_Stops->StoppedDuringStartup(); }

    EventfulWindows m_Windows; // the face's, with error boxes told as events
    IClock& m_Clock;
    BlockingPool& m_Pool;
    StopSignals* m_Stops;
    ResourceLocator m_Resources;
    CommandLineOptions m_Options;
    ServerLibrary m_Library;
    ServerSettings m_Settings;
    TextList m_LevelList;
    TextList m_RezFileList;
    StartupNotes m_Notes;
    HostInfo m_HostInfo{};
    GameOptions m_GameOptions{};
    GameInfo m_GameInfo{};
    std::atomic<bool> m_EmptyExitEnabled{false};
    std::optional<ConfigurationFile> m_Configuration; // its lock held for the whole run
    std::unique_ptr<LogFile> m_LogFile;
    std::unique_ptr<EventOutput> m_EventOutput; // the JSON events on standard output, or null
    bool m_Saved = false;                       // the configuration was saved in place at the end
    std::unique_ptr<SignalWatcher> m_Hangup;    // ends before the log file it reopens
};

} // namespace dravo
