// The console window: fields, clocks, operator commands and the way out.
#include "ui/ConsoleWindow.h"

#include "platform/os/Text.h"
#include "res/ConsoleWindowTemplate.h"
#include "res/StringTable.h"
#include "settings/GameOptionCommands.h"
#include "ui/ErrorBox.h"
#include "ui/OptionsDialog.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace dravo {
namespace {

using Control = ConsoleControl;

// Tab stops of the player list, in dialog units; a line has two tabs, so the first two count.
constexpr std::array<int, 10> PLAYER_TAB_STOPS = {30, 116, 181, 84, 86, 88, 90, 92, 94, 96};

constexpr std::string_view CLEAR_LOG_QUESTION =
    "Clear the console log? Its lines go from this window (a log file keeps its own copy).";
constexpr std::string_view NEXT_LEVEL_QUESTION = "Skip to the next level? The level being played ends for everyone.";

} // namespace

ConsoleWindow::ConsoleWindow(WindowSystem& windows, IClock& clock, ConsoleWindowParts parts)
    : m_Windows(windows), m_Clock(clock), m_Session(parts.m_Session), m_Commands(parts.m_Commands),
      m_Server(parts.m_Server), m_Records(parts.m_Records), m_MarksShown(windows.CanShowDialogs()) {}

int ConsoleWindow::Run() {
    return m_Windows.RunDialog(ConsoleWindowTemplate(), *this);
}

void ConsoleWindow::OnInit(DialogApi& dialog) {
    m_Poster = dialog.Poster();
    m_Session.AttachView(this);
    BindCommands(dialog);
    const HostInfo& host = m_Records.m_HostInfo;
    const GameInfo& game = m_Records.m_GameInfo;
    const size_t levels = std::min<size_t>(game.m_LevelCount, MAX_LEVELS);
    const std::string_view first = levels > 0 ? BoundedText(game.m_LevelNames[0], LEVEL_NAME_SIZE) : "";

    dialog.SetTitle(std::string("Dravo Server v") + SERVER_VERSION_TEXT);
    dialog.SetItemText(Control::ServerName, BoundedText(host.m_ServerName, sizeof host.m_ServerName));
    dialog.SetItemText(Control::RunningTime, "0:00");
    dialog.SetItemText(Control::NetService, BoundedText(host.m_ServiceName, sizeof host.m_ServiceName));
    dialog.SetItemText(Control::PlayerCount, "0");
    dialog.SetItemText(Control::CurrentLevel, first);
    dialog.SetItemText(Control::TimeInLevel, "0:00");
    m_Session.SetCurrentLevel(first);
    dialog.SetItemText(Control::NextLevelName, levels > 1 ? BoundedText(game.m_LevelNames[1], LEVEL_NAME_SIZE) : "");
    dialog.SetItemText(Control::LevelGoal, FormatLevelGoal(game));
    std::vector<std::string> rotation;
    for (size_t index = 0; index < levels; ++index) {
        rotation.emplace_back(BoundedText(game.m_LevelNames[index], LEVEL_NAME_SIZE));
    }
    m_LevelMarks = LevelMarks(std::move(rotation));
    FillLevels(dialog, first);
    dialog.SetIcon(128);
    // The command input takes no more than a command can hold, so what is typed is what is sent.
    dialog.LimitText(Control::CommandInput, static_cast<int>(COMMAND_INPUT_CHARS));
    for (int timerId = 0; timerId <= MAX_CLOCK_TIMER_ID; ++timerId) {
        if (dialog.SetTimer(timerId, CLOCK_PERIOD_MS)) {
            break; // if no id is accepted, the clocks stay still
        }
    }
    for (const std::string& note : m_StartupNotes) {
        m_Session.LogText(note);
    }
    LoadHistory();
    // The sinks' trouble (the log file's), said before now or later, joins the console log.
    m_Session.Log().ShowNotices(true);
}

void ConsoleWindow::OnShow(DialogApi& dialog) {
    if (m_FirstShow) {
        m_FirstShow = false; // hosting starts once per run
        dialog.PostCommand(Control::StartHosting);
    }
}

