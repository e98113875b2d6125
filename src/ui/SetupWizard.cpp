// The start of the setup wizard and its "-go" path.
#include "ui/SetupWizard.h"

#include "app/ErrorBox.h"
#include "app/SettingsStore.h"
#include "res/StringTable.h"
#include "ui/GameOptionCommands.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace dravo {
namespace {

std::string_view Bounded(const char* text, size_t size) {
    return {text, strnlen(text, size)};
}

template <size_t N> void CopyCut(char (&field)[N], std::string_view text) {
    const size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

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
        if (EqualNoCase(Bounded(entry->m_Name, sizeof entry->m_Name), serviceName)) {
            serviceId = entry->m_Id;
            break;
        }
    }
    server.ReleaseServices(services);
    return serviceId != 0 && server.UseService(serviceId) == ENGINE_TRUE;
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
    (void)server->ReadVariablesFile(configPath.c_str()); // a missing file leaves the start values
    if (server->StartNetworking(0, 0) != ENGINE_TRUE) {
        m_WizardError = STR_UNABLE_TO_INIT_NETWORKING;
        ShowWizardError();
        return false;
    }
    SettingsStore store(server);
    store.ReadAllSettings(m_Context.m_Settings, *m_GameOptions);
    m_Context.m_LevelList = store.ReadTextList(NUM_LEVELS_KEY, LEVEL_KEY_PREFIX, LEVEL_NAME_MAX_CHARS);
    m_Context.m_RezFileList = store.ReadTextList(NUM_REZ_FILES_KEY, REZ_FILE_KEY_PREFIX, REZ_FILE_NAME_MAX_CHARS);

    if (skipWizard && ApplySavedSettings()) {
        return true;
    }
    return RunPages();
}

bool SetupWizard::ApplySavedSettings() {
    const ServerSettings& settings = m_Context.m_Settings;
    const std::string_view serviceName = Bounded(settings.m_ServiceName, sizeof settings.m_ServiceName);
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
    CopyCut(m_HostInfo->m_ServerName, Bounded(settings.m_ServerName, sizeof settings.m_ServerName));
    m_HostInfo->m_MaxPlayers = settings.m_MaxPlayers;

    m_GameInfo->m_GameType = 1;
    m_GameInfo->m_EndType = static_cast<uint8_t>(settings.m_EndType & 0xFF);
    m_GameInfo->m_EndTime = settings.m_EndTime;
    m_GameInfo->m_EndFrags = settings.m_EndFrags;

    if (!m_Context.m_Resources.AddResourceFiles(server, m_Context.m_RezFileList)) {
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

bool SetupWizard::RunPages() {
    // The setup pages are not part of this program yet: without them only a saved setup can host.
    ShowErrorBox(m_Context.m_Windows, "ERROR - The setup pages are not available. Start with -go and a saved "
                                      "configuration (service and level rotation).");
    return false;
}

void SetupWizard::ShowWizardError() {
    ShowStringError(m_Context.m_Windows, m_WizardError);
}

} // namespace dravo
