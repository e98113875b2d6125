// ConsoleWindow: the program's main window while the game is hosted.
//
// Contract. Start-up runs it modally on the window thread (Run). Its first
// showing starts hosting; it owns the ServerSession and is the session's view:
// what the session reports from other threads arrives as posted work with a
// snapshot, which this procedure applies on the window thread. Operator
// commands call the engine without taking UpdateLock.
#pragma once

#include "host/console/ConsoleInput.h"
#include "host/session/ServerSession.h"
#include "platform/os/Clock.h"
#include "res/ConsoleWindowTemplate.h"
#include "ui/CommandHistory.h"
#include "window/DialogApi.h"
#include "window/DialogPoster.h"
#include "window/DialogProcedure.h"
#include "window/WindowSystem.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

constexpr size_t COMMAND_INPUT_CHARS = 119;
constexpr int MAX_LOG_LINES = 500;
constexpr uint32_t CLOCK_PERIOD_MS = 500;
constexpr int MAX_CLOCK_TIMER_ID = 29;
inline constexpr const char* SERVER_VERSION_TEXT = DRAVO_VERSION_TEXT;

// "%i:%02i:%02i" from milliseconds: 83 s show as 0:01:23.
std::string FormatRunningTime(uint32_t milliseconds);
// The Level Goal field for an end rule.
std::string FormatLevelGoal(const GameInfo& game);
// The player's name on a line of the player list, "(ping)\tname\tfrags": the text between its first
// and second tab (to its end without a second); empty without a tab.
std::string PlayerNameOnLine(std::string_view line);

class ConsoleWindow final : public DialogProcedure, public IConsoleInput, private ISessionView {
public:
    // The session's steps run on its own worker thread, or on `steps` (see ServerSession).
    ConsoleWindow(WindowSystem& windows, IClock& clock, EngineServer* server, SessionRecords records,
                  IStepDriver* steps = nullptr);

    // Runs the window until it closes; returns the dialog's result.
    int Run();
    ServerSession& Session() { return m_Session; }
    // Lines for the console log before anything else: what start-up left out of the files it read.
    void SetStartupNotes(std::vector<std::string> notes) { m_StartupNotes = std::move(notes); }
    // Called on the window thread once hosting has been tried (start-up is over), whatever came of it.
    void SetHostingStarted(std::function<void()> started) { m_HostingStarted = std::move(started); }
    // Where the command input's history is read at opening and written at closing; none by default.
    void SetHistoryFile(std::filesystem::path file) { m_HistoryFile = std::move(file); }
    // A line as the operator types it into the command input and enters: "/name" runs an action of the
    // window (the buttons and what the screen shows; /help lists them), "//text" sends the console
    // command "/text", anything else is a console command. The line is logged and kept in the history.
    // Window thread.
    void EnterLine(DialogApi& dialog, std::string_view line);
    // Presses a button from any thread, as the operator would; nothing once the window has closed. Only
    // after hosting has started (the window is initialised by then).
    bool PressButton(ConsoleControl button) const { return m_Poster.PostCommand(button); }
    // The engine ran out of memory during the run: the settings must not be saved.
    bool RanOutOfMemory() const { return m_MemoryExhausted; }

    void OnInit(DialogApi& dialog) override;
    void OnShow(DialogApi& dialog) override;
    void OnCommand(DialogApi& dialog, int id, Notification code) override;
    void OnTimer(DialogApi& dialog, int timerId) override;
    void OnCloseRequest(DialogApi& dialog, bool forced) override;
    bool OnActionLine(DialogApi& dialog, std::string_view action) override;
    std::optional<std::string> OnRecallLine(DialogApi& dialog, int id, int step, std::string_view current) override;
    std::optional<InputCompletion> OnCompleteLine(DialogApi& dialog, int id, std::string_view text) override;
    void OnDestroy(DialogApi& dialog) override;

    // IConsoleInput: a line from a service, run on the window thread as the command input would.
    bool SubmitLine(std::string line, ConsoleLineHooks hooks) override;

private:
    // ISessionView: any thread; each posts a snapshot to the window thread.
    void AppendLogLine(std::string line) override;
    void ShowNetService(std::string text) override;
    void ShowCurrentLevel(std::string text) override;
    void ShowNextLevel(std::string text) override;
    void ShowPlayers(PlayerListSnapshot players) override;
    void RequestClose() override;
    void RequestStop() override;
    void MemoryExhausted() override;

    void StartHosting();
    void Shutdown(DialogApi& dialog);
    void SendCommandLine(DialogApi& dialog);
    void RunConsoleCommand(std::string_view command);
    void OpenOptions();
    // The fields say that the game is not hosted, and why; the log says what to do.
    void ShowNotHosting(DialogApi& dialog, std::string_view why);
    // The words Tab may put in place of the last word of `text`.
    std::vector<std::string> CompletionWords(DialogApi& dialog, std::string_view text);
    void LoadHistory();
    void SaveHistory();
    ConsoleLineResult RunInputLine(DialogApi& dialog, const std::string& line);
    void BootSelected(DialogApi& dialog);
    void Tick(DialogApi& dialog);
    void ApplyPlayers(DialogApi& dialog, const PlayerListSnapshot& players);
    void LogStatus(DialogApi& dialog);
    static void AppendLog(DialogApi& dialog, const std::string& line);

    WindowSystem& m_Windows;
    IClock& m_Clock;
    EngineServer* m_Server;
    SessionRecords m_Records;
    std::function<void()> m_HostingStarted;
    std::vector<std::string> m_StartupNotes;
    std::filesystem::path m_HistoryFile;
    CommandHistory m_History;
    ServerSession m_Session;
    DialogPoster m_Poster;
    bool m_FirstShow = true;
    std::atomic<bool> m_MemoryExhausted{false};
    uint32_t m_ShownRunningSeconds = 0;
    uint32_t m_ShownLevelSeconds = 0;
};

} // namespace dravo