void ConsoleWindow::OnCommand(DialogApi& dialog, int id, Notification code) {
    switch (static_cast<Control>(id)) {
    case Control::StartHosting:
        StartHosting(dialog);
        break;
    case Control::Send:
        SendCommandLine(dialog);
        break;
    case Control::Clear:
        if (ConfirmLoss(m_Windows, CLEAR_LOG_QUESTION, APPLICATION_NAME)) {
            ClearLog(dialog);
        }
        break;
    case Control::NextLevelButton:
        // Asked first: the button's letter or a stray Enter must not end the level for everyone.
        if (ConfirmLoss(m_Windows, NEXT_LEVEL_QUESTION, APPLICATION_NAME)) {
            (void)m_Session.NextLevel();
        }
        break;
    case Control::Boot:
        BootSelected(dialog);
        break;
    case Control::PlayerList:
        if (code == Notification::SelectionChange) {
            dialog.EnableItem(Control::Boot, dialog.ListSelection(Control::PlayerList) != NO_SELECTION);
        }
        break;
    case Control::Options:
        OpenOptions();
        break;
    case Control::Shutdown:
        Shutdown(dialog);
        break;
    default:
        break;
    }
}

void ConsoleWindow::StartHosting(DialogApi& dialog) {
    dialog.ListSetTabStops(Control::PlayerList, PLAYER_TAB_STOPS);
    if (!m_Session.InitSession(m_Server)) {
        m_Session.MarkNotHosting("the engine gave no server object");
    } else {
        WaitCursor busy(m_Windows);
        if (!m_Session.StartHosting()) {
            m_Session.MarkNotHosting("hosting failed");
        }
    }
    if (m_HostingStarted) {
        m_HostingStarted();
    }
}

void ConsoleWindow::Shutdown(DialogApi& dialog) {
    if (!m_Session.ExitWithoutAsking()) {
        const auto question = StringTable::Find(STR_CONFIRM_EXIT).value_or("");
        const auto caption = StringTable::Find(STR_APPLICATION_NAME).value_or(APPLICATION_NAME);
        if (!ConfirmLoss(m_Windows, question, caption)) {
            return;
        }
    }
    m_Session.StopHosting();
    dialog.EndDialog(DIALOG_ID_CANCEL);
}

void ConsoleWindow::OnCloseRequest(DialogApi& dialog, bool forced) {
    if (forced) {
        m_Session.SetExitWithoutAsking(); // the process is being shut down
    }
    Shutdown(dialog);
}

void ConsoleWindow::SendCommandLine(DialogApi& dialog) {
    const std::string line = dialog.GetItemText(Control::CommandInput, COMMAND_INPUT_CHARS);
    if (line.empty()) {
        return;
    }
    dialog.SetItemText(Control::CommandInput, "");
    EnterLine(dialog, line);
}

void ConsoleWindow::OpenOptions() {
    const bool applied = OpenOptionsDialog(m_Windows, m_Server, &m_Records.m_GameOptions, &m_Session.Lock());
    m_Session.EndStrayLevelChange();
    if (!applied) {
        return; // cancelled, or the game held the record (said in a box)
    }
    m_Session.LogLine("Game options applied: %s", JoinGameOptionCommands(m_Records.m_GameOptions).c_str());
}

void ConsoleWindow::BootSelected(DialogApi& dialog) {
    const int selected = dialog.ListSelection(Control::PlayerList);
    const auto clientId = dialog.ListData(Control::PlayerList, selected);
    if (selected == NO_SELECTION || !clientId) {
        return;
    }
    // The name comes from the session's roster, not from the list's text.
    const std::vector<RosterPlayer> roster = m_Session.Facts().Roster();
    const auto player = std::ranges::find(roster, static_cast<uint32_t>(*clientId), &RosterPlayer::m_Id);
    if (player == roster.end()) {
        return; // gone since the list was drawn
    }
    if (ConfirmLoss(m_Windows, "Boot " + player->m_Name + " from the game?", APPLICATION_NAME)) {
        (void)m_Session.Boot(static_cast<uint32_t>(*clientId)); // the id read before asking: the list may change
    }
}

