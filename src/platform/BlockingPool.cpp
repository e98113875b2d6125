// The pool's threads, its hand-off of jobs and its bounded shutdown.
#include "platform/BlockingPool.h"

#include <condition_variable>
#include <deque>
#include <list>
#include <mutex>
#include <utility>
#include <vector>

namespace dravo {

struct BlockingPool::Thread {
    void* m_Handle = nullptr; // the system's own (each platform's kind); null once joined or let go
    bool m_Ended = false;     // guarded by the state's mutex: the thread has left its loop
};

// What the pool's threads and its owner share; the threads hold it as long as they run.
struct BlockingPool::State {
    explicit State(size_t maxThreads) : m_MaxThreads(maxThreads) {}

    const size_t m_MaxThreads;
    std::mutex m_Mutex;
    std::condition_variable m_Work;  // a job waits, or the pool stops
    std::condition_variable m_Ended; // a thread ended
    // Guarded by m_Mutex.
    std::deque<Job> m_Waiting;   // handed over, not yet taken by an idle thread
    std::list<Thread> m_Threads; // every thread started; a record stays while its thread may run
    size_t m_Idle = 0;
    size_t m_Live = 0;
    bool m_Stopping = false;
};

BlockingPool::BlockingPool(size_t maxThreads) : m_State(std::make_shared<State>(maxThreads)) {}

BlockingPool::~BlockingPool() {
    if (!m_ShutDown) {
        (void)Shutdown(EXIT_WAIT);
    }
}

BlockingPool& BlockingPool::Process() {
    static BlockingPool pool;
    return pool;
}

bool BlockingPool::Submit(Job job) {
    if (!job) {
        return false;
    }
    State& state = *m_State;
    std::scoped_lock lock(state.m_Mutex);
    if (state.m_Stopping) {
        return false;
    }
    const bool threadFree = state.m_Idle > state.m_Waiting.size();
    if (!threadFree && state.m_Live < state.m_MaxThreads) {
        Thread& thread = state.m_Threads.emplace_back();
        // The new thread takes the lock only after this returns, and finds the job waiting.
        thread.m_Handle = StartThread([shared = m_State, &thread] { Serve(shared, thread); });
        if (thread.m_Handle == nullptr) {
            state.m_Threads.pop_back();
            return false;
        }
        ++state.m_Live;
        ++state.m_Idle; // on its way to take the job
    } else if (!threadFree && state.m_Waiting.size() >= state.m_Idle + state.m_MaxThreads) {
        return false; // every thread busy and the queue full
    }
    state.m_Waiting.push_back(std::move(job));
    state.m_Work.notify_all();
    return true;
}

void BlockingPool::Serve(const std::shared_ptr<State>& state, Thread& self) {
    std::unique_lock lock(state->m_Mutex);
    for (;;) { // counted as idle here, from its start on
        state->m_Work.wait(lock, [&] { return state->m_Stopping || !state->m_Waiting.empty(); });
        --state->m_Idle;
        if (state->m_Waiting.empty()) {
            break; // the pool stops
        }
        Job job = std::move(state->m_Waiting.front());
        state->m_Waiting.pop_front();
        lock.unlock();
        try {
            job();
        } catch (...) {
            // A job's failure is its own; it never ends the thread.
        }
        job = nullptr; // what it captured goes before the next wait, outside the lock
        lock.lock();
        ++state->m_Idle;
    }
    self.m_Ended = true;
    --state->m_Live;
    state->m_Ended.notify_all();
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
        state.m_Work.notify_all();
        inTime = state.m_Ended.wait_for(lock, wait, [&] { return state.m_Live == 0; });
        for (Thread& thread : state.m_Threads) {
            if (thread.m_Handle != nullptr) {
                (thread.m_Ended ? ended : abandoned).push_back(std::exchange(thread.m_Handle, nullptr));
            }
        }
    }
    // Outside the lock, which an ending thread still holds on its way out.
    for (void* handle : ended) {
        JoinThread(handle);
    }
    for (void* handle : abandoned) {
        AbandonThread(handle);
    }
    return inTime;
}

} // namespace dravo
