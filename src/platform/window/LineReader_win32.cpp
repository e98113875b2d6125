// Reading lines on a thread of their own from a console, pipe or file handle. A blocked ReadFile cannot
// be woken portably on Windows (CancelSynchronousIo ends pipe and file reads, not every console read), so
// stopping cuts the handlers off first, tries to cancel the read, and lets the thread go: it holds only
// its shared context, and it ends with its read or with the process.
#include "platform/window/LineReader.h"

#include <windows.h>

#include <io.h>

#include <atomic>
#include <mutex>
#include <utility>

namespace dravo {

struct LineReader::Context {
    HANDLE m_Input = INVALID_HANDLE_VALUE;
    std::atomic<DWORD> m_ThreadId{0}; // the reading thread's, once it runs
    std::mutex m_Mutex;               // guards the handlers and m_Stopped
    bool m_Stopped = false;
    LineHandler m_OnLine;
    EndHandler m_OnEnd;

    void Run() {
        m_ThreadId = GetCurrentThreadId();
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
        std::scoped_lock lock(m_Mutex);
        if (!m_Stopped && m_OnEnd) {
            m_OnEnd();
        }
    }
};

LineReader::LineReader(int fd, LineHandler onLine, EndHandler onEnd) : m_Context(std::make_shared<Context>()) {
    m_Context->m_OnLine = std::move(onLine);
    m_Context->m_OnEnd = std::move(onEnd);
    const intptr_t osHandle = fd < 0 ? -1 : _get_osfhandle(fd);
    m_Context->m_Input = osHandle == -1 || osHandle == -2 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(osHandle);
    if (m_Context->m_Input == INVALID_HANDLE_VALUE || m_Context->m_Input == nullptr) {
        // Nothing to read: the input has ended.
        if (m_Context->m_OnEnd) {
            m_Context->m_OnEnd();
        }
        return;
    }
    m_Thread = std::thread([context = m_Context] { context->Run(); });
}

LineReader::~LineReader() {
    if (!m_Thread.joinable()) {
        return;
    }
    {
        std::scoped_lock lock(m_Context->m_Mutex);
        m_Context->m_Stopped = true;
        m_Context->m_OnLine = nullptr;
        m_Context->m_OnEnd = nullptr;
    }
    if (HANDLE thread = OpenThread(THREAD_TERMINATE, FALSE, m_Context->m_ThreadId.load())) {
        CancelSynchronousIo(thread);
        CloseHandle(thread);
    }
    m_Thread.detach();
}

} // namespace dravo
