// RegistrationSender: the thread that makes the web registration requests.
//
// Fed by a queue of batches from the worker thread (registrations) and from the
// thread that stops hosting (the unregistration); it runs them in order, one
// request at a time, never under UpdateLock. A batch is a request to the base
// URL and then one to each line of the registration file, all with the same
// query; without that file a batch makes no request at all. The thread starts
// with the first batch and ends with Finish or the owner's destruction. Every
// operation is safe from any thread.
#pragma once

#include "net/PresenceCounters.h"
#include "platform/HttpGet.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace dravo {

class RegistrationSender {
public:
    // Waiting batches beyond this push out the oldest: a newer one carries fresher news.
    static constexpr size_t MAX_PENDING_BATCHES = 8;

    // One request: the full URL and the abort flag to watch; true when the server answered.
    using Fetch = std::function<bool(const std::string& url, const std::atomic<bool>& abort)>;

    // Without a fetch of its own, requests are HTTP GETs with these limits.
    explicit RegistrationSender(std::filesystem::path listFile, Fetch fetch = {}, HttpLimits limits = {});
    ~RegistrationSender();
    RegistrationSender(const RegistrationSender&) = delete;
    RegistrationSender& operator=(const RegistrationSender&) = delete;

    void Post(std::string baseUrl, std::string query);
    // Drops the waiting batches and abandons the one under way (what is left of it is not sent).
    void DropPending();
    // Waits until every queued batch is done or `limit` has passed, then abandons the rest (a request
    // under way included) and ends the thread. True when everything was sent in time.
    bool Finish(std::chrono::milliseconds limit);

    // Requests made so far (answered or not), for the owner's curiosity and the tests.
    size_t RequestsMade() const { return m_RequestsMade; }
    // Where the requests' results are counted (not owned; set before the first Post).
    void SetCounters(PresenceCounters* counters) { m_Counters = counters; }

private:
    struct Batch {
        std::string m_BaseUrl;
        std::string m_Query;
    };

    void Run(const std::stop_token& stop);
    void SendBatch(const Batch& batch);
    void Request(const std::string& baseUrl, const std::string& query);

    const std::filesystem::path m_ListFile;
    const Fetch m_Fetch;
    std::mutex m_Mutex;
    std::condition_variable_any m_Changed;
    // Guarded by m_Mutex.
    std::deque<Batch> m_Queue;
    bool m_Busy = false;
    std::jthread m_Thread;
    // Watched by the request under way: set to abandon it.
    std::atomic<bool> m_Abort{false};
    std::atomic<size_t> m_RequestsMade{0};
    PresenceCounters* m_Counters = nullptr;
};

} // namespace dravo
