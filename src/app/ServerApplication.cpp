// Start-up and the end of the run.
#include "app/ServerApplication.h"

#include "app/LateLogView.h"
#include "app/RunServices.h"
#include "app/ServiceWatch.h"
#include "host/commands/CommandService.h"
#include "host/console/ConsoleSecrets.h"
#include "platform/os/ProcessId.h"
#include "platform/os/ServiceNotify.h"
#include "platform/os/Text.h"
#include "res/StringTable.h"
#include "settings/SettingsStore.h"
#include "ui/ConsoleWindow.h"
#include "ui/ErrorBox.h"
#include "ui/SetupWizard.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace dravo {
namespace {

constexpr uint32_t SHIFT_SETTLE_MS = 50;
// The warned stop of a signal after which the system ends the process within about five seconds
// (Windows closing the console): short enough that the save still fits.
constexpr uint32_t ENDS_SOON_COUNTDOWN_SECONDS = 2;

// The engine's reason for its last failure, or nothing.
std::string LastEngineError(EngineServer* server) {
    char text[256] = {};
    if (server == nullptr || server->LastErrorText(text, sizeof text - 1) != ENGINE_STATUS_OK) {
        return {};
    }
    return std::string(BoundedText(text, sizeof text));
}

} // namespace

ServerApplication::ServerApplication(WindowSystem& windows, IClock& clock, BlockingPool& pool, const IDrives& drives,
                                     StopSignals* stops)
    : m_Windows(windows), m_Clock(clock), m_Pool(pool), m_Stops(stops), m_Resources(drives) {}

ExitStatus ServerApplication::StartServerApplication(const std::vector<std::string>& arguments,
                                                     const std::string& defaultLibraryPath) {
    m_Options = ParseCommandLine(arguments, defaultLibraryPath);
    ApplyLogFormatVariable(m_Options, std::getenv(LOG_FORMAT_VARIABLE));
    if (m_Options.m_ShowHelp) {
        std::cout << CommandLineHelp(defaultLibraryPath);
        return ExitStatus::Success;
    }
    StartEvents();
    const ExitStatus status = RunProgram();
    Emit(LogEvent{std::string(event_name::SERVER_STOPPED), EventLevel::Notice,
                  "DravoServ ends with exit status " + std::to_string(static_cast<int>(status)) + ".",
                  EventFieldList().Number("exit_status", static_cast<int>(status)).Flag("saved", m_Saved).Take(),
                  false});
    return status;
}

ExitStatus ServerApplication::RunProgram() {
    if (!m_Options.m_Error.empty()) {
        ShowErrorBox(m_Windows, m_Options.m_Error);
        return ExitStatus::UsageError;
    }
    StartLogFile();
    Emit(LogEvent{std::string(event_name::SERVER_STARTING), EventLevel::Notice, "DravoServ is starting.",
                  EventFieldList()
                      .Number("pid", static_cast<int64_t>(CurrentProcessId()))
                      .Text("config", m_Options.m_ConfigPath)
                      .Take(),
                  false});
    if (const std::optional<ExitStatus> failed = StartEngine()) {
        return *failed;
    }
    // Once the directory is known to hold the game (nothing is written to one that does not).
    m_Configuration.emplace(m_Windows, m_Options.m_ConfigPath);
    if (!m_Configuration->Take()) {
        return ExitStatus::StartupFailed;
    }
    const ExitStatus status = RunWithConfiguration();
    m_Configuration->Release();
    return status;
}

void ServerApplication::StartEvents() {
    if (m_Options.m_LogFormat != LogFormat::Json) {
        return;
    }
    // The headless face writes the plain log on standard output: there the events take its place. A face
    // with a screen keeps its own, and the events go to the log file alone.
    if (!m_Windows.CanShowDialogs()) {
        m_EventOutput = std::make_unique<EventOutput>(std::cout);
    }
    m_Windows.SetEmit([this](const LogEvent& event) { Emit(event); });
}

void ServerApplication::Emit(const LogEvent& event) {
    if (m_EventOutput) {
        m_EventOutput->WriteEvent(event);
    }
    if (m_LogFile) {
        m_LogFile->WriteEvent(event);
    }
}

