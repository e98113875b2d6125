// Reading lines as a job on the blocking pool from a console, pipe or file handle. A blocked ReadFile
// cannot be woken portably on Windows (CancelSynchronousIo ends pipe and file reads, not every console
// read), so stopping cuts the handlers off first, tries to cancel the read, and lets the job go: it holds
// only its shared context, and it ends with its read or with the program (whose end waits for it a bounded
// time). The job reads from a duplicate
// of the descriptor's handle that it owns and closes, so a descriptor closed by its owner while a read
// is still under way never leaves the thread reading from a handle number the system has handed to
// something else (a socket, say).
#include "platform/os/LineReader.h"

#include "platform/os/BlockingPool.h"

#include <windows.h>

#include <io.h>

#include <mutex>
#include <system_error>
#include <utility>

namespace dravo {

struct LineReader::Context {
    HANDLE m_Input = INVALID_HANDLE_VALUE; // the job's own duplicate, closed when it ends
    bool m_Started = false;                // the owner's: the reading job was handed to the pool
    std::mutex m_Mutex;                    // guards the handlers, m_Stopped and m_ThreadId
    bool m_Stopped = false;
    DWORD m_ThreadId = 0; // the pool thread reading, while the job runs: a thread that has moved on is not cancelled
    LineHandler m_OnLine;
    EndHandler m_OnEnd;

    void Run() {
        bool reading = false;
        {
            std::scoped_lock lock(m_Mutex);
            reading = !m_Stopped;
            if (reading) {
                m_ThreadId = GetCurrentThreadId();
            }
        }
        if (reading) {
            Read();
        }
        CloseHandle(m_Input);
        m_Input = INVALID_HANDLE_VALUE;
        std::scoped_lock lock(m_Mutex);
        m_ThreadId = 0;
        if (!m_Stopped && m_OnEnd) {
            m_OnEnd();
        }
    }

    void Read() {
        // The splitter calls this, which hands the line on unless the owner has gone.
        const LineHandler forward = [this](std::string line) {
            std::scoped_lock lock(m_Mutex);
            if (!m_Stopped && m_OnLine) {
                m_OnLine(std::move(line));
            }
        };
        LineSplitter lines(forward);
        char buffer[4096];
        for (;;) {
            DWORD got = 0;
            if (ReadFile(m_Input, buffer, sizeof buffer, &got, nullptr) == 0 || got == 0) {
                break; // the end of a pipe or file, a closed console, or a cancelled read
            }
            // Ctrl+Z at the start of a console line is the console's end of input.
            if (GetFileType(m_Input) == FILE_TYPE_CHAR && buffer[0] == '\x1A') {
                break;
            }
            lines.Feed(std::string_view(buffer, got));
        }
        lines.Finish();
    }
};

LineReader::LineReader(int fd, BlockingPool& pool, LineHandler onLine, EndHandler onEnd)
    : m_Context(std::make_shared<Context>()) {
    m_Context->m_OnLine = std::move(onLine);
    m_Context->m_OnEnd = std::move(onEnd);
    const intptr_t osHandle = fd < 0 ? -1 : _get_osfhandle(fd);
    HANDLE own = INVALID_HANDLE_VALUE;
    if (osHandle != -1 && osHandle != -2 && osHandle != 0 &&
        DuplicateHandle(GetCurrentProcess(), reinterpret_cast<HANDLE>(osHandle), GetCurrentProcess(), &own, 0, FALSE,
                        DUPLICATE_SAME_ACCESS) == 0) {
        own = INVALID_HANDLE_VALUE;
    }
    m_Context->m_Input = own;
    if (own == INVALID_HANDLE_VALUE || own == nullptr) {
        // Nothing to read: the input has ended.
        if (m_Context->m_OnEnd) {
            m_Context->m_OnEnd();
        }
        return;
    }
    // The owner never waits for a read.
    if (!pool.Submit([context = m_Context] { context->Run(); })) {
        CloseHandle(own);
        m_Context->m_Input = INVALID_HANDLE_VALUE;
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again),
                                "cannot start the input reader");
    }
    m_Context->m_Started = true;
}

LineReader::~LineReader() {
    if (!m_Context->m_Started) {
        return;
    }
    std::scoped_lock lock(m_Context->m_Mutex);
    m_Context->m_Stopped = true;
    m_Context->m_OnLine = nullptr;
    m_Context->m_OnEnd = nullptr;
    // Under the lock the job clears its thread's id with: the read cancelled is this job's.
    if (m_Context->m_ThreadId == 0) {
        return;
    }
    if (HANDLE thread = OpenThread(THREAD_TERMINATE, FALSE, m_Context->m_ThreadId)) {
        CancelSynchronousIo(thread);
        CloseHandle(thread);
    }
}

} // namespace dravo
