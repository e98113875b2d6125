// ConsoleWindow: the program's main window while the game is hosted, a view of the session and one more
// console.
//
// Contract. Start-up owns the session and the command service and runs this window modally on the window
// thread (Run). While it is open it is the session's view: what the session reports from other threads
// arrives as posted work with a snapshot, which this procedure applies on the window thread. Its first
// showing starts hosting. Every line entered in its command input goes to the command service, as the
// lines of every other console do; it lends the service its queue and its own actions (/clear, /options,
// /shutdown) while it is open. Operator commands call the engine without taking UpdateLock.
#pragma once

#include "host/commands/CommandService.h"
#include "host/session/ServerSession.h"
#include "platform/os/Clock.h"
#include "res/ConsoleWindowTemplate.h"
#include "ui/CommandHistory.h"
#include "ui/ConsoleMarks.h"
#include "window/DialogApi.h"
#include "window/DialogPoster.h"
#include "window/DialogProcedure.h"
#include "window/WindowSystem.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

constexpr size_t COMMAND_INPUT_CHARS = CommandService::MAX_LINE_CHARS;
constexpr int MAX_LOG_LINES = 500;
constexpr uint32_t CLOCK_PERIOD_MS = 500;
constexpr int MAX_CLOCK_TIMER_ID = 29;
inline constexpr const char* SERVER_VERSION_TEXT = DRAVO_VERSION_TEXT;

// What the window shows and works on; all owned by start-up, which outlives the window.
struct ConsoleWindowParts {
    ServerSession& m_Session;
    CommandService& m_Commands;
    EngineServer* m_Server; // hosting starts on it at the window's first showing
    SessionRecords m_Records;
};

class ConsoleWindow final : public DialogProcedure, private ISessionView {
public:
    ConsoleWindow(WindowSystem& windows, IClock& clock, ConsoleWindowParts parts);

    // Runs the window until it closes; returns the dialog's result.
    int Run();
    // Lines for the console log before anything else: what start-up left out of the files it read.
    void SetStartupNotes(std::vector<std::string> notes) { m_StartupNotes = std::move(notes); }
    // Called on the window thread once hosting has been tried (start-up is over), whatever came of it.
    void SetHostingStarted(std::function<void()> started) { m_HostingStarted = std::move(started); }
    // Where the command input's history is read at opening and written at closing; none by default.
    void SetHistoryFile(std::filesystem::path file) { m_HistoryFile = std::move(file); }
    // The wall clock the log view's times are read from; the system's by default.
    using TimeSource = std::function<std::chrono::system_clock::time_point()>;
    void SetTimeSource(TimeSource now) { m_Now = std::move(now); }
    // A line as the operator types it into the command input and enters: kept in the history (unless it
    // sets a secret) and run by the command service. Window thread.
    void EnterLine(DialogApi& dialog, std::string_view line);

    void OnInit(DialogApi& dialog) override;
    void OnShow(DialogApi& dialog) override;
    void OnCommand(DialogApi& dialog, int id, Notification code) override;
    void OnTimer(DialogApi& dialog, int timerId) override;
    void OnCloseRequest(DialogApi& dialog, bool forced) override;
    bool OnActionLine(DialogApi& dialog, std::string_view action) override;
    bool OnHelpAsked(DialogApi& dialog, const std::vector<std::string>& keys) override;
    std::optional<std::string> OnRecallLine(DialogApi& dialog, int id, int step, std::string_view current) override;
    std::optional<InputCompletion> OnCompleteLine(DialogApi& dialog, int id, std::string_view text) override;
    bool OnPasteLines(DialogApi& dialog, int id, const std::vector<std::string>& lines) override;
    std::vector<std::string> OnHistoryLines(DialogApi& dialog, int id) override;
    void OnDestroy(DialogApi& dialog) override;

private:
    // ISessionView: any thread; each posts a snapshot to the window thread.
    void AppendLogLine(std::string line) override;
    void AppendCommandLine(std::string line) override;
    void ShowNetService(std::string text) override;
    void ShowServerName(std::string text) override;
    void ShowCurrentLevel(std::string text) override;
    void ShowNextLevel(std::string text) override;
    void ShowPlayers(PlayerListSnapshot players) override;
    void RequestClose() override;
    void RequestStop() override;
    void MemoryExhausted() override;

    void StartHosting(DialogApi& dialog);
    void Shutdown(DialogApi& dialog);
    void SendCommandLine(DialogApi& dialog);
    void OpenOptions();
    // Lends the command service the window's queue and its own actions, for as long as it is open.
    void BindCommands(DialogApi& dialog);
    // The words Tab may put in place of the last word of `text`.
    std::vector<std::string> CompletionWords(std::string_view text);
    std::vector<std::string> CommandNames();
    std::vector<std::string> VariableNames();
    // Tab twice on an empty command input: every action, command and variable, listed in the log.
    void ListEverything();
    static std::string PasteQuestion(const std::vector<std::string>& lines, size_t tooLong);
    void LoadHistory();
    void SaveHistory();
    void BootSelected(DialogApi& dialog);
    void Tick(DialogApi& dialog);
    void ApplyPlayers(DialogApi& dialog, const PlayerListSnapshot& players);
    // A log line captured now, shown on the window thread with the time it was captured.
    void PostLogLine(std::string line, bool command);
    void AppendLog(DialogApi& dialog, const std::string& line, bool command, std::string clock);
    // Turns the times before the log view's lines on or off, and redraws its lines with them.
    void ToggleTimes(DialogApi& dialog);
    void ClearLog(DialogApi& dialog);
    // The Levels list, with the level the game now plays marked.
    void FillLevels(DialogApi& dialog, std::string_view played);
    void MarkPlayedLevel(DialogApi& dialog, std::string_view played);

    WindowSystem& m_Windows;
    IClock& m_Clock;
    ServerSession& m_Session;
    CommandService& m_Commands;
    EngineServer* m_Server;
    SessionRecords m_Records;
    std::function<void()> m_HostingStarted;
    std::vector<std::string> m_StartupNotes;
    std::filesystem::path m_HistoryFile;
    CommandHistory m_History;
    bool m_EmptyTabOnce = false; // the last Tab was one on an empty command input, and no line ran since
    DialogPoster m_Poster;
    bool m_FirstShow = true;
    uint32_t m_ShownRunningSeconds = 0;
    uint32_t m_ShownLevelSeconds = 0;
    TimeSource m_Now = std::chrono::system_clock::now;
    // Marks and times belong to a face the operator looks at; standard output keeps the log's own lines.
    bool m_MarksShown = false;
    ConsoleLogLines m_LogLines{MAX_LOG_LINES};
    LevelMarks m_LevelMarks{{}};
};

} // namespace dravo
