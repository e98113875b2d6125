// BlockingPool: a few threads for calls that block for as long as the system likes.
//
// Contract. Name lookups, and on Windows the HTTP requests and the input
// reader, run here, never on the game's or the window's thread. Submit starts
// a thread for the job while fewer than the pool's bound run; when every
// thread is busy the job waits in a queue as long as the bound for the next
// one free, and beyond that Submit refuses: the caller takes the job as
// failed, as it does one that waits longer than the caller's own limit. A
// thread ends when no job waits, so a pool at rest holds none (and nothing a
// library keeps per thread outlives the work). A job
// owns what it touches (captured by value or shared), so that whoever
// submitted it may give up on it at any time. Shutdown (the destructor's too)
// takes no more jobs, drops those not yet begun and waits a bounded time for
// those under way, except those inside a NotWaitedFor section (a read that
// nothing can interrupt, whose owner has no more use for it: the process's
// end discards it). A thread still inside its job after that is abandoned: it
// holds only its job and the pool's shared state, and ends with the job or
// with the process, so nothing it touches is freed under it. The program makes
// one pool in main and hands it to whatever blocks; tests make their own.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace dravo {

class BlockingPool {
public:
    static constexpr size_t MAX_THREADS = 16;
    // How long the program's end waits for blocking work still under way.
    static constexpr std::chrono::milliseconds EXIT_WAIT{500};

    using Job = std::function<void()>;
    struct Thread; // the pool's own records
    struct State;

    explicit BlockingPool(size_t maxThreads = MAX_THREADS);
    ~BlockingPool(); // Shutdown(EXIT_WAIT), unless the owner shut the pool down already
    BlockingPool(const BlockingPool&) = delete;
    BlockingPool& operator=(const BlockingPool&) = delete;

    // Starts the job on a thread of its own, or queues it for the next thread free; false (the job
    // dropped) when the queue is full or the pool shut down. From any thread; never waits for a job.
    [[nodiscard]] bool Submit(Job job);
    // Takes no more jobs and waits at most `wait` for those under way; true when every thread ended in
    // time. The rest are abandoned.
    bool Shutdown(std::chrono::milliseconds wait);

    // Made by a job on the pool's thread around a call that may block for good and that holds nothing to
    // finish (a read its owner can give up on): while the job is inside it, a shutdown does not wait for
    // the job. Elsewhere it does nothing.
    class NotWaitedFor {
    public:
        NotWaitedFor();
        ~NotWaitedFor();
        NotWaitedFor(const NotWaitedFor&) = delete;
        NotWaitedFor& operator=(const NotWaitedFor&) = delete;

    private:
        State* m_State; // the pool of the thread it was made on (which holds it), or null
    };

private:
    // A thread's life: its first job, then those waiting, then its end.
    static void Serve(const std::shared_ptr<State>& state, Thread& self, Job& first);
    // Moves the handles of the threads that ended out of their records, which go; under the lock.
    void TakeEnded(std::vector<void*>& handles);
    // Each platform's (BlockingPool_posix.cpp, _win32.cpp): a thread of the system's own running `body`
    // (its handle, or null when none could be started), then either waited for or let go.
    [[nodiscard]] static void* StartThread(std::function<void()> body) noexcept;
    static void JoinThread(void* handle);
    static void AbandonThread(void* handle);

    std::shared_ptr<State> m_State;
    bool m_ShutDown = false; // the owner's
};

} // namespace dravo
