// EventfulWindows: the program's window system, with every error box also told as an event (the guide's
// error by its name), so that the event stream has the errors of start-up that no console log shows.
#pragma once

#include "host/console/LogEvent.h"
#include "window/WindowSystem.h"

#include <functional>

namespace dravo {

class EventfulWindows final : public WindowSystem {
public:
    using Emit = std::function<void(const LogEvent& event)>;

    explicit EventfulWindows(WindowSystem& windows) : m_Windows(windows) {}
    // Where the error events go; set on the window thread before the boxes it should hear of.
    void SetEmit(Emit emit) { m_Emit = std::move(emit); }

    int RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure& procedure) override {
        return m_Windows.RunDialog(dialogTemplate, procedure);
    }
    MessageBoxResult ShowMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                    MessageBoxIcon icon, MessageBoxDefault defaultButton) override;
    void SetWaitCursor(bool busy) override { m_Windows.SetWaitCursor(busy); }
    bool IsShiftHeld() override { return m_Windows.IsShiftHeld(); }
    void Post(std::function<void()> work) override { m_Windows.Post(std::move(work)); }
    void RequestClose() override { m_Windows.RequestClose(); }
    std::optional<ColorRgb> ChooseColor(ColorRgb initial) override { return m_Windows.ChooseColor(initial); }
    bool CanShowDialogs() const override { return m_Windows.CanShowDialogs(); }
    void ShowLateLogLine(std::string_view line) override { m_Windows.ShowLateLogLine(line); }
    void ShowNote(std::string_view note) override { m_Windows.ShowNote(note); }

private:
    WindowSystem& m_Windows;
    Emit m_Emit;
};

} // namespace dravo
