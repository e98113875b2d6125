// Queued output: the queue, the writer's loop, the bounded end and the line buffer over it.
#include "platform/os/QueuedOutput.h"

#include "platform/os/QueuedOutputState.h"
#include "platform/os/StandardStreams.h"

#include <algorithm>
#include <iostream>
#include <utility>

namespace dravo {
namespace {

// How long Finish waits for the writer to leave once it has been told to give up.
constexpr std::chrono::milliseconds GIVE_UP_WAIT{200};
// A text without a line feed goes on once it is this long.
constexpr size_t MAX_PENDING_LINE = size_t{64} * 1024;

std::string DroppedNote(uint64_t dropped, const std::string& streamName) {
    return "DravoServ: " + std::to_string(dropped) + (dropped == 1 ? " line was" : " lines were") +
           " dropped here: the reader of " + streamName + " did not keep up.\n";
}

} // namespace

// Everything written goes through overflow and xsputn (there is no put area), under the buffer's lock, so
// that texts from several threads stay whole lines.
class QueuedOutput::LineBuffer final : public std::streambuf {
public:
    explicit LineBuffer(QueuedOutput& output) : m_Output(output) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        const char byte = traits_type::to_char_type(c);
        (void)xsputn(&byte, 1);
        return c;
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        std::scoped_lock lock(m_Mutex);
        std::string_view rest(text, static_cast<size_t>(count));
        for (size_t end = rest.find('\n'); end != std::string_view::npos; end = rest.find('\n')) {
            m_Pending.append(rest.substr(0, end + 1));
            rest.remove_prefix(end + 1);
            PassOn();
        }
        m_Pending.append(rest);
        if (m_Pending.size() >= MAX_PENDING_LINE) {
            PassOn();
        }
        return count;
    }

    // A flush passes nothing on: std::cerr flushes after every insertion, and a line cut into pieces
    // would interleave with the lines of other threads. A line goes on at its line feed, or at the end.
    int sync() override { return 0; }

public:
    void SetLinePrefix(LinePrefix prefix) {
        std::scoped_lock lock(m_Mutex);
        m_Prefix = std::move(prefix);
    }

    // The end: a last line without its line feed goes on as it is.
    void PassOnRest() {
        std::scoped_lock lock(m_Mutex);
        if (!m_Pending.empty()) {
            PassOn();
        }
    }

private:
    void PassOn() {
        if (m_Prefix) {
            m_Pending.insert(0, m_Prefix(m_Pending));
        }
        m_Output.Write(m_Pending);
        m_Pending.clear();
    }

    QueuedOutput& m_Output;
    std::mutex m_Mutex;
    std::string m_Pending; // the line begun
    LinePrefix m_Prefix;
};

QueuedOutput::QueuedOutput(int descriptor, std::string streamName)
    : m_State(std::make_shared<State>(descriptor, std::move(streamName))),
      m_Buffer(std::make_unique<LineBuffer>(*this)) {
    // The thread holds the state, not this object: it may outlive it (Finish lets it go).
    std::thread([state = m_State] { state->Run(); }).detach();
}

QueuedOutput::~QueuedOutput() {
    (void)Finish(FINISH_WAIT);
}

std::streambuf& QueuedOutput::Buffer() {
    return *m_Buffer;
}

void QueuedOutput::SetLinePrefix(LinePrefix prefix) {
    m_Buffer->SetLinePrefix(std::move(prefix));
}

void QueuedOutput::Write(std::string_view text) {
    if (text.empty()) {
        return;
    }
    State& state = *m_State;
    {
        std::scoped_lock lock(state.m_Mutex);
        if (state.m_Gone || state.m_Finishing) {
            return;
        }
        // One text always fits, however long: a queue that holds nothing waits for no reader.
        if (!state.m_Queue.empty() && state.m_QueuedBytes + text.size() > MAX_QUEUED_BYTES) {
            ++state.m_Dropping;
            ++state.m_DroppedTotal;
            return;
        }
        state.m_QueuedBytes += text.size();
        state.m_Queue.push_back(State::Text{std::string(text), std::exchange(state.m_Dropping, 0)});
    }
    state.m_Changed.notify_all();
}

uint64_t QueuedOutput::Dropped() const {
    std::scoped_lock lock(m_State->m_Mutex);
    return m_State->m_DroppedTotal;
}

bool QueuedOutput::Finish(std::chrono::milliseconds wait) {
    m_Buffer->PassOnRest();
    State& state = *m_State;
    std::unique_lock lock(state.m_Mutex);
    if (!state.m_Finishing) {
        state.m_Finishing = true;
        if (state.m_Dropping > 0 && !state.m_Gone) {
            // Dropped at the very end: the line that says so is the last.
            state.m_Queue.push_back(State::Text{{}, std::exchange(state.m_Dropping, 0)});
        }
    }
    state.m_Changed.notify_all();
    const bool written = state.m_Changed.wait_for(lock, wait, [&state] { return state.m_Ended; });
    if (!written) {
        state.m_GiveUp = true;
        state.m_Queue.clear();
        lock.unlock();
        state.Interrupt();
        lock.lock();
        // The writer leaves within a moment unless the system holds it; then it is let go as it is.
        (void)state.m_Changed.wait_for(lock, GIVE_UP_WAIT, [&state] { return state.m_Ended; });
    }
    return written && !state.m_Gone;
}

void QueuedOutput::State::Run() {
    EnterWriter();
    std::unique_lock lock(m_Mutex);
    for (;;) {
        m_Changed.wait(lock, [this] { return !m_Queue.empty() || m_Finishing; });
        if (m_Queue.empty() || m_Gone || m_GiveUp) {
            break;
        }
        Text text = std::move(m_Queue.front());
        m_Queue.pop_front();
        m_Busy = true;
        lock.unlock();
        const size_t queued = text.m_Bytes.size();
        if (text.m_DroppedBefore > 0) {
            text.m_Bytes.insert(0, DroppedNote(text.m_DroppedBefore, m_StreamName));
        }
        const Written written = WriteAll(text.m_Bytes);
        lock.lock();
        m_Busy = false;
        m_QueuedBytes -= std::min(m_QueuedBytes, queued);
        if (written == Written::Gone) {
            m_Gone = true;
            m_Queue.clear();
            m_QueuedBytes = 0;
        }
        m_Changed.notify_all();
    }
    m_Queue.clear();
    lock.unlock();
    LeaveWriter();
    lock.lock();
    m_Ended = true;
    m_Changed.notify_all();
}

QueuedStandardStreams::QueuedStandardStreams(QueuedOutput::LinePrefix outPrefix, QueuedOutput::LinePrefix errPrefix)
    : m_Out(StandardOutputDescriptor(), "standard output"), m_Err(StandardErrorDescriptor(), "standard error") {
    m_Out.SetLinePrefix(std::move(outPrefix));
    m_Err.SetLinePrefix(std::move(errPrefix));
    m_OutBefore = std::cout.rdbuf(&m_Out.Buffer());
    m_ErrBefore = std::cerr.rdbuf(&m_Err.Buffer());
}

QueuedStandardStreams::~QueuedStandardStreams() {
    Finish();
    std::cout.rdbuf(m_OutBefore);
    std::cerr.rdbuf(m_ErrBefore);
}

void QueuedStandardStreams::Finish(std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    (void)m_Err.Finish(wait);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    (void)m_Out.Finish(std::max(left, std::chrono::milliseconds(0)));
}

} // namespace dravo
