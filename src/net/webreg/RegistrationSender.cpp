// The registration sender's loop and its queue.
#include "net/webreg/RegistrationSender.h"

#include "net/webreg/RegistrationList.h"
#include "net/webreg/RegistrationQuery.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace dravo {

struct RegistrationSender::Batch {
    std::string m_BaseUrl;
    std::string m_Query;
};

// What the loop and the owner share; the loop holds it as long as it runs.
struct RegistrationSender::State {
    State(std::filesystem::path listFile, Fetch fetch) : m_ListFile(std::move(listFile)), m_Fetch(std::move(fetch)) {}

    const std::filesystem::path m_ListFile;
    const Fetch m_Fetch;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    // Guarded by m_Mutex.
    std::deque<Batch> m_Queue;
    bool m_Busy = false;              // a batch is under way
    bool m_Running = false;           // a loop was started and has not ended
    bool m_Registering = true;        // registrations are taken
    bool m_Closed = false;            // Finish: nothing more is taken or sent, and the loop ends
    std::atomic<bool> m_Abort{false}; // watched by the request under way: set to abandon it
    std::atomic<size_t> m_RequestsMade{0};
    PresenceCounters* m_Counters = nullptr; // guarded by m_Mutex; never used once m_Closed

    // A loop left behind by Finish counts nothing: the counters may be gone by then.
    void CountResult(bool answered) {
        std::scoped_lock lock(m_Mutex);
        if (m_Counters != nullptr && !m_Closed) {
            m_Counters->CountRegistration(answered);
        }
    }
};

RegistrationSender::RegistrationSender(std::filesystem::path listFile, BlockingPool& pool, Fetch fetch,
                                       HttpLimits limits)
    : m_State(std::make_shared<State>(
          std::move(listFile),
          fetch ? std::move(fetch)
                : [limits, &pool](const std::string& url,
                                  const std::atomic<bool>& abort) { return HttpGet(url, abort, pool, limits); })),
      m_Pool(pool) {}

RegistrationSender::~RegistrationSender() {
    (void)Finish(std::chrono::milliseconds(0));
}

size_t RegistrationSender::RequestsMade() const {
    return m_State->m_RequestsMade;
}

void RegistrationSender::SetCounters(PresenceCounters* counters) {
    std::scoped_lock lock(m_State->m_Mutex);
    m_State->m_Counters = counters;
}

bool RegistrationSender::RegistrationsEnded() const {
    std::scoped_lock lock(m_State->m_Mutex);
    return !m_State->m_Registering;
}

bool RegistrationSender::Post(std::string baseUrl, std::string query) {
    return Queue(Batch{std::move(baseUrl), std::move(query)}, false);
}

void RegistrationSender::PostLast(std::string baseUrl, std::string query) {
    (void)Queue(Batch{std::move(baseUrl), std::move(query)}, true);
}

bool RegistrationSender::Queue(Batch batch, bool last) {
    State& state = *m_State;
    std::scoped_lock lock(state.m_Mutex);
    if (state.m_Closed || !(state.m_Registering || last)) {
        return false;
    }
    if (last) {
        state.m_Registering = false;
    }
    if (state.m_Queue.size() >= MAX_PENDING_BATCHES) {
        state.m_Queue.pop_front();
    }
    state.m_Queue.push_back(std::move(batch));
    if (!state.m_Running) {
        // A pool with no thread free leaves the batch waiting for the next post to try again.
        state.m_Running = m_Pool.Submit([shared = m_State] { Run(shared); });
    }
    state.m_Changed.notify_all();
    return true;
}

void RegistrationSender::EndRegistrations() {
    State& state = *m_State;
    std::scoped_lock lock(state.m_Mutex);
    state.m_Registering = false;
    state.m_Queue.clear();
    if (state.m_Busy) {
        state.m_Abort = true; // the loop clears it before its next batch
    }
}

RegistrationSender::Finished RegistrationSender::Finish(std::chrono::milliseconds limit) {
    State& state = *m_State;
    Finished finished;
    std::unique_lock lock(state.m_Mutex);
    if (state.m_Closed) { // finished before: a loop left behind then is not waited for again
        finished.m_Sent = state.m_Queue.empty() && !state.m_Busy;
        finished.m_Ended = !state.m_Running;
        return finished;
    }
    finished.m_Sent = state.m_Changed.wait_for(lock, limit, [&] { return state.m_Queue.empty() && !state.m_Busy; });
    state.m_Closed = true;
    state.m_Registering = false;
    state.m_Queue.clear();
    state.m_Abort = true;
    state.m_Changed.notify_all();
    finished.m_Ended = state.m_Changed.wait_for(lock, END_WAIT, [&] { return !state.m_Running; });
    return finished;
}

void RegistrationSender::Run(const std::shared_ptr<State>& shared) {
    State& state = *shared;
    for (;;) {
        Batch batch;
        {
            std::unique_lock lock(state.m_Mutex);
            state.m_Busy = false;
            state.m_Changed.notify_all();
            state.m_Changed.wait(lock, [&] { return state.m_Closed || !state.m_Queue.empty(); });
            if (state.m_Closed) {
                state.m_Running = false;
                state.m_Changed.notify_all();
                return;
            }
            batch = std::move(state.m_Queue.front());
            state.m_Queue.pop_front();
            state.m_Busy = true;
            state.m_Abort = false; // what was abandoned is behind us
        }
        SendBatch(state, batch);
    }
}

void RegistrationSender::SendBatch(State& state, const Batch& batch) {
    // Without the registration file nothing is sent, not even to the base URL.
    const auto lines = ReadRegistrationList(state.m_ListFile);
    if (!lines) {
        return;
    }
    const auto request = [&state, &batch](const std::string& baseUrl) {
        if (!state.m_Abort) {
            ++state.m_RequestsMade;
            state.CountResult(state.m_Fetch(RequestUrl(baseUrl, batch.m_Query), state.m_Abort));
        }
    };
    request(batch.m_BaseUrl);
    for (const std::string& line : *lines) {
        request(line);
    }
}

} // namespace dravo
