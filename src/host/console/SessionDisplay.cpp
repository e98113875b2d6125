// Keeping what the game shows, and handing it on to the view of the moment.
#include "host/console/SessionDisplay.h"

#include <utility>

namespace dravo {

void SessionDisplay::Attach(ISessionView* view) {
    std::scoped_lock lock(m_Mutex);
    m_View = view;
}

DisplayedTexts SessionDisplay::Shown() const {
    std::scoped_lock lock(m_Mutex);
    return m_Texts;
}

void SessionDisplay::AppendLogLine(std::string line) {
    std::scoped_lock lock(m_Mutex);
    Target().AppendLogLine(std::move(line));
}

void SessionDisplay::AppendCommandLine(std::string line) {
    std::scoped_lock lock(m_Mutex);
    Target().AppendCommandLine(std::move(line));
}

void SessionDisplay::ShowNetService(std::string text) {
    std::scoped_lock lock(m_Mutex);
    m_Texts.m_NetService = text;
    Target().ShowNetService(std::move(text));
}

void SessionDisplay::ShowServerName(std::string text) {
    std::scoped_lock lock(m_Mutex);
    Target().ShowServerName(std::move(text));
}

void SessionDisplay::ShowCurrentLevel(std::string text) {
    std::scoped_lock lock(m_Mutex);
    m_Texts.m_CurrentLevel = text;
    Target().ShowCurrentLevel(std::move(text));
}

void SessionDisplay::ShowNextLevel(std::string text) {
    std::scoped_lock lock(m_Mutex);
    m_Texts.m_NextLevel = text;
    Target().ShowNextLevel(std::move(text));
}

void SessionDisplay::ShowPlayers(PlayerListSnapshot players) {
    std::scoped_lock lock(m_Mutex);
    Target().ShowPlayers(std::move(players));
}

void SessionDisplay::RequestClose() {
    std::scoped_lock lock(m_Mutex);
    Target().RequestClose();
}

void SessionDisplay::RequestStop() {
    std::scoped_lock lock(m_Mutex);
    Target().RequestStop();
}

void SessionDisplay::MemoryExhausted() {
    std::scoped_lock lock(m_Mutex);
    Target().MemoryExhausted();
}

} // namespace dravo
