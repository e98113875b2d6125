// The setup wizard: its start, the "-go" path and the run of the pages.
#include "ui/SetupWizard.h"

#include "platform/os/Text.h"
#include "res/NetGameLevelsTemplate.h"
#include "res/NetGameTemplate.h"
#include "res/NetOptionsTemplate.h"
#include "res/NetRezFilesTemplate.h"
#include "res/NetServicesTemplate.h"
#include "res/StringTable.h"
#include "settings/GameOptionCommands.h"
#include "settings/SettingsStore.h"
#include "ui/ErrorBox.h"
#include "ui/pages/CustomRezFiles.h"
#include "ui/pages/GameOptionsPage.h"
#include "ui/pages/NetGameLevelsPage.h"
#include "ui/pages/NetGamePage.h"
#include "ui/pages/NetRezFilesPage.h"
#include "ui/pages/NetServicesPage.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace dravo {
namespace {

// Said after the missing archives when "Custom" offers none to choose instead.
constexpr std::string_view NO_ARCHIVE_TO_CHOOSE =
    "The game goes on without them: \"Custom\" holds no rez file to choose instead.";

// The display name the skip path gives a service: its lower-cased name, or a word it contains.
std::string SavedServiceDisplayName(std::string_view serviceName) {
    std::string lower(serviceName);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    const std::pair<const char*, const char*> names[] = {
        {"ipx", "Ipx"}, {"tcp", "Tcp/ip"}, {"modem", "Modem"}, {"serial", "Serial Cable"}};
    for (const auto& [word, display] : names) {
        if (lower.find(word) != std::string::npos) {
            return display;
        }
    }
    return lower;
}

// Finds the service with this name (ignoring case) and selects it in the engine.
bool UseSavedService(EngineServer& server, std::string_view serviceName) {
    ServiceRecord* services = nullptr;
    if (server.ListServices(&services) != ENGINE_TRUE || services == nullptr) {
        return false;
    }
    uint32_t serviceId = 0;
    for (const ServiceRecord* entry = services; entry != nullptr; entry = entry->m_Next) {
        if (EqualNoCase(BoundedText(entry->m_Name, sizeof entry->m_Name), serviceName)) {
            serviceId = entry->m_Id;
            break;
        }
    }
    server.ReleaseServices(services);
    return serviceId != 0 && server.UseService(serviceId) == ENGINE_TRUE;
}

// The entry the engine's reason names: the one whose file name stands in it after a path separator, a
// blank or a quote (so that "a.rez" is not taken for "mega.rez"); empty when it names none.
std::string EntryNamedIn(const TextList& entries, std::string_view reason) {
    const std::string text = ToLower(reason);
    for (const std::string& entry : entries) {
        const size_t cut = entry.find_last_of("\\/");
        const std::string name = ToLower(cut == std::string::npos ? entry : entry.substr(cut + 1));
        for (size_t at = name.empty() ? std::string::npos : text.find(name); at != std::string::npos;
             at = text.find(name, at + 1)) {
            if (at == 0 || std::string_view("/\\ \"").find(text[at - 1]) != std::string_view::npos) {
                return entry;
            }
        }
    }
    return {};
}

} // namespace

bool SetupWizard::RunSetupWizard(HostInfo* hostInfo, GameOptions* gameOptions, GameInfo* gameInfo, bool skipWizard,
                                 const std::string& configPath) {
    if (hostInfo == nullptr || gameOptions == nullptr || gameInfo == nullptr) {
        return false;
    }
    m_HostInfo = hostInfo;
    m_GameOptions = gameOptions;
    m_GameInfo = gameInfo;
    *m_HostInfo = HostInfo{};
    *m_GameOptions = GameOptions{};
    *m_GameInfo = GameInfo{};
    SetGameOptionsStartValues(*m_GameOptions);

    EngineServer* server = m_Context.m_Server;
    if (server == nullptr) {
        return false;
    }
    if (!LoadConfiguration(*server, configPath)) {
        return false; // saving at the end would write over a file that was never read
    }
    SettingsStore store(server);
    for (const SettingOverride& setting : m_Overrides) {
        (void)store.StoreSetting(setting.m_Key, setting.m_Value); // the command line checked that it fits
    }
    if (server->StartNetworking(0, 0) != ENGINE_TRUE) {
        m_WizardError = STR_UNABLE_TO_INIT_NETWORKING;
        ShowWizardError();
        return false;
    }
    store.ReadAllSettings(m_Context.m_Settings, *m_GameOptions);
    m_Context.m_LevelList = ReadList(store, NUM_LEVELS_KEY, LEVEL_KEY_PREFIX, LEVEL_NAME_MAX_CHARS, MAX_LEVELS);
    m_Context.m_RezFileList =
        ReadList(store, NUM_REZ_FILES_KEY, REZ_FILE_KEY_PREFIX, REZ_FILE_NAME_MAX_CHARS, MAX_EXTRA_RESOURCE_NAMES);

    if (skipWizard && ApplySavedSettings()) {
        return true;
    }
    return RunPages();
}

