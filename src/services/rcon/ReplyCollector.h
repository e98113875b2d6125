// ReplyCollector: gathers the console lines that remote commands produce.
//
// Contract. It is attached to the console log as a line sink, so WriteLine runs on whichever thread
// adds a line. Each command has a Capture; the window thread opens it just before the command runs
// (Begin), and from then on every console line goes into each open capture, up to its byte limit,
// until the remote console's thread takes the text (Take), a bounded time after the command ended.
// A capture abandoned before it began (End with the console gone, or a timeout) never opens.
#pragma once

#include "host/console/LogSink.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace dravo {

class ReplyCollector final : public ILogSink {
public:
    struct Capture {
        size_t m_Limit = 0;
        std::string m_Text;   // lines, each ending in "\n"
        size_t m_LeftOut = 0; // bytes of lines past the limit
        bool m_Open = false;
        bool m_Abandoned = false;
    };

    std::shared_ptr<Capture> Create(size_t limit);
    // Window thread, just before the command runs.
    void Begin(const std::shared_ptr<Capture>& capture);
    // The remote console's thread: closes the capture and returns its text (with a note when cut).
    std::string Take(const std::shared_ptr<Capture>& capture);
    // It will never be taken: it stops collecting (or never starts).
    void Abandon(const std::shared_ptr<Capture>& capture);

    void WriteLine(std::string_view line) override;
    void SetNoticeHandler(NoticeHandler /*handler*/) override {}

private:
    void Remove(const std::shared_ptr<Capture>& capture);

    std::mutex m_Mutex;
    std::vector<std::shared_ptr<Capture>> m_Open; // guarded by m_Mutex, with every capture's fields
};

} // namespace dravo
