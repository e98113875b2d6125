// The console log's fan-out: each finished line to every attached sink and then to the view, notices
// from the sinks while the view can show them, and attaching and detaching while other threads log.
#include "host/console/ConsoleLog.h"
#include "support/RecordingView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dravo {
namespace {

using namespace std::chrono_literals;

// A sink that keeps its lines, and notes the order in which it and the view were handed each one.
class RecordingSink final : public ILogSink {
public:
    explicit RecordingSink(const test::RecordingView* view = nullptr) : m_View(view) {}

    void WriteLine(std::string_view line) override {
        std::scoped_lock lock(m_Mutex);
        m_Lines.emplace_back(line);
        if (m_View != nullptr && m_View->Logged(std::string(line))) {
            m_SeenByViewFirst = true;
        }
    }
    void SetNoticeHandler(NoticeHandler handler) override {
        std::scoped_lock lock(m_Mutex);
        m_Handler = std::move(handler);
        ++m_HandlerChanges;
    }

    std::vector<std::string> Lines() const {
        std::scoped_lock lock(m_Mutex);
        return m_Lines;
    }
    bool HasHandler() const {
        std::scoped_lock lock(m_Mutex);
        return static_cast<bool>(m_Handler);
    }
    int HandlerChanges() const {
        std::scoped_lock lock(m_Mutex);
        return m_HandlerChanges;
    }
    // Says something through the handler, as the log file does about its own trouble.
    void Notify(const std::string& notice) {
        NoticeHandler handler;
        {
            std::scoped_lock lock(m_Mutex);
            handler = m_Handler;
        }
        ASSERT_TRUE(handler);
        handler(notice);
    }
    bool SeenByViewFirst() const { return m_SeenByViewFirst; }

private:
    const test::RecordingView* m_View;
    mutable std::mutex m_Mutex;
    std::vector<std::string> m_Lines;
    NoticeHandler m_Handler;
    int m_HandlerChanges = 0;
    bool m_SeenByViewFirst = false;
};

TEST(ConsoleLog, EveryLineGoesToEachSinkBeforeTheViewUntilItIsDetached) {
    test::RecordingView view;
    RecordingSink file(&view);
    RecordingSink collector(&view);
    ConsoleLog log(view);
    log.Text("before any sink");
    log.Attach(file);
    log.Attach(collector);
    log.Attach(file); // once is enough
    log.Line("Players: %d", 3);
    log.Text("cut at the line feed\n");
    log.Detach(collector);
    log.Detach(collector); // a second detach changes nothing
    log.Text("the file alone");

    EXPECT_EQ(file.Lines(), (std::vector<std::string>{"Players: 3", "cut at the line feed", "the file alone"}));
    EXPECT_EQ(collector.Lines(), (std::vector<std::string>{"Players: 3", "cut at the line feed"}));
    EXPECT_EQ(view.Log(),
              (std::vector<std::string>{"before any sink", "Players: 3", "cut at the line feed", "the file alone"}));
    EXPECT_FALSE(file.SeenByViewFirst());
    EXPECT_FALSE(collector.SeenByViewFirst());
}

TEST(ConsoleLog, ASinksNoticesJoinTheLogOnlyWhileTheyAreShown) {
    test::RecordingView view;
    RecordingSink early;
    RecordingSink late;
    ConsoleLog log(view);
    log.Attach(early);
    EXPECT_FALSE(early.HasHandler()); // the view cannot show lines yet: the sink keeps its notices

    log.ShowNotices(true);
    ASSERT_TRUE(early.HasHandler());
    log.Attach(late); // attached while notices are shown: at once
    ASSERT_TRUE(late.HasHandler());
    early.Notify("ERROR - Unable to write the log file");
    // A notice is a line of the log like any other: every sink has it, the one that said it too.
    EXPECT_EQ(view.Log(), std::vector<std::string>{"ERROR - Unable to write the log file"});
    EXPECT_EQ(early.Lines(), std::vector<std::string>{"ERROR - Unable to write the log file"});
    EXPECT_EQ(late.Lines(), std::vector<std::string>{"ERROR - Unable to write the log file"});

    log.Detach(late);
    EXPECT_FALSE(late.HasHandler());
    log.ShowNotices(true); // already shown: nothing changes
    EXPECT_EQ(early.HandlerChanges(), 1);
    log.ShowNotices(false);
    EXPECT_FALSE(early.HasHandler());
}

TEST(ConsoleLog, GoingAwayDetachesItsSinks) {
    test::RecordingView view;
    RecordingSink file;
    {
        ConsoleLog log(view);
        log.Attach(file);
        log.ShowNotices(true);
        ASSERT_TRUE(file.HasHandler());
    }
    EXPECT_FALSE(file.HasHandler()); // no notice can reach the log that is gone
}

// A sink whose first line waits for its test: it detaches itself from another thread while it is still
// inside WriteLine, and notes whether that Detach returned before the line was finished.
class DetachingSink final : public ILogSink {
public:
    explicit DetachingSink(ConsoleLog& log) : m_Log(log) {}
    ~DetachingSink() override {
        if (m_Detacher.joinable()) {
            m_Detacher.join();
        }
    }

