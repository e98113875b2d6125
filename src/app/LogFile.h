// LogFile: appends the console log to a file, each line with its local time (ISO 8601).
//
// Contract. WriteLine (any thread, the worker included) stamps the line and
// queues it; a writer thread of its own appends to the file, so no caller ever
// waits for the disk. Reopen (any thread, the SIGHUP watcher) has the writer
// close and reopen the file, for log rotation. When the file cannot be opened or
// written, the trouble is said once (on the error stream and through the notice
// handler, into the console log), the lines are kept (up to MAX_HELD_LINES) and
// every later line tries again (a file that failed is opened anew); the console
// log itself goes on regardless. A successful reopen says "Log file reopened."
// in the console log (and so as the first line of the new file).
//
// Nothing here waits for a reader: a FIFO with nobody reading it is a file that
// cannot be opened, and while a reader does not read, the writer waits for it
// alone. Lines that wait are capped at MAX_HELD_LINES whichever side of the
// writer they wait on; the oldest go first, counted, and the file says how many
// once it can be written. The destructor gives the writer FINISH_WAIT to write
// what is left, then has it give up, and says on the error stream how many lines
// were never written.
#pragma once

#include "host/console/LogSink.h"
#include "platform/fs/AppendFile.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>

namespace dravo {

constexpr size_t MAX_HELD_LINES = 10000; // lines kept while the file cannot be written
// Told through the notice handler (only) once the file has been reopened.
inline constexpr const char* REOPENED_NOTICE = "Log file reopened.";

class LogFile final : public ILogSink {
public:
    using TimeSource = std::function<std::chrono::system_clock::time_point()>;

    // `errors` receives the trouble messages as "DravoServ: <message>" lines.
    LogFile(std::string path, std::ostream& errors, TimeSource now = std::chrono::system_clock::now);
    static constexpr std::chrono::milliseconds FINISH_WAIT{1000};
    // The end of a text line in the file: the system's own, so that the plain editors of Windows show
    // one line a line. JSON lines end in "\n" everywhere, as their readers expect.
#ifdef _WIN32
    static constexpr std::string_view TEXT_LINE_END = "\r\n";
#else
    static constexpr std::string_view TEXT_LINE_END = "\n";
#endif

    // Writes what is queued (as far as the file allows, within FINISH_WAIT), then stops the writer.
    ~LogFile() override;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // JSON: each line is one event as JSON (EventJson) instead of a stamped plain line. Before Open.
    void SetJson(bool json) {
        m_Json = json;
    }

    // Opens the file for appending and starts the writer; false when it cannot be opened (said once).
    [[nodiscard]] bool Open();
    // Has the writer reopen the file before its next write. Never blocks.
    void Reopen();
    // Waits, at most `bound`, until everything queued before the call has been handled.
    [[nodiscard]] bool Flush(std::chrono::milliseconds bound);

    // ILogSink.
    void WriteLine(std::string_view line) override;
    void WriteEvent(const LogEvent& event) override;
    void SetNoticeHandler(NoticeHandler handler) override;

    const std::string& Path() const {
        return m_Path;
    }

private:
    // Queues finished lines, each ending in a line feed.
    void Queue(std::deque<std::string> lines);
    // The note that replaces lines given up, as the file's format writes it.
    std::string DroppedNote() const;
    void Run();
    // Under m_QueueMutex: drops the oldest queued line (counted) once too many wait.
    void CapQueue();
    // Writer thread, at its end: says how many lines were never written.
    void SayUnwritten();
    // Writer thread: opens the file when it is closed; false (said once) when it cannot.
    bool EnsureOpen();
    void CloseFile();
    // Writer thread: writes the held lines in order; stops at the first failure.
    void WriteHeld();
    void Hold(std::string line);
    // A write that failed: the trouble said, the file closed (a give-up at the end is no trouble).
    void Failed(const std::string& reason);
    // Says a trouble once per outage.
    void Trouble(const std::string& reason);
    void Notice(const std::string& notice);
    // A note for the console log only, dropped when no handler is installed.
    void Inform(const std::string& text);

    const std::string m_Path;
    std::ostream& m_Errors;
    TimeSource m_Now;
    bool m_Json = false;

    // Shared with the callers; guarded by m_QueueMutex.
    std::mutex m_QueueMutex;
    std::condition_variable m_Wake;
    std::condition_variable m_Handled;
    struct Entry {
        std::string m_Text;    // a stamped line ending in a line feed
        bool m_Reopen = false; // instead of a line: reopen the file before the lines that follow
    };
    std::deque<Entry> m_Queue;   // in order: lines written before a reopen go to the old file
    uint64_t m_QueuedCount = 0;  // entries queued so far
    uint64_t m_HandledCount = 0; // entries the writer has taken and handled (or dropped)
    size_t m_QueuedLines = 0;    // lines in m_Queue
    uint64_t m_QueueDropped = 0; // lines dropped from m_Queue, not yet told to the writer
    bool m_Stop = false;
    bool m_WriterDone = false;
    std::atomic<bool> m_GiveUp{false}; // the end: a write that waits for a reader ends now

    // Writer thread only.
    AppendFile m_File;
    bool m_Failing = false;         // the current trouble has been said
    std::deque<std::string> m_Held; // lines not yet written, oldest first
    uint64_t m_Dropped = 0;         // lines given up because too many were held

    // The notices and the handler that takes them; guarded by m_NoticeMutex.
    std::mutex m_NoticeMutex;
    NoticeHandler m_NoticeHandler;
    std::deque<std::string> m_PendingNotices;

    std::thread m_Writer;
};

} // namespace dravo
