// LogFile: appends the console log to a file, each line with its local time (ISO 8601).
//
// Contract. WriteLine (any thread, the worker included) stamps the line and
// queues it; a writer thread of its own appends to the file, so no caller ever
// waits for the disk. Reopen (any thread, the SIGHUP watcher) has the writer
// close and reopen the file, for log rotation. When the file cannot be opened or
// written, the trouble is said once (on the error stream and through the notice
// handler, into the console log), the lines are kept (up to MAX_HELD_LINES) and
// every later line tries again; the console log itself goes on regardless. A
// successful reopen says "Log file reopened." in the console log (and so as the
// first line of the new file).
#pragma once

#include "host/LogSink.h"
#include "platform/AppendFile.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
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
    // Writes what is queued (as far as the file allows), then stops the writer.
    ~LogFile() override;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Opens the file for appending and starts the writer; false when it cannot be opened (said once).
    [[nodiscard]] bool Open();
    // Has the writer reopen the file before its next write. Never blocks.
    void Reopen();
    // Waits, at most `bound`, until everything queued before the call has been handled.
    [[nodiscard]] bool Flush(std::chrono::milliseconds bound);

    // ILogSink.
    void WriteLine(std::string_view line) override;
    void SetNoticeHandler(NoticeHandler handler) override;

    const std::string& Path() const { return m_Path; }

private:
    void Run();
    // Writer thread: opens the file when it is closed; false (said once) when it cannot.
    bool EnsureOpen();
    void CloseFile();
    // Writer thread: writes the held lines in order; stops at the first failure.
    void WriteHeld();
    void Hold(std::string line);
    // Says a trouble once per outage.
    void Trouble(const std::string& reason);
    void Notice(const std::string& notice);
    // A note for the console log only, dropped when no handler is installed.
    void Inform(const std::string& text);

    const std::string m_Path;
    std::ostream& m_Errors;
    TimeSource m_Now;

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
    uint64_t m_HandledCount = 0; // entries the writer has taken and handled
    bool m_Stop = false;

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
