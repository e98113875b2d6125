// WizardTest: the setup wizard over the real engine library in a temporary copy of the sample game,
// with the scripted face, and the operator's usual moves on its pages.
#pragma once

#include "engine/loader/ServerLibrary.h"
#include "res/NetGameLevelsTemplate.h"
#include "res/NetGameTemplate.h"
#include "res/NetOptionsTemplate.h"
#include "res/NetRezFilesTemplate.h"
#include "res/NetServicesTemplate.h"
#include "res/WizardFrame.h"
#include "settings/ResourceLocator.h"
#include "settings/SettingsStore.h"
#include "support/FakeDrives.h"
#include "support/ScriptedWindowSystem.h"
#include "support/ScriptedWindows.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"
#include "ui/SetupWizard.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dravo::test {

inline constexpr const char* TCP_IP_SERVICE = "TCP/IP Internet Service";
inline constexpr const char* IPX_SERVICE = "Unavailable: IPX Network Service";
inline constexpr const char* MODEM_SERVICE = "Unavailable: Modem Service";

// Copies the sample game without its saved configuration, so that a run is a first run.
inline void CopySampleGameForFirstRun(const std::filesystem::path& target) {
    std::filesystem::copy(DataDir(), target, std::filesystem::copy_options::recursive);
    std::filesystem::remove(target / "dravosrv.cfg");
}

// A setup wizard with everything it fills, over a face and an engine of the test's choosing.
struct WizardUnderTest {
    FakeDrives m_Drives;
    ResourceLocator m_Resources{m_Drives};
    ServerSettings m_Settings;
    TextList m_Levels;
    TextList m_RezFiles;
    StartupNotes m_Notes;
    HostInfo m_Host{};
    GameOptions m_Options{};
    GameInfo m_Info{};
    SetupWizard m_Wizard;

    WizardUnderTest(WindowSystem& windows, EngineServer* engine)
        : m_Wizard(WizardContext{windows, engine, m_Resources, m_Settings, m_Levels, m_RezFiles, m_Notes}) {}
    bool Run(bool go, const char* configFile) {
        return m_Wizard.RunSetupWizard(&m_Host, &m_Options, &m_Info, go, configFile);
    }
};

// The engine's stored text of a key, or nothing.
inline std::optional<std::string> StoredText(EngineServer& server, const std::string& key) {
    VariableHandle handle = nullptr;
    char text[512] = {};
    if (server.FindVariable(key.c_str(), &handle, nullptr) != ENGINE_STATUS_OK ||
        server.ReadVariableText(handle, text, sizeof text) != ENGINE_STATUS_OK) {
        return std::nullopt;
    }
    return std::string(text);
}

// The fixture over any face with the scripted face's test interface (the scripted face itself, or the
// Win32 face driven for real on Windows).
template <class Windows> class WizardTestOn : public ::testing::Test {
protected:
    TempDir m_Game;
    std::optional<CurrentDirectory> m_Current;
    Windows m_Windows;
    FakeDrives m_Drives;
    ResourceLocator m_Resources{m_Drives};
    ServerLibrary m_Library;
    ServerSettings m_Settings;
    TextList m_LevelList;
    TextList m_RezFileList;
    StartupNotes m_Notes;
    HostInfo m_Host{};
    GameOptions m_Options{};
    GameInfo m_Info{};
    std::unique_ptr<SetupWizard> m_Wizard;

    void SetUp() override {
        CopySampleGameForFirstRun(m_Game.Path());
        m_Current.emplace(m_Game.Path());
        ASSERT_TRUE(m_Library.LoadServerLibrary(ServerLibraryPath().string()));
        ASSERT_TRUE(m_Resources.LocateResources(0));
    }
    EngineServer& Engine() { return *m_Library.GetServer(); }

    bool Run(bool skipWizard = false, const std::string& config = "test.cfg") {
        m_Wizard = std::make_unique<SetupWizard>(WizardContext{m_Windows, m_Library.GetServer(), m_Resources,
                                                               m_Settings, m_LevelList, m_RezFileList, m_Notes});
        return m_Wizard->RunSetupWizard(&m_Host, &m_Options, &m_Info, skipWizard, config);
    }
    std::vector<std::string> PagesShown() const {
        std::vector<std::string> keys;
        for (const auto& dialog : m_Windows.Dialogs()) {
            keys.push_back(dialog.m_Key);
        }
        return keys;
    }

    // Page scripts, queued in the order the pages are expected.
    void ChooseService(const std::string& service = TCP_IP_SERVICE) {
        m_Windows.AddScript(NET_SERVICES_NAME, [service](ScriptedDialog& page) {
            EXPECT_TRUE(page.SelectText(NetServicesControl::ServiceList, service));
            EXPECT_TRUE(page.Click(WizardControl::Next));
        });
    }
    void PressNext(std::string_view page) {
        m_Windows.AddScript(page, [](ScriptedDialog& dialog) { EXPECT_TRUE(dialog.Click(WizardControl::Next)); });
    }
    void PressBack(std::string_view page) {
        m_Windows.AddScript(page, [](ScriptedDialog& dialog) { EXPECT_TRUE(dialog.Click(WizardControl::Back)); });
    }
    void PressCancel(std::string_view page) {
        m_Windows.AddScript(page, [](ScriptedDialog& dialog) { EXPECT_TRUE(dialog.Click(WizardControl::Cancel)); });
    }
    // Adds retail and custom levels by name, then presses Finish.
    void FinishWithLevels(std::vector<std::string> retail, std::vector<std::string> custom, bool save = false) {
        m_Windows.AddScript(NET_GAMELEVELS_NAME, [=](ScriptedDialog& page) {
            for (const std::string& level : retail) {
                EXPECT_TRUE(page.SelectText(NetGameLevelsControl::RetailLevels, level)) << level;
                EXPECT_TRUE(page.Click(NetGameLevelsControl::AddRetail));
            }
            for (const std::string& level : custom) {
                EXPECT_TRUE(page.SelectText(NetGameLevelsControl::CustomLevels, level)) << level;
                EXPECT_TRUE(page.Click(NetGameLevelsControl::AddCustom));
            }
            EXPECT_TRUE(page.SetChecked(NetGameLevelsControl::SaveLevels, save));
            EXPECT_TRUE(page.Click(WizardControl::Next));
        });
    }
    // Every page with Next, the rez page with nothing chosen, one retail level.
    void ScriptPlainRun() {
        ChooseService();
        PressNext(NET_REZFILES_NAME);
        PressNext(NET_GAME_NAME);
        PressNext(NET_OPTIONS_NAME);
        FinishWithLevels({"Frostline"}, {});
    }
};

using WizardTest = WizardTestOn<ScriptedWindows>;

} // namespace dravo::test