bool SetupWizard::LoadConfiguration(EngineServer& server, const std::string& path) {
    // What the engine says while it reads are the lines it skipped; the session's handler comes later.
    EngineLineCollector collector;
    (void)server.AttachHandler(&collector);
    const bool read = server.ReadVariablesFile(path.c_str()) == ENGINE_STATUS_OK;
    (void)server.AttachHandler(nullptr);
    if (!read && !ConfigurationIsMissing(path)) {
        // A directory, a FIFO, a file too large or one this user may not read: the engine says which.
        std::string text = "ERROR - Unable to read the configuration file \"" + path + "\".";
        char reason[1024] = {};
        if (server.LastErrorText(reason, sizeof reason - 1) == ENGINE_STATUS_OK && reason[0] != '\0') {
            text += "\n\n";
            text += BoundedText(reason, sizeof reason);
        }
        ShowErrorBox(m_Context.m_Windows, text);
        return false;
    }
    for (std::string& line : collector.m_Lines) {
        m_Context.m_Notes.m_ConfigurationProblems = true;
        m_Context.m_Notes.Add(m_Context.m_Windows, std::move(line));
    }
    return true;
}

bool SetupWizard::ConfigurationIsMissing(const std::string& path) {
    // A link that leads nowhere is missing too: the save creates the file it names.
    std::error_code error;
    return std::filesystem::status(path, error).type() == std::filesystem::file_type::not_found;
}

TextList SetupWizard::ReadList(SettingsStore& store, std::string_view countKey, std::string_view entryPrefix,
                               size_t maxChars, size_t maxEntries) {
    TextListRead read = store.ReadTextList(countKey, entryPrefix, maxChars, maxEntries);
    if (read.m_Cut) {
        m_Context.m_Notes.Add(m_Context.m_Windows, std::string(countKey) + " is " + std::to_string(read.m_Count) +
                                                       "; only the first " + std::to_string(maxEntries) +
                                                       " entries were read, as many as the game takes.");
        // Stored back as read, so that the next save holds the capped count and the next start says nothing.
        store.WriteTextList(countKey, entryPrefix, read.m_Entries);
    }
    return std::move(read.m_Entries);
}