    void WriteLine(std::string_view /*line*/) override {
        if (m_Detacher.joinable()) {
            m_LinesAfterDetach += m_Detached ? 1 : 0;
            return;
        }
        m_Detacher = std::thread([this] {
            m_Log.Detach(*this);
            std::scoped_lock lock(m_Mutex);
            m_Detached = true;
            m_Changed.notify_all();
        });
        // Detach must wait for this line; given the time to return, it must not have.
        std::unique_lock lock(m_Mutex);
        m_ReturnedEarly = m_Changed.wait_for(lock, 100ms, [this] { return m_Detached.load(); });
    }
    void SetNoticeHandler(NoticeHandler /*handler*/) override {}

    void WaitForDetach() {
        std::unique_lock lock(m_Mutex);
        ASSERT_TRUE(m_Changed.wait_for(lock, 5s, [this] { return m_Detached.load(); }));
    }
    bool ReturnedEarly() const { return m_ReturnedEarly; }
    int LinesAfterDetach() const { return m_LinesAfterDetach; }

private:
    ConsoleLog& m_Log;
    std::thread m_Detacher;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::atomic<bool> m_Detached{false};
    bool m_ReturnedEarly = false;
    int m_LinesAfterDetach = 0;
};

TEST(ConsoleLog, DetachWaitsForTheLineBeingHandedToTheSink) {
    test::RecordingView view;
    ConsoleLog log(view);
    DetachingSink sink(log);
    log.Attach(sink);
    std::thread worker([&] { log.Text("from the worker"); });
    worker.join();
    sink.WaitForDetach();
    log.Text("after the detach");
    EXPECT_FALSE(sink.ReturnedEarly());
    EXPECT_EQ(sink.LinesAfterDetach(), 0);
    EXPECT_EQ(view.Log(), (std::vector<std::string>{"from the worker", "after the detach"}));
}

// Lines from several threads while a collector attaches and detaches again and again: it only ever has
// lines that came while it was attached, and once detached it gets none.
TEST(ConsoleLog, AttachingAndDetachingIsSafeWhileOtherThreadsLog) {
    test::RecordingView view;
    ConsoleLog log(view);
    std::atomic<bool> stop{false};
    constexpr int MAX_LINES_PER_THREAD = 20000;
    std::vector<std::thread> loggers;
    for (int thread = 0; thread < 3; ++thread) {
        loggers.emplace_back([&, thread] {
            for (int line = 0; !stop && line < MAX_LINES_PER_THREAD; ++line) {
                log.Line("thread %d line %d", thread, line);
            }
        });
    }
    constexpr int ROUNDS = 200;
    for (int round = 0; round < ROUNDS; ++round) {
        RecordingSink collector;
        log.Attach(collector);
        log.Text("marker");
        log.Detach(collector);
        const std::vector<std::string> lines = collector.Lines();
        log.Text("after");
        EXPECT_EQ(collector.Lines().size(), lines.size()) << "a line arrived after the detach";
        EXPECT_NE(std::find(lines.begin(), lines.end(), "marker"), lines.end());
    }
    stop = true;
    for (std::thread& logger : loggers) {
        logger.join();
    }
}

} // namespace
} // namespace dravo
