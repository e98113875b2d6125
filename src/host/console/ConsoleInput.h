// IConsoleInput: lines for the console window's command input, from a service on another thread (the
// remote console).
//
// Contract. SubmitLine never blocks: the line runs later on the window thread, exactly as if typed into
// the command input, where "/action" names an action of the console window, "//text" sends "/text" as
// a console command, and anything else is a console command. The hooks run on the window thread around
// the line; when the window is gone, only Finished runs, with false, on whichever thread learns it.
#pragma once

#include <functional>
#include <string>

namespace dravo {

// How a submitted line ended.
enum class ConsoleLineResult { Ran, UnknownAction, WindowGone };

struct ConsoleLineHooks {
    std::function<void()> m_Started;                   // window thread, just before the line runs
    std::function<void(ConsoleLineResult)> m_Finished; // after it ran, or when it never can
};

class IConsoleInput {
public:
    virtual ~IConsoleInput() = default;
    // False when it could not be queued (Finished has run then).
    virtual bool SubmitLine(std::string line, ConsoleLineHooks hooks) = 0;
};

} // namespace dravo
