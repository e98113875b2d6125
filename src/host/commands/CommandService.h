// CommandService: the one way a console line reaches the game, whatever console it comes from.
//
// Contract. Every console goes through it: the console window's input and buttons, the headless face's
// standard input, the remote console, the fleet client, a test. Run takes a line on the window thread, where
// the hosting rules have the operator's commands run, and returns the lines that this one command logged
// there while it ran (a LogCapture), the line itself first: "/name" runs an action (the window's own, such
// as /clear, while the window has bound them), "//text" sends "/text" to the engine, a setting of the
// hosting records ("MaxPlayers 8") is checked by the rules of the setup pages and kept for the save, and
// anything else is the engine's. Submit hands a line over from any thread, never waiting: it runs on the
// window thread while the console window is open, and its `done` runs there after it; once the window has
// closed, `done` hears ConsoleGone instead, on whichever thread learns it. Nothing here takes UpdateLock for
// longer than OPERATOR_LOCK_WAIT. Start-up owns the service; it outlives the console window and every
// service that submits to it.
#pragma once

#include "engine/HostingRecords.h"
#include "host/commands/CommandOrigin.h"
#include "host/commands/CountdownTimer.h"
#include "host/commands/ShutdownCountdown.h"
#include "host/session/ServerSession.h"
#include "settings/ServerSettings.h"
#include "settings/SettingsTable.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

// An action of the console window that the service runs by name ("/clear").
struct WindowAction {
    std::string_view m_Name;                              // without its "/"
    bool m_AnyOrigin = false;                             // other consoles may use it too (/shutdown)
    std::function<void(std::string_view argument)> m_Run; // window thread
};

// What the console window lends the service while it is open.
struct ConsoleBinding {
    // Queues work for the window thread; `gone` runs instead when the window has closed by then. False
    // when it could not be queued (the window is gone: `gone` has run).
    std::function<bool(std::function<void()> work, std::function<void()> gone)> m_Post;
    std::vector<WindowAction> m_Actions;
};

// The records the settings typed at a console are kept in; owned by start-up, saved at the end.
struct CommandRecords {
    ServerSettings& m_Settings;
    GameOptions& m_GameOptions;
    HostInfo& m_HostInfo;
};

class CommandService {
public:
    // A line holds at most as many characters as the console window's input takes.
    static constexpr size_t MAX_LINE_CHARS = 119;
    // The most bytes of lines one command's result holds unless told otherwise.
    static constexpr size_t DEFAULT_RESULT_BYTES = 65536;
    static constexpr char ACTION_PREFIX = '/';

    CommandService(ServerSession& session, CommandRecords records);
    CommandService(const CommandService&) = delete;
    CommandService& operator=(const CommandService&) = delete;

    // Window thread: runs one line now.
    CommandResult Run(std::string_view line, const CommandOrigin& origin, size_t resultBytes = DEFAULT_RESULT_BYTES);
    // Any thread: runs the line on the window thread while the console window is open.
    bool Submit(std::string line, CommandOrigin origin, size_t resultBytes, std::function<void(CommandResult)> done);

    // Window thread: the console window opens and lends its queue and actions, and closes.
    void BindConsole(ConsoleBinding binding);
    void UnbindConsole();

    // "/boot", "/clear"...: the actions this origin may run, for completion and help.
    std::vector<std::string> ActionNames(const CommandOrigin& origin) const;
    // "ban", "say"...: the operator's commands, which every console may use, for completion and help.
    static std::vector<std::string> OperatorCommandNames();
    // A stop signal: a warned stop of `seconds` when players are in the game and it is more than 0, else
    // the window's shutdown at once. Any thread; false when the console window is not open.
    bool StopBySignal(uint32_t seconds);

private:
    // Each returns false when it does not know the action (or this origin may not use it).
    bool RunAction(std::string_view action, const CommandOrigin& origin);
    void ConfirmEngineSetting(std::string_view command);
    bool RunSessionAction(std::string_view verb, std::string_view argument);
    const WindowAction* FindWindowAction(std::string_view verb, const CommandOrigin& origin) const;
    void LogPlayers();
    void LogStatus();
    void BootByName(std::string_view name);
    // A setting of the hosting records given a value: checked, kept and applied; nothing for other lines.
    std::optional<CommandOutcome> RunSetting(std::string_view command);
    CommandOutcome KeepGameOption(const SettingRow& row, std::string_view value);
    CommandOutcome KeepServerSetting(const SettingRow& row, std::string_view value);

    // The operator's commands; false for a line that is none of them.
    bool RunOperatorCommand(std::string_view line, const CommandOrigin& origin);
    void Help(std::string_view line);
    void LogUsage(std::string_view command, std::string_view problem);
    void LogNoSinglePlayer(const std::string& target, const std::vector<RosterPlayer>& found, const char* what);
    void Kick(std::string_view line, const CommandOrigin& origin);
    void Ban(std::string_view line, const CommandOrigin& origin);
    void Unban(std::string_view line, const CommandOrigin& origin);
    void ListBans();
    void ReloadBans();
    void Say(std::string_view line, const CommandOrigin& origin);
    void ListLevels();
    void GoToLevel(std::string_view line, const CommandOrigin& origin);
    void Shutdown(std::string_view line, const CommandOrigin& origin);
    void Cancel(const CommandOrigin& origin);
    // The warned stop: told at its marks, and the stop at its end; window thread.
    void StartCountdown(uint32_t seconds, std::string reason);
    void AdvanceCountdown();
    void StopNow(const char* why);
    // Queues work for the window thread while the window is open; false when it is not.
    bool Post(std::function<void()> work);

    ServerSession& m_Session;
    CommandRecords m_Records;
    mutable std::mutex m_BindingMutex;
    ConsoleBinding m_Binding;      // guarded by m_BindingMutex (m_Post); m_Actions read on the window thread
    ShutdownCountdown m_Countdown; // window thread
    bool m_StopSignalled = false;  // window thread
    CountdownTimer m_Timer;        // last: its thread ends before the rest goes
};

} // namespace dravo
