// SetupWizard: collects the session before hosting, or reuses the saved one.
//
// Window thread, during start-up, before the session exists. It has the engine
// load the configuration file, starts networking, reads the settings and the
// level and rez lists, and fills HostInfo, GameOptions and GameInfo: from the
// saved settings when asked to skip the pages ("-go"), else through the pages.
#pragma once

#include "engine/EngineServer.h"
#include "engine/HostingRecords.h"
#include "settings/ResourceLocator.h"
#include "settings/ServerSettings.h"
#include "settings/SettingOverride.h"
#include "settings/SettingsStore.h"
#include "ui/StartupNotes.h"
#include "window/WindowSystem.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dravo {

// What the wizard reads and fills besides the three records; owned by start-up.
struct WizardContext {
    WindowSystem& m_Windows;
    EngineServer* m_Server;       // null when the engine gave none
    ResourceLocator& m_Resources; // hands the resource list to the engine
    ServerSettings& m_Settings;
    TextList& m_LevelList;
    TextList& m_RezFileList;
    StartupNotes& m_Notes; // what the files held that could not be used
};

// What a face that cannot show the pages says instead of them: on Windows they are a window's.
#ifdef _WIN32
inline constexpr std::string_view SETUP_NEEDS_SCREEN_MESSAGE =
    "ERROR - The setup pages need a window. Start dravoserv.exe without -face headless, or start it with -go and "
    "a saved configuration (network service and level rotation).";
#else
inline constexpr std::string_view SETUP_NEEDS_SCREEN_MESSAGE =
    "ERROR - The setup pages need a terminal. Run dravoserv in a terminal, or start it with -go and a saved "
    "configuration (network service and level rotation).";
#endif

// The one line a cancelled setup leaves once the pages are gone.
inline constexpr std::string_view SETUP_CANCELLED_NOTE =
    "The setup was cancelled: nothing was saved and the server did not start.";

class SetupWizard {
public:
    explicit SetupWizard(WizardContext context) : m_Context(context) {}

    // The command line's "+Key value" pairs: stored, in order, right after the configuration file is
    // loaded, so they reach the settings read next and every variable read later.
    void SetOverrides(std::vector<SettingOverride> overrides) { m_Overrides = std::move(overrides); }

    // True when the records are complete and hosting can start; false when the
    // operator cancelled or the wizard failed (after showing its message).
    [[nodiscard]] bool RunSetupWizard(HostInfo* hostInfo, GameOptions* gameOptions, GameInfo* gameInfo, bool skipWizard,
                                      const std::string& configPath);
    // Rebuilds the records from the saved settings; false (silently) when it cannot.
    [[nodiscard]] bool ApplySavedSettings();

    int WizardError() const { return m_WizardError; }
    // The service chosen on the network service page is TCP/IP (the game page then asks for a port).
    bool TcpIpSelected() const { return m_TcpIpSelected; }
    // The extra rez files have been handed to the engine during this run.
    bool RezFilesLoaded() const { return m_RezFilesLoaded; }
    // The custom rez files found at the most recent rez step.
    int CustomRezCount() const { return m_CustomRezCount; }

private:
    // Where the run of the pages stands: at a page, or at one of its three ends.
    enum class Step { Services, RezFiles, Game, Options, Levels, Finished, Cancelled, Failed };
    struct Pages;

    void ShowWizardError();
    bool Fail(); // shows the wizard error; false
    // The operator cancelled a page: false. The one place a cancel ends the wizard.
    bool Cancel();
    bool RunPages();
    // Runs the page of `step` and returns the step it leads to.
    Step RunStep(Step step, Pages& pages);
    // Back and Next lead to their steps; Cancel and a page error end the pages.
    static Step AfterPage(int result, Step back, Step next);
    // Runs one page; a dialog that could not run counts as a page error.
    int RunPage(const DialogTemplate& page, DialogProcedure& procedure);
    // Has the engine read the configuration file; its reports of skipped lines become notes. A file
    // that does not exist leaves the start values (a first run); one that exists and cannot be read is
    // said, with the engine's reason, and false ends the wizard.
    bool LoadConfiguration(EngineServer& server, const std::string& path);
    // True when nothing is at the path (a first run), false for anything there, readable or not.
    static bool ConfigurationIsMissing(const std::string& path);
    // A stored list, at most maxEntries long; a longer count is noted.
    TextList ReadList(SettingsStore& store, std::string_view countKey, std::string_view entryPrefix, size_t maxChars,
                      size_t maxEntries);
    // Mounts the resources with the extra rez files; says why when that fails.
    bool MountRezFiles();
    bool LoadRezFilesOnce();
    bool FinishPages();

    WizardContext m_Context;
    std::vector<SettingOverride> m_Overrides;
    HostInfo* m_HostInfo = nullptr;
    GameOptions* m_GameOptions = nullptr;
    GameInfo* m_GameInfo = nullptr;
    int m_WizardError = 1;
    bool m_TcpIpSelected = false;
    bool m_RezFilesLoaded = false;
    bool m_MountRefused = false;    // the last mount failed in the engine (a damaged archive)
    std::string m_UnusableRezEntry; // the archive that failed, for the archive page to select
    int m_CustomRezCount = 0;
};

} // namespace dravo
