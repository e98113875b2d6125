// Queued output on Windows: the writer writes through the C runtime's descriptor (so that text mode
// still ends lines with CR LF), in blocking pieces; a give-up cancels the write under way with
// CancelSynchronousIo on the writer's thread. A console write that cannot be cancelled is let go with
// its thread.
#include "platform/os/QueuedOutputState.h"

#include <windows.h>

#include <io.h>

#include <algorithm>

namespace dravo {
namespace {

constexpr size_t PIECE = 4096;

} // namespace

QueuedOutput::State::Written QueuedOutput::State::WriteAll(std::string_view text) {
    while (!text.empty()) {
        if (m_GiveUp) {
            return Written::GaveUp;
        }
        const int written =
            _write(m_Descriptor, text.data(), static_cast<unsigned>(std::min<size_t>(text.size(), PIECE)));
        if (written <= 0) {
            return m_GiveUp ? Written::GaveUp : Written::Gone;
        }
        text.remove_prefix(std::min(text.size(), static_cast<size_t>(written)));
    }
    return Written::All;
}

void QueuedOutput::State::EnterWriter() {
    HANDLE self = nullptr;
    if (DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0, FALSE,
                        DUPLICATE_SAME_ACCESS) == 0) {
        self = nullptr;
    }
    std::scoped_lock lock(m_Mutex);
    m_Platform = reinterpret_cast<intptr_t>(self);
}

void QueuedOutput::State::LeaveWriter() {
    std::scoped_lock lock(m_Mutex);
    if (m_Platform != 0) {
        CloseHandle(reinterpret_cast<HANDLE>(m_Platform));
        m_Platform = 0;
    }
}

void QueuedOutput::State::Interrupt() {
    std::scoped_lock lock(m_Mutex);
    if (m_Platform != 0) {
        (void)CancelSynchronousIo(reinterpret_cast<HANDLE>(m_Platform));
    }
}

} // namespace dravo
