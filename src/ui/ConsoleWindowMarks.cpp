// The console window's log view and Levels list: lines with their capture times, the marker before a
// command's echo, and the mark on the level now played.
#include "ui/ConsoleWindow.h"

namespace dravo {

using Control = ConsoleControl;

void ConsoleWindow::AppendLogLine(std::string line) {
    PostLogLine(std::move(line), false);
}

void ConsoleWindow::AppendCommandLine(std::string line) {
    PostLogLine(std::move(line), true);
}

void ConsoleWindow::PostLogLine(std::string line, bool command) {
    // The time is read as the line is captured, on the thread that logs it, not when the window draws it.
    std::string clock = ClockText(std::chrono::system_clock::to_time_t(m_Now()));
    // A line that comes when the window is gone (while the program ends) is still shown.
    auto late = [windows = &m_Windows, line] { windows->ShowLateLogLine(line); };
    m_Poster.Post([this, line = std::move(line), command, clock = std::move(clock)](
                      DialogApi& dialog) mutable { AppendLog(dialog, line, command, std::move(clock)); },
                  std::move(late));
}

void ConsoleWindow::AppendLog(DialogApi& dialog, const std::string& line, bool command, std::string clock) {
    const std::string shown = m_MarksShown ? m_LogLines.Add(line, command, std::move(clock)) : line;
    const int lines = dialog.EditLineCount(Control::ConsoleLog);
    if (lines > MAX_LOG_LINES) {
        // Keep the newest quarter in one replacement.
        const int keepFrom = dialog.EditLineIndex(Control::ConsoleLog, lines * 75 / 100);
        if (keepFrom > 0) {
            dialog.EditReplaceRange(Control::ConsoleLog, 0, keepFrom, "");
        }
    }
    dialog.EditAppend(Control::ConsoleLog, shown + "\r\n");
}

void ConsoleWindow::ToggleTimes(DialogApi& dialog) {
    if (!m_MarksShown) {
        m_Session.LogText("Times are shown in the console window only; the log file has its own.");
        return;
    }
    m_LogLines.ShowTimes(!m_LogLines.ShowsTimes());
    // The kept lines again, each with the time it was captured; the newest stays in view.
    dialog.SetItemText(Control::ConsoleLog, "");
    const std::string text = m_LogLines.Text();
    if (!text.empty()) {
        dialog.EditAppend(Control::ConsoleLog, text);
    }
    m_Session.LogText(m_LogLines.ShowsTimes() ? "Times before log lines: on (/timestamps turns them off)."
                                              : "Times before log lines: off (/timestamps turns them on).");
}

void ConsoleWindow::ClearLog(DialogApi& dialog) {
    m_LogLines.Clear();
    dialog.SetItemText(Control::ConsoleLog, "");
}

void ConsoleWindow::FillLevels(DialogApi& dialog, std::string_view played) {
    (void)m_LevelMarks.SetPlayed(played);
    dialog.ListClear(Control::LevelList);
    for (size_t index = 0; index < m_LevelMarks.Count(); ++index) {
        dialog.ListAdd(Control::LevelList, m_LevelMarks.Text(index));
    }
}

void ConsoleWindow::MarkPlayedLevel(DialogApi& dialog, std::string_view played) {
    const std::optional<size_t> before = m_LevelMarks.Played();
    const std::optional<size_t> now = m_LevelMarks.SetPlayed(played);
    if (before == now) {
        return;
    }
    // Only the entries whose mark changed are written again; the operator's selection stays where it is.
    const int selected = dialog.ListSelection(Control::LevelList);
    for (const std::optional<size_t> index : {before, now}) {
        if (index && static_cast<int>(*index) < dialog.ListCount(Control::LevelList)) {
            const int at = static_cast<int>(*index);
            (void)dialog.ListDelete(Control::LevelList, at);
            (void)dialog.ListInsert(Control::LevelList, at, m_LevelMarks.Text(*index));
        }
    }
    if (selected != NO_SELECTION) {
        (void)dialog.ListSetSelection(Control::LevelList, selected);
    }
}

} // namespace dravo
