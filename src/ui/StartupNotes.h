// StartupNotes: what start-up found in the files it read and left out, for the operator to see.
//
// Window thread. Each note is shown at once outside the dialogs (standard error in the headless face),
// and kept for the console log, which shows them when it opens.
#pragma once

#include "engine/AppHandler.h"
#include "window/WindowSystem.h"

#include <string>
#include <vector>

namespace dravo {

struct StartupNotes {
    std::vector<std::string> m_Lines;
    bool m_ConfigurationProblems = false; // lines of the configuration file that could not be read

    void Add(WindowSystem& windows, std::string line) {
        windows.ShowNote(line);
        m_Lines.push_back(std::move(line));
    }
};

// Takes the engine's console lines while it is attached (before the session's handler is): what the
// engine says while it loads the configuration file is about lines it skipped.
class EngineLineCollector final : public AppHandler {
public:
    int32_t OnGameText(const char* /*text*/) override { return 0; }
    int32_t OnConsoleLine(const char* text) override {
        if (text != nullptr) {
            m_Lines.emplace_back(text);
        }
        return 0;
    }
    int32_t OnMemoryExhausted() override { return 0; }
    int32_t OnForeignDatagram(const void*, uint32_t, const uint8_t[4], uint16_t) override { return 0; }

    std::vector<std::string> m_Lines;
};

} // namespace dravo