LogEvent ServerApplication::ReadyEvent(const ServerSession& session, const RunServices& services) const {
    const auto portOf = [](const auto* service) { return service != nullptr ? int64_t{service->Port()} : 0; };
    return LogEvent{std::string(event_name::SERVER_READY), EventLevel::Notice, "Server is ready.",
                    EventFieldList()
                        .Number("game_port", session.GamePort())
                        .Number("query_port", session.QueryPort())
                        .Number("rcon_port", portOf(services.Console()))
                        .Number("metrics_port", portOf(services.Metrics()))
                        .Take(),
                    false};
}

ExitStatus ServerApplication::RunWithConfiguration() {
    if (const std::optional<ExitStatus> ended = RunSetup()) {
        return *ended;
    }
    return RunConsole();
}

std::optional<ExitStatus> ServerApplication::StartEngine() {
    if (!m_Library.LoadServerLibrary(m_Options.m_LibraryPath)) {
        ShowStringError(m_Windows, STR_UNABLE_TO_LOAD_SERVER_LIBRARY);
        m_Windows.ShowNote(m_Options.m_LibraryPath + ": " + m_Library.FailureText());
        return ExitStatus::StartupFailed;
    }
    if (m_Library.GetServer() == nullptr) {
        ShowStringError(m_Windows, STR_UNABLE_TO_ACCESS_SERVER_LIBRARY);
        return ExitStatus::StartupFailed;
    }

    m_EmptyExitEnabled = m_Options.m_EmptyExit;
    // Give a Shift key pressed with the start command time to register.
    m_Clock.SleepMs(SHIFT_SETTLE_MS);
    if (m_Windows.IsShiftHeld()) {
        m_Options.m_SkipWizard = !m_Options.m_SkipWizard;
    }

    m_Resources.LocateResources(m_Resources.FindCdDrive());
    if (m_Resources.MainArchivePath().empty()) {
        ShowStringError(m_Windows, STR_UNABLE_TO_ACCESS_RESOURCES);
        return ExitStatus::StartupFailed;
    }
    return std::nullopt;
}

std::optional<ExitStatus> ServerApplication::RunSetup() {
    SetupWizard wizard(
        {m_Windows, m_Library.GetServer(), m_Resources, m_Settings, m_LevelList, m_RezFileList, m_Notes});
    wizard.SetOverrides(m_Options.m_Overrides);
    m_Configuration->NoteLoading(); // the wizard has the engine read it first
    const bool set =
        wizard.RunSetupWizard(&m_HostInfo, &m_GameOptions, &m_GameInfo, m_Options.m_SkipWizard, m_Options.m_ConfigPath);
    if (StoppedDuringStartup()) {
        return ExitStatus::Stopped; // nothing is saved
    }
    if (!set) {
        return ExitStatus::StartupFailed; // cancelled or failed: nothing is saved
    }
    if (m_Notes.m_ConfigurationProblems) {
        m_Configuration->KeepOriginal(); // the file as loaded, before anything can change it
    }
    return std::nullopt;
}

