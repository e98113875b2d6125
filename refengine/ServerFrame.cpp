// Server: RunFrame, the one call that drives the game session, and the delivery of its events.
#include "Server.h"

#include "GameMessages.h"

#include <chrono>
#include <thread>
#include <utility>

namespace dravo::ref {

uint64_t Server::Now() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

void Server::Deliver(AppHandler* handler, const EngineEvents& events) {
    if (handler == nullptr) {
        return;
    }
    for (const EngineEvent& event : events) {
        switch (event.m_Kind) {
        case EngineEvent::Kind::GameText:
            handler->OnGameText(event.m_Text.c_str());
            break;
        case EngineEvent::Kind::ConsoleLine:
            handler->OnConsoleLine(event.m_Text.c_str());
            break;
        case EngineEvent::Kind::ForeignDatagram: {
            const uint32_t address = event.m_From.m_Address;
            const uint8_t bytes[4] = {static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16),
                                      static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
            handler->OnForeignDatagram(event.m_Text.data(), static_cast<uint32_t>(event.m_Text.size()), bytes,
                                       event.m_From.m_Port);
            break;
        }
        }
    }
}

int32_t Server::RunFrame(uint32_t /*flags*/) {
    return Guarded(BOOL_FALSE, [&] {
        // A stall asked for by "stallframe" holds up this frame, not the engine: commands still run.
        if (const uint32_t stall = m_StallNextFrameMs.exchange(0); stall > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(stall));
        }
        EngineEvents events;
        AppHandler* handler = nullptr;
        bool failed = false;
        bool levelChange = false;
        bool exhaustMemory = false;
        std::vector<std::string> injected;
        {
            std::lock_guard lock(m_Mutex);
            if (!m_Session) {
                m_LastError = "No game session is open.";
                return BOOL_FALSE;
            }
            const uint64_t now = Now();
            m_FrameIntervals.Frame(now);
            if (m_FailNextFrame) {
                m_LastError = std::move(*m_FailNextFrame);
                m_FailNextFrame.reset();
                return BOOL_FALSE;
            }
            exhaustMemory = std::exchange(m_ExhaustMemoryNextFrame, false);
            injected.swap(m_InjectedGameTexts);
            std::string error;
            if (!m_Session->Frame(now, ReadFrameSettings(), events, error)) {
                m_LastError = std::move(error);
                failed = true;
            }
            levelChange = !failed && m_Session->LevelChangeDue();
            handler = m_Handler;
        }
        Deliver(handler, events);
        for (const std::string& text : injected) {
            if (handler != nullptr) {
                handler->OnGameText(text.c_str());
            }
        }
        if (failed) {
            return BOOL_FALSE;
        }
        if (levelChange) {
            ChangeLevel(handler);
        }
        if (exhaustMemory && handler != nullptr) {
            handler->OnMemoryExhausted();
        }
        return ENGINE_TRUE;
    });
}

void Server::ChangeLevel(AppHandler* handler) {
    if (handler != nullptr) {
        handler->OnGameText(GameMessages::LevelChangeBegins().c_str());
    }
    EngineEvents events;
    try {
        std::lock_guard lock(m_Mutex);
        if (m_Session) {
            m_Session->ChangeLevel(events);
        }
    } catch (...) {
        events.clear();
    }
    // The front end holds its update lock from "begins" to "changed": "changed" must follow whatever happened.
    if (events.empty()) {
        if (handler != nullptr) {
            handler->OnGameText(GameMessages::LevelChanged({}, {}).c_str());
        }
        return;
    }
    Deliver(handler, events);
}

} // namespace dravo::ref
