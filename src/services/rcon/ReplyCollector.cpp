// Collecting console lines for remote answers.
#include "services/rcon/ReplyCollector.h"

#include <algorithm>

namespace dravo {

std::shared_ptr<ReplyCollector::Capture> ReplyCollector::Create(size_t limit) {
    auto capture = std::make_shared<Capture>();
    capture->m_Limit = limit;
    return capture;
}

void ReplyCollector::Begin(const std::shared_ptr<Capture>& capture) {
    std::scoped_lock lock(m_Mutex);
    if (!capture->m_Abandoned && !capture->m_Open) {
        capture->m_Open = true;
        m_Open.push_back(capture);
    }
}

std::string ReplyCollector::Take(const std::shared_ptr<Capture>& capture) {
    std::scoped_lock lock(m_Mutex);
    Remove(capture);
    std::string text = std::move(capture->m_Text);
    if (capture->m_LeftOut > 0) {
        text += "(" + std::to_string(capture->m_LeftOut) + " more bytes of console lines were left out)\n";
    }
    return text;
}

void ReplyCollector::Abandon(const std::shared_ptr<Capture>& capture) {
    std::scoped_lock lock(m_Mutex);
    capture->m_Abandoned = true;
    Remove(capture);
}

void ReplyCollector::Remove(const std::shared_ptr<Capture>& capture) {
    capture->m_Open = false;
    m_Open.erase(std::remove(m_Open.begin(), m_Open.end(), capture), m_Open.end());
}

void ReplyCollector::WriteLine(std::string_view line) {
    std::scoped_lock lock(m_Mutex);
    for (const std::shared_ptr<Capture>& capture : m_Open) {
        if (capture->m_LeftOut == 0 && capture->m_Text.size() + line.size() + 1 <= capture->m_Limit) {
            capture->m_Text.append(line);
            capture->m_Text.push_back('\n');
        } else {
            capture->m_LeftOut += line.size() + 1;
        }
    }
}

} // namespace dravo
