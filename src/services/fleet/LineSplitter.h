// LineSplitter: cuts a stream of bytes into lines, each at most a bound long.
//
// The watch stream sends one JSON object a line. A line longer than the bound is thrown away whole, up to
// its end, and counted; nothing ever grows past the bound.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace dravo {

class LineSplitter {
public:
    explicit LineSplitter(size_t maxLine) : m_MaxLine(maxLine) {}

    // Hands each line finished in `piece` to `line`, without its line feed (and carriage return).
    void Feed(std::string_view piece, const std::function<void(std::string_view)>& line);
    // Starts over, as for a new stream.
    void Reset();
    size_t DroppedLines() const { return m_Dropped; }

private:
    size_t m_MaxLine;
    std::string m_Partial;
    bool m_Skipping = false; // inside a line that went past the bound
    size_t m_Dropped = 0;
};

} // namespace dravo
