// The registration sender thread and its queue.
#include "net/RegistrationSender.h"

#include "net/RegistrationList.h"
#include "net/RegistrationQuery.h"

namespace dravo {

RegistrationSender::RegistrationSender(std::filesystem::path listFile, Fetch fetch, HttpLimits limits)
    : m_ListFile(std::move(listFile)),
      m_Fetch(fetch ? std::move(fetch) : [limits](const std::string& url, const std::atomic<bool>& abort) {
          return HttpGet(url, abort, limits);
      }) {}

RegistrationSender::~RegistrationSender() {
    (void)Finish(std::chrono::milliseconds(0));
}

void RegistrationSender::Post(std::string baseUrl, std::string query) {
    std::scoped_lock lock(m_Mutex);
    if (m_Queue.size() >= MAX_PENDING_BATCHES) {
        m_Queue.pop_front();
    }
    m_Queue.push_back(Batch{std::move(baseUrl), std::move(query)});
    if (!m_Thread.joinable()) {
        m_Thread = std::jthread([this](const std::stop_token& stop) { Run(stop); });
    }
    m_Changed.notify_all();
}

void RegistrationSender::DropPending() {
    std::scoped_lock lock(m_Mutex);
    m_Queue.clear();
    if (m_Busy) {
        m_Abort = true; // the thread clears it before its next batch
    }
}

bool RegistrationSender::Finish(std::chrono::milliseconds limit) {
    std::jthread thread;
    bool done = false;
    {
        std::unique_lock lock(m_Mutex);
        done = m_Changed.wait_for(lock, limit, [this] { return m_Queue.empty() && !m_Busy; });
        m_Queue.clear();
        m_Abort = true;
        thread = std::move(m_Thread); // joined outside the lock, which the thread takes between batches
    }
    if (thread.joinable()) {
        thread.request_stop();
        thread.join();
    }
    return done;
}

void RegistrationSender::Run(const std::stop_token& stop) {
    for (;;) {
        Batch batch;
        {
            std::unique_lock lock(m_Mutex);
            m_Busy = false;
            m_Changed.notify_all();
            if (!m_Changed.wait(lock, stop, [this] { return !m_Queue.empty(); })) {
                return;
            }
            batch = std::move(m_Queue.front());
            m_Queue.pop_front();
            m_Busy = true;
            m_Abort = false; // what was abandoned is behind us
        }
        SendBatch(batch);
    }
}

void RegistrationSender::SendBatch(const Batch& batch) {
    // Without the registration file nothing is sent, not even to the base URL.
    const auto lines = ReadRegistrationList(m_ListFile);
    if (!lines) {
        return;
    }
    Request(batch.m_BaseUrl, batch.m_Query);
    for (const std::string& line : *lines) {
        Request(line, batch.m_Query);
    }
}

void RegistrationSender::Request(const std::string& baseUrl, const std::string& query) {
    if (m_Abort) {
        return;
    }
    ++m_RequestsMade;
    const bool answered = m_Fetch(RequestUrl(baseUrl, query), m_Abort);
    if (m_Counters != nullptr) {
        CountOne(answered ? m_Counters->m_RegistrationsAnswered : m_Counters->m_RegistrationsFailed);
    }
}

} // namespace dravo
