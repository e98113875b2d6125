// DialogFace: what a face of the window system lends to each dialog it runs - the queue of the window
// thread, message boxes, timer ids it accepts, and notice of changes it may want to show.
#pragma once

#include "window/WindowSystem.h"

#include <memory>
#include <string_view>

namespace dravo {

class ControlState;
class WindowThreadQueue;

class DialogFace {
public:
    virtual ~DialogFace() = default;

    virtual WindowSystem& Windows() = 0;
    virtual const std::shared_ptr<WindowThreadQueue>& Queue() = 0;
    // Whether a dialog may use this timer id.
    virtual bool AcceptsTimer(int timerId) { return timerId >= 0; }
    // Text was appended to an edit control (the console log, among others).
    virtual void OnTextAppended(const ControlState& /*control*/, std::string_view /*text*/) {}
    // Something of a control changed: its text, items, check, enabled or visible state.
    virtual void OnControlChanged(const ControlState& /*control*/) {}
};

} // namespace dravo
