// Reading lines as a job on the blocking pool from a console, pipe or file handle. A pipe (what a service
// manager or another program gives) is read only as far as it holds bytes, and between looks the job waits
// on an event that stopping sets, so the job ends at once when its owner goes, whether or not the writer
// ever writes or closes; the program's end then has no read to wait out. A console read blocks in the
// system: stopping cuts the handlers off first, cancels the read (CancelSynchronousIo, which not every
// system honours for a console) and lets the job go: it holds only its shared context, and it ends with its
// read or with the program, whose end does not wait for a read that may block for good (nor for a pipe
// that cannot be looked at). The job reads from a duplicate
// of the descriptor's handle that it owns and closes, so a descriptor closed by its owner while a read
// is still under way never leaves the thread reading from a handle number the system has handed to
// something else (a socket, say).
#include "platform/os/LineReader.h"

#include "platform/os/BlockingPool.h"

#include <windows.h>

#include <io.h>

#include <algorithm>
#include <mutex>
#include <system_error>
#include <utility>

namespace dravo {

namespace {

// How long a reader of an idle pipe waits between looks at it, unless its stop comes first.
constexpr DWORD PIPE_LOOK_MS = 50;

} // namespace

struct LineReader::Context {
    HANDLE m_Input = INVALID_HANDLE_VALUE; // the job's own duplicate, closed when it ends
    HANDLE m_Stop = nullptr;               // set when the owner stops; closed with the context
    bool m_Started = false;                // the owner's: the reading job was handed to the pool
    std::mutex m_Mutex;                    // guards the handlers, m_Stopped and m_ThreadId
    bool m_Stopped = false;
    DWORD m_ThreadId = 0; // the pool thread reading, while the job runs: a thread that has moved on is not cancelled
    LineHandler m_OnLine;
    EndHandler m_OnEnd;

    ~Context() {
        if (m_Stop != nullptr) {
            CloseHandle(m_Stop);
        }
    }

    // How many bytes of a pipe can be read without blocking, waiting until some are there: 0 at the end of
    // the pipe or when stopped; `wanted` itself, with `blocking` set, when the handle cannot be looked at
    // (a socket, or a pipe of the host system's under a compatibility layer).
    DWORD WaitForPipe(DWORD wanted, bool& blocking) const {
        for (;;) {
            DWORD available = 0;
            if (PeekNamedPipe(m_Input, nullptr, 0, nullptr, &available, nullptr) == 0) {
                const DWORD error = GetLastError();
                blocking = error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED;
                return blocking ? wanted : 0;
            }
            if (available > 0) {
                return std::min(available, wanted);
            }
            if (WaitForSingleObject(m_Stop, PIPE_LOOK_MS) != WAIT_TIMEOUT) {
                return 0; // stopped
            }
        }
    }

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

    // A read that may wait for good is one the program's end does not wait for: its owner may have stopped,
    // and nothing it holds needs finishing.
    bool ReadSome(char* buffer, DWORD wanted, bool blocking, DWORD& got) const {
        if (!blocking) {
            return ReadFile(m_Input, buffer, wanted, &got, nullptr) != 0 && got > 0;
        }
        const BlockingPool::NotWaitedFor unwaited;
        return ReadFile(m_Input, buffer, wanted, &got, nullptr) != 0 && got > 0;
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
        const bool pipe = GetFileType(m_Input) == FILE_TYPE_PIPE;
        for (;;) {
            bool blocking = !pipe; // a console's read waits for a whole line; a file's never waits
            const DWORD wanted = pipe ? WaitForPipe(sizeof buffer, blocking) : DWORD{sizeof buffer};
            DWORD got = 0;
            if (wanted == 0 || !ReadSome(buffer, wanted, blocking, got)) {
                break; // the end of a pipe or file, a closed console, a stop, or a cancelled read
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
    m_Context->m_Stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (m_Context->m_Stop == nullptr && own != INVALID_HANDLE_VALUE && own != nullptr) {
        CloseHandle(own); // no way to stop a reader later: taken as the end of input, as a failed duplicate is
        own = INVALID_HANDLE_VALUE;
        m_Context->m_Input = own;
    }
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
    SetEvent(m_Context->m_Stop); // a pipe's reader ends at its next look, without waiting for the writer
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
