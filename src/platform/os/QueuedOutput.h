// QueuedOutput: text for a standard stream, written by a thread of its own, so that nobody waits for
// whoever reads it.
//
// Contract. Write (any thread) queues a text and returns at once. The writer
// thread hands the texts to the stream in order. While the reader does not read
// (a stalled pipe, a pager, a log shipper that hangs), up to MAX_QUEUED_BYTES
// wait; beyond that whole texts are dropped and counted, and once the stream
// takes text again one line says how many were dropped, in their place. A
// stream that is gone (a reader that quit) takes nothing more, silently.
// Finish (the destructor too) waits at most its bound for what is queued, then
// lets the writer go: a writer still held by the stream holds only its own
// state, and ends with the process. Buffer() is a std::streambuf over Write,
// whole lines at a time (a flush passes on no part of a line; Finish passes on
// the rest), to put under std::cout and std::cerr. QueuedStandardStreams does
// that for both for as long as it lives.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <streambuf>
#include <string>
#include <string_view>

namespace dravo {

class QueuedOutput {
public:
    static constexpr size_t MAX_QUEUED_BYTES = size_t{256} * 1024;
    // How long the end of the program waits for what is still queued.
    static constexpr std::chrono::milliseconds FINISH_WAIT{1000};

    // `descriptor` is the stream's (1, 2); `streamName` names it in the line about dropped texts.
    QueuedOutput(int descriptor, std::string streamName);
    ~QueuedOutput(); // Finish(FINISH_WAIT)
    QueuedOutput(const QueuedOutput&) = delete;
    QueuedOutput& operator=(const QueuedOutput&) = delete;

    void Write(std::string_view text);
    // Waits at most `wait` until everything queued is written (or the stream is gone); true when it was.
    // The writer is let go either way; later texts are dropped.
    bool Finish(std::chrono::milliseconds wait);
    // Texts dropped so far.
    uint64_t Dropped() const;

    std::streambuf& Buffer();
    // What goes before each line that Buffer() passes on (the journal's "<3>"); set before anything is
    // written through it.
    using LinePrefix = std::function<std::string(std::string_view line)>;
    void SetLinePrefix(LinePrefix prefix);

    // What the writer thread shares with the owner (the platform's files use it too).
    struct State;

private:
    class LineBuffer;

    std::shared_ptr<State> m_State;
    std::unique_ptr<LineBuffer> m_Buffer;
};

// Puts std::cout and std::cerr on queued outputs of standard output and error (their descriptors as
// they are when it is made) for as long as it lives. Finish writes what is queued within the bound, both
// streams together; it is safe from any thread, and what is written after it is dropped. The
// destructor (on the thread that made it, when nothing else writes) finishes and gives the streams their
// own buffers back.
class QueuedStandardStreams {
public:
    // `outPrefix` and `errPrefix` (may be empty) go before each line of standard output and error.
    explicit QueuedStandardStreams(QueuedOutput::LinePrefix outPrefix = {}, QueuedOutput::LinePrefix errPrefix = {});
    ~QueuedStandardStreams();
    QueuedStandardStreams(const QueuedStandardStreams&) = delete;
    QueuedStandardStreams& operator=(const QueuedStandardStreams&) = delete;

    void Finish(std::chrono::milliseconds wait = QueuedOutput::FINISH_WAIT);

private:
    QueuedOutput m_Out;
    QueuedOutput m_Err;
    std::streambuf* m_OutBefore;
    std::streambuf* m_ErrBefore;
};

} // namespace dravo
