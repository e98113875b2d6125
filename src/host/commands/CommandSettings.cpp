// Settings of the hosting records set at a console: checked by the rules of the setup pages and the options
// dialog, kept in the records that the end of the run saves, and applied as the dialog applies them.
#include "host/commands/CommandService.h"

#include "host/commands/CommandWords.h"
#include "host/console/ConsoleSecrets.h"
#include "platform/os/Text.h"
#include "settings/DecimalText.h"
#include "settings/GameOptionCommands.h"
#include "settings/ServiceVariables.h"
#include "settings/SettingRules.h"
#include "settings/SettingsStore.h"

#include <array>
#include <mutex>

namespace dravo {
namespace {

constexpr size_t MAX_SHOWN_VALUE_SIZE = 1024; // a longer value shows cut
constexpr std::string_view SERVER_NAME_KEY = "ServerName";
constexpr const char* RECORDS_BUSY =
    "ERROR - The game did not let go of its settings in time; nothing was changed. Try again.";

// The record's value as the store keeps it.
std::string StoredText(const SettingRow& row, SettingsTargets& targets) {
    const void* value = row.m_Locate(targets);
    switch (row.m_Kind) {
    case SettingKind::Int:
        return std::to_string(*static_cast<const int32_t*>(value));
    case SettingKind::Number:
        return FormatDecimalNumber(*static_cast<const float*>(value));
    case SettingKind::Text:
        return std::string(BoundedText(static_cast<const char*>(value), row.m_TextSize));
    }
    return {};
}

// A remote console password shorter than the remote console takes: it would lock every client out, and be
// saved for the next start, which would then leave the remote console off. An empty one turns it off.
bool ShortPassword(const CommandWords::Assignment& assigned) {
    const ServiceVariable& password = service_variable::RCON_PASSWORD;
    return EqualNoCase(assigned.m_Name, password.m_Name) && !assigned.m_Value.empty() &&
           assigned.m_Value.size() < static_cast<size_t>(password.m_Low);
}

} // namespace

std::optional<CommandOutcome> CommandService::RunSetting(std::string_view command) {
    const std::optional<CommandWords::Assignment> assigned = CommandWords::Assigned(command);
    if (!assigned || !assigned->m_HasValue) {
        return std::nullopt; // a line that only names a variable shows its value, as the engine does
    }
    if (ShortPassword(*assigned)) {
        m_Session.LogLine("RconPassword is shorter than %d characters; the remote console keeps its password. "
                          "Nothing was changed.",
                          static_cast<int>(service_variable::RCON_PASSWORD.m_Low));
        return CommandOutcome::Refused;
    }
    const SettingRow* row = FindSettingRow(assigned->m_Name);
    if (row == nullptr || !IsKeptSetting(*row)) {
        return std::nullopt; // the engine's own variables keep the engine's behaviour
    }
    if (const std::optional<std::string> refused = RefuseSetting(*row, assigned->m_Value)) {
        m_Session.LogLine("%s Nothing was changed.", refused->c_str());
        return CommandOutcome::Refused;
    }
    return row->IsGameOption() ? KeepGameOption(*row, assigned->m_Value) : KeepServerSetting(*row, assigned->m_Value);
}

// As the options dialog's OK: the record changes under UpdateLock, every option is sent to the game, and
// the options are stored under the dialog's keys.
CommandOutcome CommandService::KeepGameOption(const SettingRow& row, std::string_view value) {
    ServerSettings unused;
    GameOptions edited = m_Records.m_GameOptions;
    SettingsTargets targets{unused, edited};
    StoreSettingValue(row, value, targets);
    if (!m_Session.Lock().TryLockFor(OPERATOR_LOCK_WAIT)) {
        m_Session.LogText(RECORDS_BUSY);
        return CommandOutcome::Refused;
    }
    {
        std::scoped_lock lock(std::adopt_lock, m_Session.Lock());
        m_Records.m_GameOptions = edited;
    }
    EngineServer* server = m_Session.Server();
    if (server != nullptr && ApplyGameOptions(server, &edited)) {
        SettingsStore(server).StoreGameOptions(edited);
        m_Session.EndStrayLevelChange();
    }
    m_Session.LogLine("Game options applied: %s", JoinGameOptionCommands(edited).c_str());
    return CommandOutcome::Ran;
}

// A setting of the setup pages: kept for the save and in the engine's store; the server name is the one
// that takes effect at once (the status answers and the window show it), the others at the next start.
CommandOutcome CommandService::KeepServerSetting(const SettingRow& row, std::string_view value) {
    SettingsTargets targets{m_Records.m_Settings, m_Records.m_GameOptions};
    const bool serverName = EqualNoCase(row.m_Key, SERVER_NAME_KEY);
    if (!m_Session.Lock().TryLockFor(OPERATOR_LOCK_WAIT)) {
        m_Session.LogText(RECORDS_BUSY);
        return CommandOutcome::Refused;
    }
    {
        std::scoped_lock lock(std::adopt_lock, m_Session.Lock());
        StoreSettingValue(row, value, targets);
        if (serverName) {
            CopyCut(m_Records.m_HostInfo.m_ServerName,
                    BoundedText(m_Records.m_Settings.m_ServerName, sizeof m_Records.m_Settings.m_ServerName));
        }
    }
    const std::string kept = StoredText(row, targets);
    EngineServer* server = m_Session.Server();
    if (server != nullptr) {
        (void)SettingsStore(server).StoreSetting(row.m_Key, kept);
        m_Session.EndStrayLevelChange();
    }
    const std::string key(row.m_Key);
    if (serverName) {
        m_Session.ShowServerName(kept);
        m_Session.LogLine("%s is now \"%s\".", key.c_str(), kept.c_str());
    } else {
        m_Session.LogLine("%s is now \"%s\"; it takes effect when the server next starts.", key.c_str(), kept.c_str());
    }
    return CommandOutcome::Ran;
}

// A line that set one of the engine's variables, which the engine took without a word: the value it now
// holds, read back, so that the operator sees it took (a secret's value is not shown).
void CommandService::ConfirmEngineSetting(std::string_view command) {
    const std::optional<CommandWords::Assignment> assigned = CommandWords::Assigned(command);
    EngineServer* server = m_Session.Server();
    if (!assigned || !assigned->m_HasValue || server == nullptr) {
        return;
    }
    VariableHandle handle = nullptr;
    std::array<char, MAX_SHOWN_VALUE_SIZE> value{};
    if (server->FindVariable(assigned->m_Name.c_str(), &handle, nullptr) != ENGINE_STATUS_OK || handle == nullptr ||
        server->ReadVariableText(handle, value.data(), static_cast<uint32_t>(value.size())) != ENGINE_STATUS_OK) {
        return;
    }
    if (ConsoleSecrets::MaskCommand(command) != command) {
        m_Session.LogLine("%s is now set; its value is not shown.", assigned->m_Name.c_str());
        return;
    }
    const std::string shown(BoundedText(value.data(), value.size()));
    m_Session.LogLine("%s is now \"%s\".", assigned->m_Name.c_str(), shown.c_str());
}

} // namespace dravo
