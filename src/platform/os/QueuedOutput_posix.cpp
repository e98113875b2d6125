// Queued output on POSIX systems: the writer waits for room with poll, in short slices, and writes no
// more than a pipe takes at once, so that it never sits in a write the reader holds up and sees a
// give-up within a slice.
#include "platform/os/QueuedOutputState.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <poll.h>
#include <unistd.h>

namespace dravo {
namespace {

constexpr int POLL_SLICE_MS = 50;

} // namespace

QueuedOutput::State::Written QueuedOutput::State::WriteAll(std::string_view text) {
    while (!text.empty()) {
        if (m_GiveUp) {
            return Written::GaveUp;
        }
        pollfd wait{m_Descriptor, POLLOUT, 0};
        const int ready = ::poll(&wait, 1, POLL_SLICE_MS);
        if (ready < 0 && errno != EINTR) {
            return Written::Gone;
        }
        if (ready <= 0) {
            continue;
        }
        if ((wait.revents & (POLLERR | POLLNVAL)) != 0 && (wait.revents & POLLOUT) == 0) {
            return Written::Gone;
        }
        // A pipe that polls writable has room for PIPE_BUF bytes: a write of no more never waits.
        const ssize_t written = ::write(m_Descriptor, text.data(), std::min<size_t>(text.size(), PIPE_BUF));
        if (written < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
                continue;
            }
            return Written::Gone; // a reader that quit (EPIPE), a closed descriptor...
        }
        text.remove_prefix(static_cast<size_t>(written));
    }
    return Written::All;
}

void QueuedOutput::State::EnterWriter() {}

void QueuedOutput::State::LeaveWriter() {}

void QueuedOutput::State::Interrupt() {}

} // namespace dravo
