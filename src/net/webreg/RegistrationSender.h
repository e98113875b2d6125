// RegistrationSender: the thread that makes the web registration requests.
//
// Fed by a queue of batches from the worker thread (registrations) and from the
// thread that stops hosting (the unregistration); it runs them in order, one
// request at a time, never under UpdateLock. A batch is a request to the base
// URL and then one to each line of the registration file, all with the same
// query; without that file a batch makes no request at all. The sending loop
// runs as a job on the blocking pool, from the first batch until Finish or the
// owner's destruction. Its wake-ups are a flag and the queue, both read under
// the one mutex its wait uses, so none is missed. Every operation is safe from
// any thread; none waits longer than its bound. A loop that does not end in
// time is left behind: it holds only the state it shares with the owner, and
// ends with its request.
#pragma once

#include "net/PresenceCounters.h"
#include "platform/http/HttpGet.h"
#include "platform/os/BlockingPool.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace dravo {

class RegistrationSender {
public:
    // Waiting batches beyond this push out the oldest: a newer one carries fresher news.
    static constexpr size_t MAX_PENDING_BATCHES = 8;
    // How long Finish waits for the loop to end once the requests are given up.
    static constexpr std::chrono::milliseconds END_WAIT{500};

    // One request: the full URL and the abort flag to watch; true when the server answered.
    using Fetch = std::function<bool(const std::string& url, const std::atomic<bool>& abort)>;

    // How Finish went.
    struct Finished {
        bool m_Sent = false;  // every queued batch was sent in time
        bool m_Ended = false; // the loop ended in time (or never ran); else it was left behind
    };

    // Without a fetch of its own, requests are HTTP GETs with these limits. The loop runs on `pool`.
    RegistrationSender(std::filesystem::path listFile, BlockingPool& pool, Fetch fetch = {}, HttpLimits limits = {});
    ~RegistrationSender(); // Finish with no wait for the batches
    RegistrationSender(const RegistrationSender&) = delete;
    RegistrationSender& operator=(const RegistrationSender&) = delete;

    // Queues a registration batch; false (nothing queued) once registrations have ended. The check and
    // the queueing are one step under the queue's lock, so no registration ever follows the last batch.
    bool Post(std::string baseUrl, std::string query);
    // Registrations end: the waiting ones are dropped, the one under way is abandoned (what is left of it
    // is not sent), and Post refuses from now on.
    void EndRegistrations();
    // Queues the last batch (the unregistration): taken after EndRegistrations too, and behind every
    // batch still waiting.
    void PostLast(std::string baseUrl, std::string query);
    // Waits until every queued batch is done or `limit` has passed, then abandons the rest (a request
    // under way included) and waits at most END_WAIT for the loop to end. Nothing is sent after it; a
    // second Finish waits for nothing.
    Finished Finish(std::chrono::milliseconds limit);

    // True once registrations have ended (EndRegistrations, PostLast or Finish).
    bool RegistrationsEnded() const;

    // Requests made so far (answered or not), for the owner's curiosity and the tests.
    size_t RequestsMade() const;
    // Where the requests' results are counted (not owned; it outlives every request until Finish).
    void SetCounters(PresenceCounters* counters);

private:
    struct Batch;
    struct State;

    bool Queue(Batch batch, bool last);
    static void Run(const std::shared_ptr<State>& state);
    static void SendBatch(State& state, const Batch& batch);

    std::shared_ptr<State> m_State;
    BlockingPool& m_Pool;
};

} // namespace dravo
