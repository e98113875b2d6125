// IClock: the system's millisecond clock (32 bits, wraps), replaceable in tests.
#pragma once

#include <cstdint>
#include <memory>

namespace dravo {

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start; differences are taken unsigned.
    virtual uint32_t NowMs() const = 0;
    // Microseconds of a steady clock of its own start, for bounds shorter than a millisecond; a clock that
    // keeps only milliseconds gives whole ones.
    virtual uint64_t NowUs() const { return uint64_t{NowMs()} * 1000; }
    // Sleeps the calling thread; a fake clock may advance its time instead.
    virtual void SleepMs(uint32_t milliseconds) = 0;
};

// The real clock: a steady monotonic clock.
std::unique_ptr<IClock> CreateSystemClock();

} // namespace dravo
