// The log file: stamping, the writer thread, reopening and the trouble said once.
#include "app/LogFile.h"

#include "app/LogTimestamp.h"
#include "host/console/EventJson.h"

#include <algorithm>
#include <utility>

namespace dravo {

LogFile::LogFile(std::string path, std::ostream& errors, TimeSource now)
    : m_Path(std::move(path)), m_Errors(errors), m_Now(std::move(now)) {}

LogFile::~LogFile() {
    {
        std::scoped_lock lock(m_QueueMutex);
        m_Stop = true;
    }
    m_Wake.notify_all();
    if (m_Writer.joinable()) {
        {
            std::unique_lock lock(m_QueueMutex);
            if (!m_Handled.wait_for(lock, FINISH_WAIT, [this] { return m_WriterDone; })) {
                m_GiveUp = true; // seen by a waiting write within its slice
            }
        }
        m_Writer.join();
    }
    CloseFile();
}

bool LogFile::Open() {
    const bool opened = EnsureOpen();
    m_Writer = std::thread([this] { Run(); });
    return opened;
}

void LogFile::Reopen() {
    {
        std::scoped_lock lock(m_QueueMutex);
        if (!m_Queue.empty() && m_Queue.back().m_Reopen) {
            return; // one reopen already waits, and nothing since
        }
        m_Queue.push_back(Entry{{}, true});
        ++m_QueuedCount;
    }
    m_Wake.notify_all();
}

bool LogFile::Flush(std::chrono::milliseconds bound) {
    std::unique_lock lock(m_QueueMutex);
    const uint64_t target = m_QueuedCount;
    return m_Handled.wait_for(lock, bound, [&] { return m_HandledCount >= target; });
}

void LogFile::WriteLine(std::string_view line) {
    if (m_Json) {
        WriteEvent(LogEvent{std::string(event_name::LOG_LINE), EventLevel::Info, std::string(line), {}, true});
        return;
    }
    const std::string stamp = LocalLogTimestamp(m_Now());
    std::deque<std::string> stamped;
    // A line that holds line breaks becomes several, each with the stamp.
    while (true) {
        const size_t end = line.find('\n');
        std::string_view part = line.substr(0, end);
        if (!part.empty() && part.back() == '\r') {
            part.remove_suffix(1);
        }
        stamped.push_back(stamp + ' ' + std::string(part) + std::string(TEXT_LINE_END));
        if (end == std::string_view::npos) {
            break;
        }
        line.remove_prefix(end + 1);
    }
    Queue(std::move(stamped));
}

void LogFile::WriteEvent(const LogEvent& event) {
    if (!m_Json) {
        ILogSink::WriteEvent(event);
        return;
    }
    std::deque<std::string> lines;
    lines.push_back(FormatEventJson(event, m_Now()) + '\n');
    Queue(std::move(lines));
}

void LogFile::Queue(std::deque<std::string> lines) {
    {
        std::scoped_lock lock(m_QueueMutex);
        m_QueuedCount += lines.size();
        for (std::string& text : lines) {
            m_Queue.push_back(Entry{std::move(text), false});
            ++m_QueuedLines;
        }
        CapQueue();
    }
    m_Wake.notify_all();
}

void LogFile::CapQueue() {
    while (m_QueuedLines > MAX_HELD_LINES) {
        const auto oldest =
            std::find_if(m_Queue.begin(), m_Queue.end(), [](const Entry& entry) { return !entry.m_Reopen; });
        m_Queue.erase(oldest);
        --m_QueuedLines;
        ++m_QueueDropped;
        ++m_HandledCount; // done with, for Flush
    }
}

void LogFile::SetNoticeHandler(NoticeHandler handler) {
    std::scoped_lock lock(m_NoticeMutex);
    m_NoticeHandler = std::move(handler);
    if (m_NoticeHandler) {
        for (const std::string& notice : m_PendingNotices) {
            m_NoticeHandler(notice);
        }
        m_PendingNotices.clear();
    }
}

void LogFile::Run() {
    std::unique_lock lock(m_QueueMutex);
    while (true) {
        m_Wake.wait(lock, [this] { return m_Stop || !m_Queue.empty(); });
        std::deque<Entry> entries;
        entries.swap(m_Queue);
        m_QueuedLines = 0;
        m_Dropped += std::exchange(m_QueueDropped, 0);
        const bool stop = m_Stop;
        lock.unlock();

        bool reopened = false;
        for (Entry& entry : entries) {
            if (entry.m_Reopen) {
                if (m_File.IsOpen()) {
                    WriteHeld(); // what came before the request belongs to the old file
                }
                CloseFile();
                reopened = true;
            } else {
                Hold(std::move(entry.m_Text));
            }
        }
        if (EnsureOpen()) { // a reopen with nothing to write still creates the new file
            WriteHeld();
            if (reopened) {
                Inform(REOPENED_NOTICE);
            }
        }

        lock.lock();
        m_HandledCount += entries.size();
        m_Handled.notify_all();
        if (stop && (m_Queue.empty() || m_GiveUp)) {
            m_Dropped += std::exchange(m_QueueDropped, 0) + m_QueuedLines;
            lock.unlock();
            SayUnwritten();
            lock.lock();
            m_WriterDone = true;
            m_Handled.notify_all();
            return;
        }
    }
}

void LogFile::SayUnwritten() {
    const uint64_t unwritten = m_Dropped + m_Held.size();
    if (unwritten > 0) {
        std::scoped_lock lock(m_NoticeMutex);
        m_Errors << "DravoServ: ERROR - " << unwritten << " log lines were never written to the log file \"" << m_Path
                 << "\"." << std::endl;
    }
}

bool LogFile::EnsureOpen() {
    if (m_File.IsOpen()) {
        return true;
    }
    std::string error;
    if (!m_File.Open(m_Path, error)) {
        Trouble(error);
        return false;
    }
    return true;
}

void LogFile::CloseFile() {
    m_File.Close();
}

void LogFile::Hold(std::string line) {
    m_Held.push_back(std::move(line));
    while (m_Held.size() > MAX_HELD_LINES) {
        m_Held.pop_front();
        ++m_Dropped;
    }
}

void LogFile::WriteHeld() {
    if (m_Dropped > 0) {
        const std::string note = DroppedNote();
        std::string error;
        if (!m_File.Write(note, error, &m_GiveUp)) {
            Failed(error);
            return;
        }
        m_Dropped = 0;
    }
    while (!m_Held.empty()) {
        std::string error;
        if (!m_File.Write(m_Held.front(), error, &m_GiveUp)) {
            Failed(error);
            return;
        }
        m_Held.pop_front();
    }
    m_Failing = false; // written: the next trouble is a new one
}

std::string LogFile::DroppedNote() const {
    const std::string text = std::to_string(m_Dropped) + " earlier log lines could not be written and were dropped.";
    if (m_Json) {
        const LogEvent event{std::string(event_name::LOG_DROPPED), EventLevel::Warning, text,
                             EventFieldList().Number("count", static_cast<int64_t>(m_Dropped)).Take(), true};
        return FormatEventJson(event, m_Now()) + '\n';
    }
    return LocalLogTimestamp(m_Now()) + ' ' + text + std::string(TEXT_LINE_END);
}

void LogFile::Failed(const std::string& reason) {
    if (reason == AppendFile::GAVE_UP) {
        return; // the end, not a trouble
    }
    Trouble(reason);
    CloseFile(); // the next line opens it anew: a FIFO's next reader, a file the operator mended
}

void LogFile::Trouble(const std::string& reason) {
    if (m_Failing) {
        return;
    }
    m_Failing = true;
    Notice("ERROR - Unable to write the log file \"" + m_Path + "\" (" + reason +
           "). The console log goes on; its lines are kept and written once the file can be written.");
}

void LogFile::Inform(const std::string& text) {
    std::scoped_lock lock(m_NoticeMutex);
    if (m_NoticeHandler) {
        m_NoticeHandler(text);
    }
}

void LogFile::Notice(const std::string& notice) {
    std::scoped_lock lock(m_NoticeMutex);
    m_Errors << "DravoServ: " << notice << std::endl;
    if (m_NoticeHandler) {
        m_NoticeHandler(notice);
    } else {
        m_PendingNotices.push_back(notice);
    }
}

} // namespace dravo
