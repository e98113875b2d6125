// SetupWizard: collects the session before hosting, or reuses the saved one.
//
// Window thread, during start-up, before the session exists. It has the engine
// load the configuration file, starts networking, reads the settings and the
// level and rez lists, and fills HostInfo, GameOptions and GameInfo: from the
// saved settings when asked to skip the pages ("-go"), else through the pages.
#pragma once

#include "app/ResourceLocator.h"
#include "app/ServerSettings.h"
#include "engine/EngineServer.h"
#include "platform/window/WindowSystem.h"
#include "ui/HostingRecords.h"

#include <string>

namespace dravo {

// What the wizard reads and fills besides the three records; owned by start-up.
struct WizardContext {
    WindowSystem& m_Windows;
    EngineServer* m_Server;       // null when the engine gave none
    ResourceLocator& m_Resources; // hands the resource list to the engine
    ServerSettings& m_Settings;
    TextList& m_LevelList;
    TextList& m_RezFileList;
};

class SetupWizard {
public:
    explicit SetupWizard(WizardContext context) : m_Context(context) {}

    // True when the records are complete and hosting can start; false when the
    // operator cancelled or the wizard failed (after showing its message).
    [[nodiscard]] bool RunSetupWizard(HostInfo* hostInfo, GameOptions* gameOptions, GameInfo* gameInfo, bool skipWizard,
                                      const std::string& configPath);
    // Rebuilds the records from the saved settings; false (silently) when it cannot.
    [[nodiscard]] bool ApplySavedSettings();

    int WizardError() const { return m_WizardError; }

private:
    void ShowWizardError();
    bool RunPages();

    WizardContext m_Context;
    HostInfo* m_HostInfo = nullptr;
    GameOptions* m_GameOptions = nullptr;
    GameInfo* m_GameInfo = nullptr;
    int m_WizardError = 1;
};

} // namespace dravo
