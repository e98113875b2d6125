// The pool's threads, its queue and its bounded shutdown.
#include "platform/os/BlockingPool.h"

#include <condition_variable>
#include <deque>
#include <list>
#include <mutex>
#include <utility>
#include <vector>

namespace dravo {

struct BlockingPool::Thread {
    void* m_Handle = nullptr; // the system's own (each platform's kind); null once joined or let go
    bool m_Ended = false;     // guarded by the state's mutex: the thread has left the pool's code
};

// What the pool's threads and its owner share; the threads hold it as long as they run.
struct BlockingPool::State {
    explicit State(size_t maxThreads) : m_MaxThreads(maxThreads) {}

    const size_t m_MaxThreads;
    std::mutex m_Mutex;
    std::condition_variable m_Ended; // a thread ended
    // Guarded by m_Mutex.
    std::deque<Job> m_Waiting;   // jobs for the next thread free
    std::list<Thread> m_Threads; // a record stays while its thread may still touch it
    size_t m_Live = 0;
    size_t m_NotWaitedFor = 0; // of m_Live, the jobs inside a NotWaitedFor section
    bool m_Stopping = false;
};

namespace {

// The pool whose thread this is, while it serves; the thread holds the state as long.
thread_local BlockingPool::State* t_ServedState = nullptr;

// Runs a job; its failure is its own and never ends the thread.
void RunJob(BlockingPool::Job& job) noexcept {
    try {
        job();
    } catch (...) {
    }
    job = nullptr; // what it captured goes with it, outside the pool's lock
}

} // namespace

BlockingPool::BlockingPool(size_t maxThreads) : m_State(std::make_shared<State>(maxThreads)) {}

BlockingPool::~BlockingPool() {
    if (!m_ShutDown) {
        (void)Shutdown(EXIT_WAIT);
    }
}

bool BlockingPool::Submit(Job job) {
    if (!job) {
        return false;
    }
    State& state = *m_State;
    std::vector<void*> ended;
    bool taken = true;
    {
        std::scoped_lock lock(state.m_Mutex);
        TakeEnded(ended);
        if (!state.m_Stopping && state.m_Live < state.m_MaxThreads) {
            Thread& thread = state.m_Threads.emplace_back();
            // The thread begins with this job; it touches its record only under the lock held here.
            thread.m_Handle = StartThread(
                [shared = m_State, &thread, first = std::move(job)]() mutable { Serve(shared, thread, first); });
            taken = thread.m_Handle != nullptr;
            if (taken) {
                ++state.m_Live;
            } else {
                state.m_Threads.pop_back();
            }
        } else if (!state.m_Stopping && state.m_Waiting.size() < state.m_MaxThreads) {
            state.m_Waiting.push_back(std::move(job)); // for the next thread free
        } else {
            taken = false; // shut down, or every thread busy and the queue full
        }
    }
    for (void* handle : ended) {
        JoinThread(handle);
    }
    return taken;
}

BlockingPool::NotWaitedFor::NotWaitedFor() : m_State(t_ServedState) {
    if (m_State != nullptr) {
        std::scoped_lock lock(m_State->m_Mutex);
        ++m_State->m_NotWaitedFor;
        m_State->m_Ended.notify_all(); // a shutdown under way stops waiting for this job
    }
}

BlockingPool::NotWaitedFor::~NotWaitedFor() {
    if (m_State != nullptr) {
        std::scoped_lock lock(m_State->m_Mutex);
        --m_State->m_NotWaitedFor;
    }
}

void BlockingPool::Serve(const std::shared_ptr<State>& state, Thread& self, Job& first) {
    t_ServedState = state.get();
    RunJob(first);
    std::unique_lock lock(state->m_Mutex);
    // The thread goes on while jobs wait, and ends when none does: a pool at rest holds no thread.
    while (!state->m_Waiting.empty()) {
        Job job = std::move(state->m_Waiting.front());
        state->m_Waiting.pop_front();
        lock.unlock();
        RunJob(job);
        lock.lock();
    }
    self.m_Ended = true; // the last touch of the record
    --state->m_Live;
    state->m_Ended.notify_all();
}

void BlockingPool::TakeEnded(std::vector<void*>& handles) {
    for (auto thread = m_State->m_Threads.begin(); thread != m_State->m_Threads.end();) {
        if (thread->m_Ended) {
            if (thread->m_Handle != nullptr) {
                handles.push_back(thread->m_Handle);
            }
            thread = m_State->m_Threads.erase(thread);
        } else {
            ++thread;
        }
    }
}

bool BlockingPool::Shutdown(std::chrono::milliseconds wait) {
    m_ShutDown = true;
    State& state = *m_State;
    std::deque<Job> dropped;
    std::vector<void*> ended;
    std::vector<void*> abandoned;
    bool inTime = false;
    {
        std::unique_lock lock(state.m_Mutex);
        state.m_Stopping = true;
        dropped.swap(state.m_Waiting);
        (void)state.m_Ended.wait_for(lock, wait, [&] { return state.m_Live == state.m_NotWaitedFor; });
        inTime = state.m_Live == 0;
        TakeEnded(ended);
        for (Thread& thread : state.m_Threads) { // still inside a job: their records stay with the state
            abandoned.push_back(std::exchange(thread.m_Handle, nullptr));
        }
    }
    // Outside the lock: an ending thread may still be on its way out of it.
    for (void* handle : ended) {
        JoinThread(handle);
    }
    for (void* handle : abandoned) {
        AbandonThread(handle);
    }
    return inTime;
}

} // namespace dravo
