// LateLogView: where the hosted game's lines go while no console window shows them - before it opens and
// after it has closed, while the program ends: the face writes them where it writes its log, or keeps
// them for once the screen is given back. The rest of what the game shows has no place then.
#pragma once

#include "host/console/SessionView.h"
#include "window/WindowSystem.h"

namespace dravo {

class LateLogView final : public ISessionView {
public:
    explicit LateLogView(WindowSystem& windows) : m_Windows(windows) {}

    void AppendLogLine(std::string line) override { m_Windows.ShowLateLogLine(line); }
    void ShowNetService(std::string /*text*/) override {}
    void ShowServerName(std::string /*text*/) override {}
    void ShowCurrentLevel(std::string /*text*/) override {}
    void ShowNextLevel(std::string /*text*/) override {}
    void ShowPlayers(PlayerListSnapshot /*players*/) override {}
    void RequestClose() override {}
    void RequestStop() override {}
    void MemoryExhausted() override {}

private:
    WindowSystem& m_Windows;
};

} // namespace dravo
