// Capturing one thread's console lines.
#include "host/console/LogCapture.h"

namespace dravo {
namespace {

// The innermost capture of this thread, whatever its log.
thread_local LogCapture* t_Innermost = nullptr;

} // namespace

LogCapture::LogCapture(const ConsoleLog& log, size_t maxBytes, Mode mode)
    : m_Log(log), m_MaxBytes(maxBytes), m_Mode(mode), m_Outer(t_Innermost) {
    t_Innermost = this;
}

LogCapture::~LogCapture() {
    t_Innermost = m_Outer;
}

LogCapture* LogCapture::Current(const ConsoleLog& log) {
    for (LogCapture* capture = t_Innermost; capture != nullptr; capture = capture->m_Outer) {
        if (&capture->m_Log == &log) {
            return capture;
        }
    }
    return nullptr;
}

bool LogCapture::Take(std::string_view line) {
    if (m_Bytes + line.size() + 1 > m_MaxBytes) {
        m_LeftOut += line.size() + 1;
    } else {
        m_Bytes += line.size() + 1;
        m_Lines.emplace_back(line);
    }
    return m_Mode == Mode::Silent;
}

} // namespace dravo
