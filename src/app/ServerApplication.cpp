// Start-up and the end of the run.
#include "app/ServerApplication.h"

#include "app/LateLogView.h"
#include "app/RunServices.h"
#include "host/commands/CommandService.h"
#include "platform/os/Text.h"
#include "res/StringTable.h"
#include "settings/SettingsStore.h"
#include "ui/ConsoleWindow.h"
#include "ui/ErrorBox.h"
#include "ui/SetupWizard.h"

#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace dravo {
namespace {

constexpr uint32_t SHIFT_SETTLE_MS = 50;
constexpr std::string_view ORIGINAL_SUFFIX = ".orig";

// The engine's reason for its last failure, or nothing.
std::string LastEngineError(EngineServer* server) {
    char text[256] = {};
    if (server == nullptr || server->LastErrorText(text, sizeof text - 1) != ENGINE_STATUS_OK) {
        return {};
    }
    return std::string(BoundedText(text, sizeof text));
}

} // namespace

ServerApplication::ServerApplication(WindowSystem& windows, IClock& clock, const IDrives& drives, StopSignals* stops)
    : m_Windows(windows), m_Clock(clock), m_Stops(stops), m_Resources(drives) {}

ExitStatus ServerApplication::StartServerApplication(const std::vector<std::string>& arguments,
                                                     const std::string& defaultLibraryPath) {
    m_Options = ParseCommandLine(arguments, defaultLibraryPath);
    if (m_Options.m_ShowHelp) {
        std::cout << CommandLineHelp(defaultLibraryPath);
        return ExitStatus::Success;
    }
    if (!m_Options.m_Error.empty()) {
        ShowErrorBox(m_Windows, m_Options.m_Error);
        return ExitStatus::UsageError;
    }
    StartLogFile();
    if (const std::optional<ExitStatus> failed = StartEngine()) {
        return *failed;
    }
    // Once the directory is known to hold the game (nothing is written to one that does not).
    if (const std::optional<ExitStatus> refused = TakeConfiguration()) {
        return *refused;
    }
    const ExitStatus status = RunWithConfiguration();
    m_InstanceLock.Release(); // the run, its save included, is over
    return status;
}

ExitStatus ServerApplication::RunWithConfiguration() {
    if (const std::optional<ExitStatus> ended = RunSetup()) {
        return *ended;
    }
    return RunConsole();
}

