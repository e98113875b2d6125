// QueryAskers: the askers the query abuse benchmark keeps beside each flood: a browser that the server
// protected before (it asked twice, 2.5 s apart) asks "\status\" every 0.7 s, ten times, and a fresh
// address (a new one each time) every 50 ms, a hundred times; and what came back to them.
#pragma once

#include "support/QueryLoad.h"

#include <chrono>
#include <cstdint>
#include <set>
#include <string_view>

namespace dravo::bench {

constexpr std::string_view STATUS_QUERY = "\\status\\";
constexpr uint32_t BROWSER_INDEX = 9000000;
constexpr int BROWSER_ASKS = 10;
constexpr int FRESH_ASKS = 100;
constexpr auto FRESH_EVERY = std::chrono::milliseconds(50);
constexpr auto BROWSER_EVERY = std::chrono::milliseconds(700);

// The queries of the browser and the fresh addresses during a flood, and what came back to them.
class Askers {
public:
    Askers(uint16_t port, uint32_t freshFirst, test::QueryLoad::Clock::time_point start)
        : m_Port(port), m_FreshFirst(freshFirst), m_NextBrowser(start + std::chrono::seconds(1)),
          m_NextFresh(start + std::chrono::seconds(1)) {}
    void Ask(test::QueryLoad& load, test::QueryLoad::Clock::time_point now) {
        if (m_BrowserAsked < BROWSER_ASKS && now >= m_NextBrowser) {
            ++m_BrowserAsked;
            load.Send(m_Port, STATUS_QUERY, BROWSER_INDEX);
            m_NextBrowser += BROWSER_EVERY;
        }
        if (m_FreshAsked < FRESH_ASKS && now >= m_NextFresh) {
            load.Send(m_Port, STATUS_QUERY, m_FreshFirst + static_cast<uint32_t>(m_FreshAsked));
            ++m_FreshAsked;
            m_NextFresh += FRESH_EVERY;
        }
    }
    // An answer's last datagram counts once per query.
    void Take(uint32_t index, std::string_view datagram) {
        if (datagram.find("\\final\\") == std::string_view::npos) {
            m_WithPlayers = m_WithPlayers || datagram.find("\\player_0\\") != std::string_view::npos;
            return;
        }
        const bool players = m_WithPlayers || datagram.find("\\player_0\\") != std::string_view::npos;
        m_WithPlayers = false;
        if (index == BROWSER_INDEX) {
            if (m_Browser.insert(m_BrowserAsked).second && players) {
                ++m_BrowserPlayers;
            }
        } else if (index >= m_FreshFirst && index < m_FreshFirst + FRESH_ASKS) {
            m_Fresh.insert(index);
        }
    }
    int Browser() const { return static_cast<int>(m_Browser.size()); } // answers of ten
    int BrowserWithPlayers() const { return m_BrowserPlayers; }        // of them
    int Fresh() const { return static_cast<int>(m_Fresh.size()); }     // answers of a hundred

private:
    uint16_t m_Port;
    uint32_t m_FreshFirst;
    test::QueryLoad::Clock::time_point m_NextBrowser;
    int m_BrowserAsked = 0;
    std::set<int> m_Browser; // by query number
    int m_BrowserPlayers = 0;
    bool m_WithPlayers = false; // the answer being received has listed players so far
    test::QueryLoad::Clock::time_point m_NextFresh;
    int m_FreshAsked = 0;
    std::set<uint32_t> m_Fresh;
};

} // namespace dravo::bench
