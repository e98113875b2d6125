// ISessionView: what the hosted game shows on the console window.
//
// Contract. The session calls these from whichever thread it runs on (the
// worker thread during a frame, or the window thread). An implementation must
// never wait for the window thread: it hands a snapshot of what to show over
// and returns at once.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace dravo {

// The player list as it should now read, in display order.
struct PlayerListSnapshot {
    struct Line {
        std::string m_Text;  // "(ping)\tname\tfrags\tid <client id>"
        std::string m_Name;  // the player's name, to keep the operator's selection
        uint32_t m_ClientId; // the id Boot hands to the engine
    };
    std::vector<Line> m_Lines;
    int32_t m_PlayerCount = 0; // shown in the Players field
};

class ISessionView {
public:
    virtual ~ISessionView() = default;
    // One finished console log line, without its line break.
    virtual void AppendLogLine(std::string line) = 0;
    // The echo of a console command about to run, as the log shows it: a view may mark it apart from the
    // answers that follow.
    virtual void AppendCommandLine(std::string line) { AppendLogLine(std::move(line)); }
    virtual void ShowNetService(std::string text) = 0;
    // The server's name changed at a console while the game runs.
    virtual void ShowServerName(std::string text) = 0;
    virtual void ShowCurrentLevel(std::string text) = 0;
    virtual void ShowNextLevel(std::string text) = 0;
    virtual void ShowPlayers(PlayerListSnapshot players) = 0;
    // The empty-server countdown ran out: close without asking.
    virtual void RequestClose() = 0;
    // A frame failed and the worker stopped running frames: the window thread finishes the stop
    // (StopHosting); the window stays open so that the operator can read why.
    virtual void RequestStop() = 0;
    // The engine ran out of memory: tell the operator and shut down without saving.
    virtual void MemoryExhausted() = 0;
};

} // namespace dravo
