// What a QueuedOutput's writer thread shares with its owner, and the platform's part of writing.
#pragma once

#include "platform/os/QueuedOutput.h"

#include <atomic>
#include <thread>

namespace dravo {

struct QueuedOutput::State {
    struct Text {
        std::string m_Bytes;
        uint64_t m_DroppedBefore = 0; // texts dropped just before this one
    };

    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::deque<Text> m_Queue; // guarded by m_Mutex, as is everything down to m_Ended
    size_t m_QueuedBytes = 0;
    uint64_t m_Dropping = 0; // dropped since the last text queued
    uint64_t m_DroppedTotal = 0;
    bool m_Busy = false;               // the writer holds a text it took from the queue
    bool m_Finishing = false;          // nothing more is taken; the writer ends once the queue is empty
    bool m_Gone = false;               // the stream takes nothing more
    bool m_Ended = false;              // the writer thread has left its loop
    std::atomic<bool> m_GiveUp{false}; // the write under way must end now

    const int m_Descriptor;
    const std::string m_StreamName;
    intptr_t m_Platform = 0; // each platform's own: the writer thread's handle on Windows

    State(int descriptor, std::string streamName) : m_Descriptor(descriptor), m_StreamName(std::move(streamName)) {}

    // The writer thread's loop.
    void Run();

    // Each platform's (QueuedOutput_posix.cpp, _win32.cpp).
    enum class Written { All, Gone, GaveUp };
    // All of `text`, unless the stream fails (Gone) or m_GiveUp is set (GaveUp). Writer thread.
    Written WriteAll(std::string_view text);
    // Called by the writer thread as it starts and as it ends.
    void EnterWriter();
    void LeaveWriter();
    // Any thread, after m_GiveUp is set: has a write under way see it soon.
    void Interrupt();
};

} // namespace dravo