bool SetupWizard::ApplySavedSettings() {
    const ServerSettings& settings = m_Context.m_Settings;
    const std::string_view serviceName = BoundedText(settings.m_ServiceName, sizeof settings.m_ServiceName);
    EngineServer* server = m_Context.m_Server;
    if (server == nullptr || m_HostInfo == nullptr || serviceName.empty() || m_Context.m_LevelList.empty()) {
        return false;
    }
    if (!UseSavedService(*server, serviceName)) {
        return false;
    }
    CopyCut(m_HostInfo->m_ServiceName, SavedServiceDisplayName(serviceName.substr(0, HOST_TEXT_SIZE - 1)));
    m_HostInfo->m_UpdateInfo = settings.m_UpdateInfo;
    m_HostInfo->m_WebRegistration = settings.m_ServerReg;
    m_HostInfo->m_GameSpy = settings.m_UseGameSpy;
    CopyCut(m_HostInfo->m_ServerName, BoundedText(settings.m_ServerName, sizeof settings.m_ServerName));
    m_HostInfo->m_MaxPlayers = settings.m_MaxPlayers;

    m_GameInfo->m_GameType = 1;
    m_GameInfo->m_EndType = static_cast<uint8_t>(settings.m_EndType & 0xFF);
    m_GameInfo->m_EndTime = settings.m_EndTime;
    m_GameInfo->m_EndFrags = settings.m_EndFrags;

    // Without pages there is nobody to choose again: an archive that is gone is named in the notes (and so in
    // the console log), and the game goes on without it, as the engine passes over it.
    std::error_code error;
    for (const std::string& entry : MissingRezFiles(std::filesystem::current_path(error), m_Context.m_RezFileList)) {
        m_Context.m_Notes.Add(m_Context.m_Windows, "No such rez file: " + entry +
                                                       "; the game goes on without it. Run the setup "
                                                       "pages (without -go) to choose the rez files again.");
    }
    if (!MountRezFiles()) {
        return false;
    }
    m_GameInfo->m_LevelCount = 0;
    for (auto& slot : m_GameInfo->m_LevelNames) {
        slot[0] = '\0';
    }
    for (const std::string& level : m_Context.m_LevelList) {
        if (m_GameInfo->m_LevelCount >= MAX_LEVELS) {
            break;
        }
        CopyCut(m_GameInfo->m_LevelNames[m_GameInfo->m_LevelCount], level);
        ++m_GameInfo->m_LevelCount;
    }
    return true;
}

// The five pages, made for one run of the wizard.
struct SetupWizard::Pages {
    std::filesystem::path m_GameDirectory;
    NetServicesPage m_Services;
    NetRezFilesPage m_RezFiles;
    NetGamePage m_Game;
    GameOptionsPage m_Options;
    NetGameLevelsPage m_Levels;
};

bool SetupWizard::RunPages() {
    WindowSystem& windows = m_Context.m_Windows;
    if (!windows.CanShowDialogs()) {
        ShowErrorBox(windows, SETUP_NEEDS_SCREEN_MESSAGE);
        return false;
    }
    EngineServer& server = *m_Context.m_Server;
    ServerSettings& settings = m_Context.m_Settings;
    std::error_code error;
    const std::filesystem::path gameDirectory = std::filesystem::current_path(error);
    Pages pages{gameDirectory,
                NetServicesPage(server, settings, *m_HostInfo, m_WizardError, m_TcpIpSelected),
                NetRezFilesPage(server, m_Context.m_RezFileList, gameDirectory),
                NetGamePage(settings, *m_HostInfo, *m_GameInfo, m_TcpIpSelected),
                GameOptionsPage(*m_GameOptions, true),
                NetGameLevelsPage(server, *m_GameInfo, m_Context.m_LevelList)};

    Step step = Step::Services;
    while (step != Step::Finished && step != Step::Cancelled && step != Step::Failed) {
        step = RunStep(step, pages);
    }
    if (step == Step::Cancelled) {
        return Cancel();
    }
    return step == Step::Finished ? FinishPages() : Fail();
}

SetupWizard::Step SetupWizard::RunStep(Step step, Pages& pages) {
    switch (step) {
    case Step::Services: // its Back button is disabled: anything but the end goes on
        return AfterPage(RunPage(NetServicesTemplate(), pages.m_Services), Step::RezFiles, Step::RezFiles);
    case Step::RezFiles:
        m_CustomRezCount = static_cast<int>(FindCustomRezFiles(pages.m_GameDirectory).size());
        if (m_CustomRezCount == 0) {
            return Step::Game; // no page without custom archives
        }
        return AfterPage(RunPage(NetRezFilesTemplate(), pages.m_RezFiles), Step::Services, Step::Game);
    case Step::Game:
        return AfterPage(RunPage(NetGameTemplate(), pages.m_Game),
                         m_CustomRezCount > 0 ? Step::RezFiles : Step::Services, Step::Options);
    case Step::Options: {
        const Step next = AfterPage(RunPage(NetOptionsTemplate(), pages.m_Options), Step::Game, Step::Levels);
        // The level page lists the levels of the loaded resources, the extra archives included. An
        // archive the engine refuses sends the operator back to the archive page, everything else kept.
        if (next != Step::Levels || LoadRezFilesOnce()) {
            return next;
        }
        if (m_CustomRezCount > 0 && m_MountRefused) {
            pages.m_RezFiles.MarkUnusable(std::exchange(m_UnusableRezEntry, {}));
            return Step::RezFiles;
        }
        return Step::Failed;
    }
    case Step::Levels:
        return AfterPage(RunPage(NetGameLevelsTemplate(), pages.m_Levels), Step::Options, Step::Finished);
    default:
        return step;
    }
}

