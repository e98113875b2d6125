// Watchers and the signals they own; the watching itself is each platform's.
#include "platform/os/SignalWatcher.h"

#include <utility>

namespace dravo {

SignalWatcher::SignalWatcher(std::initializer_list<Signal> signals, Handler handler) : m_Handler(std::move(handler)) {
    m_Watching = true;
    for (const Signal signal : signals) {
        if (Take(signal, &m_Handler)) {
            m_Owned.push_back(signal);
        } else {
            m_Watching = false;
        }
    }
}

SignalWatcher::~SignalWatcher() {
    for (const Signal signal : m_Owned) {
        Give(signal);
    }
}

} // namespace dravo