void ConsoleWindow::OnTimer(DialogApi& dialog, int /*timerId*/) {
    Tick(dialog);
}

void ConsoleWindow::Tick(DialogApi& dialog) {
    if (!m_Session.IsRunning()) {
        return;
    }
    const uint32_t now = m_Clock.NowMs();
    const uint32_t running = now - m_Session.SessionStartMs();
    if (running / 1000 != m_ShownRunningSeconds) {
        m_ShownRunningSeconds = running / 1000;
        dialog.SetItemText(Control::RunningTime, FormatRunningTime(running));
    }
    const uint32_t inLevel = now - m_Session.LevelStartMs();
    if (inLevel / 1000 != m_ShownLevelSeconds) {
        m_ShownLevelSeconds = inLevel / 1000;
        dialog.SetItemText(Control::TimeInLevel, FormatRunningTime(inLevel));
    }
}

void ConsoleWindow::OnDestroy(DialogApi& /*dialog*/) {
    SaveHistory();
    m_Commands.UnbindConsole();
    m_Session.Log().ShowNotices(false);
    m_Session.StopHosting();
    m_Session.AttachView(nullptr);
}

void ConsoleWindow::ApplyPlayers(DialogApi& dialog, const PlayerListSnapshot& players) {
    // The selection follows the player it was on, by the client id the line carries.
    const int selected = dialog.ListSelection(Control::PlayerList);
    const std::optional<int64_t> remembered =
        selected == NO_SELECTION ? std::nullopt : dialog.ListData(Control::PlayerList, selected);
    dialog.ListClear(Control::PlayerList);
    int reselect = NO_SELECTION;
    for (const auto& line : players.m_Lines) {
        const int index = dialog.ListAdd(Control::PlayerList, line.m_Text);
        dialog.ListSetData(Control::PlayerList, index, line.m_ClientId);
        if (remembered && static_cast<uint32_t>(*remembered) == line.m_ClientId) {
            reselect = index;
        }
    }
    if (reselect != NO_SELECTION) {
        dialog.ListSetSelection(Control::PlayerList, reselect);
    }
    dialog.EnableItem(Control::Boot, dialog.ListSelection(Control::PlayerList) != NO_SELECTION);
    dialog.SetItemText(Control::PlayerCount, std::to_string(players.m_PlayerCount));
}

void ConsoleWindow::ShowNetService(std::string text) {
    m_Poster.Post([text = std::move(text)](DialogApi& dialog) { dialog.SetItemText(Control::NetService, text); });
}

void ConsoleWindow::ShowServerName(std::string text) {
    m_Poster.Post([text = std::move(text)](DialogApi& dialog) { dialog.SetItemText(Control::ServerName, text); });
}

void ConsoleWindow::ShowCurrentLevel(std::string text) {
    m_Poster.Post([this, text = std::move(text)](DialogApi& dialog) {
        dialog.SetItemText(Control::CurrentLevel, text);
        MarkPlayedLevel(dialog, text);
    });
}

void ConsoleWindow::ShowNextLevel(std::string text) {
    m_Poster.Post([text = std::move(text)](DialogApi& dialog) { dialog.SetItemText(Control::NextLevelName, text); });
}

void ConsoleWindow::ShowPlayers(PlayerListSnapshot players) {
    m_Poster.Post([this, players = std::move(players)](DialogApi& dialog) { ApplyPlayers(dialog, players); });
}

void ConsoleWindow::RequestClose() {
    m_Poster.PostCloseRequest(false);
}

void ConsoleWindow::RequestStop() {
    m_Poster.Post([this](DialogApi& /*dialog*/) {
        m_Session.StopHosting();
        m_Session.MarkNotHosting("the game stopped");
    });
}

void ConsoleWindow::MemoryExhausted() {
    m_Poster.Post([this](DialogApi& dialog) {
        ShowStringError(m_Windows, STR_OUT_OF_MEMORY);
        m_Session.SetExitWithoutAsking();
        m_Session.SetStopSoon(); // a brief wait for the server lists: the process ends soon
        dialog.SendCommand(Control::Shutdown);
    });
}

} // namespace dravo