SetupWizard::Step SetupWizard::AfterPage(int result, Step back, Step next) {
    switch (result) {
    case PAGE_CANCEL:
        return Step::Cancelled;
    case PAGE_ERROR:
        return Step::Failed;
    case PAGE_BACK:
        return back;
    default:
        return next;
    }
}

bool SetupWizard::Cancel() {
    m_Context.m_Windows.ShowNote(SETUP_CANCELLED_NOTE);
    return false; // nothing is kept: the run ends without saving
}

int SetupWizard::RunPage(const DialogTemplate& page, DialogProcedure& procedure) {
    const int result = m_Context.m_Windows.RunDialog(page, procedure);
    return result >= PAGE_NEXT && result <= PAGE_ERROR ? result : PAGE_ERROR;
}

bool SetupWizard::MountRezFiles() {
    std::string error;
    MountOutcome outcome = MountOutcome::NoServer;
    {
        WaitCursor busy(m_Context.m_Windows);
        outcome = m_Context.m_Resources.MountResourceFiles(m_Context.m_Server, m_Context.m_RezFileList, error);
    }
    if (outcome == MountOutcome::ListRejected) {
        ShowErrorBox(m_Context.m_Windows, error);
    } else if (outcome == MountOutcome::EngineRefused) {
        // The engine's reason names the archive: it goes into the box, on screen while the wizard runs.
        std::string text(StringTable::Find(STR_UNABLE_TO_LOAD_RESOURCES).value_or(""));
        char reason[256] = {};
        if (m_Context.m_Server->LastErrorText(reason, sizeof reason - 1) == ENGINE_STATUS_OK && reason[0] != '\0') {
            text += "\n\n";
            text += BoundedText(reason, sizeof reason);
            m_UnusableRezEntry = EntryNamedIn(m_Context.m_RezFileList, BoundedText(reason, sizeof reason));
        }
        ShowErrorBox(m_Context.m_Windows, text);
    }
    m_MountRefused = outcome == MountOutcome::EngineRefused;
    return outcome == MountOutcome::Mounted;
}

bool SetupWizard::LoadRezFilesOnce() {
    if (m_RezFilesLoaded) {
        return true;
    }
    // The engine passes over an archive that is not there; the operator hears of it and goes back to the
    // archive page, as for one the engine refuses. Without archives in "Custom" there is no page to go
    // back to: the game goes on without them, the stored list kept as it is.
    std::error_code error;
    if (const TextList missing = MissingRezFiles(std::filesystem::current_path(error), m_Context.m_RezFileList);
        !missing.empty()) {
        if (m_CustomRezCount > 0) {
            ShowErrorBox(m_Context.m_Windows, MissingRezFilesMessage(missing));
            m_UnusableRezEntry = missing.front();
            m_MountRefused = true;
            return false;
        }
        ShowErrorBox(m_Context.m_Windows, MissingRezFilesMessage(missing) + "\n\n" + std::string(NO_ARCHIVE_TO_CHOOSE));
    }
    if (!MountRezFiles()) {
        return false;
    }
    m_RezFilesLoaded = true;
    return true;
}

bool SetupWizard::FinishPages() {
    if (m_Context.m_Settings.m_DashGoInfo == 0) {
        ShowHelpMessage(m_Context.m_Windows, STR_DASH_GO_TIP, STR_SERVER_CAPTION);
    }
    SettingsStore(m_Context.m_Server).WriteTextList(NUM_LEVELS_KEY, LEVEL_KEY_PREFIX, m_Context.m_LevelList);
    return true;
}

bool SetupWizard::Fail() {
    ShowWizardError();
    return false;
}

void SetupWizard::ShowWizardError() {
    ShowStringError(m_Context.m_Windows, m_WizardError);
}

} // namespace dravo
