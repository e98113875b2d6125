// SessionDisplay: what the hosted game shows, kept for every console, and handed on to the view that
// shows it now.
//
// Contract. The session reports to it from any thread, as to any ISessionView. It keeps the texts the
// console window's fields show (net service, current and next level), so that a console without a screen
// (the status command) reads them, and hands every call on to the attached view (the console window
// while it is open) or else to the fallback (lines that come while no window shows them). Attach runs
// on any thread and returns only once no call to the view it replaces is in flight; a view never waits
// for anything, so handing a call on under the lock is safe.
#pragma once

#include "host/console/SessionView.h"

#include <mutex>
#include <string>

namespace dravo {

struct DisplayedTexts {
    std::string m_NetService;
    std::string m_CurrentLevel;
    std::string m_NextLevel;
};

class SessionDisplay final : public ISessionView {
public:
    explicit SessionDisplay(ISessionView& fallback) : m_Fallback(fallback) {}

    // Null goes back to the fallback.
    void Attach(ISessionView* view);
    DisplayedTexts Shown() const;

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

private:
    ISessionView& Target() { return m_View != nullptr ? *m_View : m_Fallback; }

    ISessionView& m_Fallback;
    mutable std::mutex m_Mutex;
    ISessionView* m_View = nullptr; // guarded by m_Mutex, as the texts
    DisplayedTexts m_Texts;
};

} // namespace dravo
