// RecordingView: a session view that keeps what the session showed, from any thread.
#pragma once

#include "host/console/SessionView.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace dravo::test {

class RecordingView final : public ISessionView {
public:
    void AppendLogLine(std::string line) override {
        std::scoped_lock lock(m_Mutex);
        m_Log.push_back(std::move(line));
    }
    void ShowNetService(std::string text) override { Set(m_NetService, std::move(text)); }
    void ShowServerName(std::string text) override { Set(m_ServerName, std::move(text)); }
    void ShowCurrentLevel(std::string text) override { Set(m_CurrentLevel, std::move(text)); }
    void ShowNextLevel(std::string text) override { Set(m_NextLevel, std::move(text)); }
    void ShowPlayers(PlayerListSnapshot players) override {
        std::scoped_lock lock(m_Mutex);
        m_Players = std::move(players);
        ++m_PlayerUpdates;
    }
    void RequestClose() override { ++m_CloseRequests; }
    void RequestStop() override { ++m_StopRequests; }
    void MemoryExhausted() override { ++m_MemoryExhausted; }

    std::vector<std::string> Log() const {
        std::scoped_lock lock(m_Mutex);
        return m_Log;
    }
    bool Logged(const std::string& line) const {
        std::scoped_lock lock(m_Mutex);
        for (const std::string& entry : m_Log) {
            if (entry == line) {
                return true;
            }
        }
        return false;
    }
    PlayerListSnapshot Players() const {
        std::scoped_lock lock(m_Mutex);
        return m_Players;
    }
    std::string NetService() const { return Get(m_NetService); }
    std::string ServerName() const { return Get(m_ServerName); }
    std::string CurrentLevel() const { return Get(m_CurrentLevel); }
    std::string NextLevel() const { return Get(m_NextLevel); }

    std::atomic<int> m_CloseRequests{0};
    std::atomic<int> m_StopRequests{0};
    std::atomic<int> m_MemoryExhausted{0};
    int m_PlayerUpdates = 0;

private:
    void Set(std::string& field, std::string text) {
        std::scoped_lock lock(m_Mutex);
        field = std::move(text);
    }
    std::string Get(const std::string& field) const {
        std::scoped_lock lock(m_Mutex);
        return field;
    }

    mutable std::mutex m_Mutex;
    std::vector<std::string> m_Log;
    std::string m_NetService;
    std::string m_ServerName;
    std::string m_CurrentLevel;
    std::string m_NextLevel;
    PlayerListSnapshot m_Players;
};

} // namespace dravo::test