std::optional<ExitStatus> ServerApplication::TakeConfiguration() {
    std::string holder;
    if (m_InstanceLock.Take(m_Options.m_ConfigPath, holder) != InstanceLock::Outcome::HeldByOther) {
        return std::nullopt; // ours, or no lock to be had (a directory nobody may write): nothing to share
    }
    ShowErrorBox(m_Windows, "ERROR - Another DravoServ" +
                                (holder.empty() ? std::string() : " (process " + holder + ")") +
                                " runs with the configuration file \"" + m_Options.m_ConfigPath +
                                "\"; the last to end would save over the other's settings.");
    m_Windows.ShowNote("Stop that server first, or give this one a configuration file of its own with -CONFIG.");
    return ExitStatus::StartupFailed;
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
    const bool set =
        wizard.RunSetupWizard(&m_HostInfo, &m_GameOptions, &m_GameInfo, m_Options.m_SkipWizard, m_Options.m_ConfigPath);
    if (StoppedDuringStartup()) {
        return ExitStatus::Stopped; // nothing is saved
    }
    if (!set) {
        return ExitStatus::StartupFailed; // cancelled or failed: nothing is saved
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
    ServerSession session(lateLines, m_Clock, records);
    if (m_LogFile) {
        session.Log().Attach(*m_LogFile); // until the session goes, at the end of the run
    }
    CommandService commands(session, CommandRecords{m_Settings, m_GameOptions, m_HostInfo});
    RunServices services(m_Clock, session, commands);
    services.StartFleet(*m_Library.GetServer(), m_Notes.m_Lines);
    ConsoleWindow console(m_Windows, m_Clock, ConsoleWindowParts{session, commands, m_Library.GetServer(), records});
    console.SetStartupNotes(m_Notes.m_Lines);
    console.SetHistoryFile(CommandHistory::FileFor(m_Options.m_ConfigPath));
    console.SetHostingStarted([this, &services] {
        services.StartListeners();
        if (m_Stops != nullptr) {
            m_Stops->EndStartup();
        }
    });
    console.Run();
    services.Stop();
    session.ResetSession();
    ExitStatus status = ExitStatus::OutOfMemory;
    if (session.RanOutOfMemory()) {
        m_Library.UnloadServerLibrary();
    } else {
        status = EndRun();
    }
    services.FinishFleet();
    return status;
}

void ServerApplication::StartLogFile() {
    if (m_Options.m_LogFilePath.empty()) {
        return;
    }
    m_LogFile = std::make_unique<LogFile>(m_Options.m_LogFilePath, std::cerr);
    (void)m_LogFile->Open(); // a file that cannot be opened is said once; lines are kept for a later try
    m_Hangup = std::make_unique<SignalWatcher>(std::initializer_list<Signal>{Signal::Hangup},
                                               [file = m_LogFile.get()](Signal) { file->Reopen(); });
}

ExitStatus ServerApplication::EndRun() {
    EngineServer* server = m_Library.GetServer();
    SettingsStore store(server);
    store.StoreAllSettings(m_Settings, m_GameOptions);
    std::string noCopy;
    if (m_Notes.m_ConfigurationProblems && !KeepOriginalConfiguration(noCopy)) {
        // Saving would lose the lines that could not be read, with nothing left to find them in.
        m_Library.UnloadServerLibrary();
        ShowErrorBox(m_Windows, "ERROR - Unable to save the configuration file \"" + m_Options.m_ConfigPath + "\".");
        m_Windows.ShowNote("Some of its lines could not be read and no copy of it could be kept (" + noCopy +
                           "), so it is left as it was.");
        return ExitStatus::SaveFailed;
    }
    const bool saved = store.SaveSettingsFile(m_Options.m_ConfigPath);
    const std::string cause = saved ? std::string() : LastEngineError(server);
    m_Library.UnloadServerLibrary();
    if (!saved) {
        ShowErrorBox(m_Windows, "ERROR - Unable to save the configuration file \"" + m_Options.m_ConfigPath + "\".");
        if (!cause.empty()) {
            m_Windows.ShowNote(cause);
        }
        return ExitStatus::SaveFailed;
    }
    return ExitStatus::Success;
}

bool ServerApplication::KeepOriginalConfiguration(std::string& failure) {
    std::filesystem::path original = m_Options.m_ConfigPath;
    std::error_code error;
    // A link's copy goes beside its target, the file that the save rewrites.
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(original, error))) {
        std::filesystem::path target = std::filesystem::canonical(original, error);
        if (error) {
            failure = "the link " + original.string() + " leads nowhere: " + error.message();
            return false;
        }
        original = std::move(target);
    }
    // Never over an earlier copy: <file>.orig, then <file>.orig.1, .orig.2...
    constexpr int MAX_COPIES = 1000;
    failure = "every name for a copy, up to " + original.string() + std::string(ORIGINAL_SUFFIX) + "." +
              std::to_string(MAX_COPIES - 1) + ", is taken";
    for (int number = 0; number < MAX_COPIES; ++number) {
        std::filesystem::path copy = original;
        copy +=
            number == 0 ? std::string(ORIGINAL_SUFFIX) : std::string(ORIGINAL_SUFFIX) + "." + std::to_string(number);
        if (std::filesystem::exists(std::filesystem::symlink_status(copy, error))) {
            continue;
        }
        if (!std::filesystem::copy_file(original, copy, std::filesystem::copy_options::none, error)) {
            failure = "as " + copy.string() + ": " + error.message();
            return false;
        }
        m_Windows.ShowNote("Some lines of " + original.string() +
                           " could not be read and are not saved again; the file as it was is kept as " +
                           copy.string() + ".");
        return true;
    }
    return false;
}

} // namespace dravo