// The hosted run. Its parts end in the reverse of their making, visibly: the services, then the session
// (hosting stopped, detached from the engine), then the library with the save; the fleet client's last
// word, Shutdown, comes after the save.
ExitStatus ServerApplication::RunConsole() {
    SessionRecords records{m_HostInfo, m_GameOptions, m_GameInfo, m_EmptyExitEnabled,
                           static_cast<uint32_t>(m_Settings.m_Port)};
    LateLogView lateLines(m_Windows);
    ServerSession session(lateLines, m_Clock, m_Pool, records);
    if (m_LogFile) {
        session.Log().Attach(*m_LogFile); // until the session goes, at the end of the run
    }
    if (m_EventOutput) {
        session.Log().Attach(*m_EventOutput);
    }
    // Until the session goes: it watches the session's facts.
    const char* notifySocket = std::getenv("NOTIFY_SOCKET");
    ServiceWatch watch(OpenServiceNotify(notifySocket != nullptr ? notifySocket : ""),
                       WatchdogInterval(std::getenv("WATCHDOG_USEC"), std::getenv("WATCHDOG_PID")), session.Facts());
    CommandService commands(session, CommandRecords{m_Settings, m_GameOptions, m_HostInfo});
    RunServices services(m_Clock, m_Pool, session, commands);
    services.StartFleet(*m_Library.GetServer(), m_Notes.m_Lines);
    ConsoleWindow console(m_Windows, m_Clock, ConsoleWindowParts{session, commands, m_Library.GetServer(), records});
    console.SetStartupNotes(m_Notes.m_Lines);
    console.SetHistoryFile(CommandHistory::FileFor(m_Options.m_ConfigPath));
    console.SetHostingStarted([this, &services, &session, &watch, &commands] {
        services.StartListeners();
        if (session.IsRunning()) {
            session.Log().Event(ReadyEvent(session, services));
            watch.Ready();
        }
        if (m_Stops != nullptr) {
            WarnBeforeSignalledStops(session.Tuning().m_StopSignalCountdownSeconds, commands);
            m_Stops->EndStartup();
        }
    });
    console.Run();
    if (m_Stops != nullptr) {
        m_Stops->ClearWarnedStop(); // before the command service goes
    }
    watch.Stopping(); // said by now, unless hosting never ran
    services.Stop();
    session.ResetSession();
    ExitStatus status = ExitStatus::OutOfMemory;
    if (session.RanOutOfMemory()) {
        if (m_Stops != nullptr) {
            m_Stops->Settle(static_cast<int>(ExitStatus::OutOfMemory));
        }
        m_Library.UnloadServerLibrary();
    } else {
        status = EndRun();
    }
    services.FinishFleet();
    return status;
}

void ServerApplication::WarnBeforeSignalledStops(uint32_t seconds, CommandService& commands) {
    if (seconds == 0) {
        return; // a stop signal stops at once
    }
    m_Stops->SetWarnedStop([seconds, &commands](Signal signal) {
        return commands.StopBySignal(SignalWatcher::EndsSoon(signal) ? std::min(seconds, ENDS_SOON_COUNTDOWN_SECONDS)
                                                                     : seconds);
    });
}

void ServerApplication::StartLogFile() {
    if (m_Options.m_LogFilePath.empty()) {
        ReleaseSignals({Signal::Hangup}); // held since main began; without -logfile it has its usual effect
        return;
    }
    m_LogFile = std::make_unique<LogFile>(m_Options.m_LogFilePath, std::cerr);
    m_LogFile->SetJson(m_Options.m_LogFormat == LogFormat::Json);
    (void)m_LogFile->Open(); // a file that cannot be opened is said once; lines are kept for a later try
    m_Hangup = std::make_unique<SignalWatcher>(std::initializer_list<Signal>{Signal::Hangup},
                                               [file = m_LogFile.get()](Signal) { file->Reopen(); });
    ReleaseSignals({Signal::Hangup}); // one that came since main began reopens the file now
}

ExitStatus ServerApplication::EndRun() {
    EngineServer* server = m_Library.GetServer();
    SettingsStore store(server);
    store.StoreAllSettings(m_Settings, m_GameOptions);
    ConsoleSecrets secrets;
    if (server != nullptr) {
        secrets.ReadFrom(*server);
    }
    const bool holdsSecret = std::ranges::any_of(
        SECRET_VARIABLES, [&secrets](const auto& variable) { return !secrets.Value(variable.m_Name).empty(); });
    const ConfigurationFile::Saved saved = m_Configuration->Save(
        [&store, server](const std::filesystem::path& file, std::string& error) {
            if (store.SaveSettingsFile(file.string())) {
                return true;
            }
            error = LastEngineError(server);
            return false;
        },
        holdsSecret);
    m_Saved = saved == ConfigurationFile::Saved::InPlace;
    const ExitStatus status = m_Saved ? ExitStatus::Success : ExitStatus::SaveFailed;
    if (m_Stops != nullptr) {
        m_Stops->Settle(static_cast<int>(status)); // a stop that overruns from here on says what was saved
    }
    m_Library.UnloadServerLibrary();
    return status;
}

} // namespace dravo
