// A running dialog of the terminal face for the tests of its keys: a procedure that writes down the
// commands it gets, a face that counts changes, and the operator's keys.
#pragma once

#include "support/ScriptedWindowSystem.h"
#include "window/DialogFace.h"
#include "window/WindowThreadQueue.h"
#include "window/terminal/TerminalDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo::test {

enum Id : int {
    NAME = 10,
    DIGITS = 11,
    LOUD = 12,
    ITEMS = 13,
    PLAIN = 14,
    GO = 15,
    SECRET = 16,
    OFF = 17,
    LOG = 18,
    SEND = 19,
};

struct Command {
    int Id;
    Notification Code;
    bool operator==(const Command&) const = default;
};

class RecordingProcedure final : public DialogProcedure {
public:
    bool ReactToDoubleClicks = true;
    bool KeepsAHistory = false; // completes the input with "!" and recalls "<step>:<text>"
    std::vector<Command> Commands;
    std::vector<std::string> HelpKeys; // what the face handed with F1
    bool RunsPastes = false;           // takes pasted lines, kept in Pasted
    std::vector<std::vector<std::string>> Pasted;

    bool OnPasteLines(DialogApi& /*dialog*/, int /*id*/, const std::vector<std::string>& lines) override {
        if (RunsPastes) {
            Pasted.push_back(lines);
        }
        return RunsPastes;
    }

    std::optional<std::string> OnRecallLine(DialogApi& /*dialog*/, int /*id*/, int step,
                                            std::string_view current) override {
        return KeepsAHistory ? std::optional(std::to_string(step) + ":" + std::string(current)) : std::nullopt;
    }
    std::optional<InputCompletion> OnCompleteLine(DialogApi& /*dialog*/, int /*id*/, std::string_view text) override {
        return KeepsAHistory ? std::optional(InputCompletion{std::string(text) + "!", {}}) : std::nullopt;
    }

    bool OnHelpAsked(DialogApi& /*dialog*/, const std::vector<std::string>& keys) override {
        HelpKeys = keys;
        return true;
    }

    void OnCommand(DialogApi& dialog, int id, Notification code) override {
        Commands.push_back({id, code});
        if (code == Notification::DoubleClick && ReactToDoubleClicks) {
            dialog.PostCommand(GO);
        }
    }
};

class TestFace final : public DialogFace {
public:
    WindowSystem& Windows() override { return m_Windows; }
    const std::shared_ptr<WindowThreadQueue>& Queue() override { return m_Queue; }
    void OnControlChanged(const ControlState& /*control*/) override { ++Changes; }
    uint64_t Activity() const { return Changes + m_Queue->PostCount(); }

    uint64_t Changes = 0;

private:
    ScriptedWindowSystem m_Windows;
    std::shared_ptr<WindowThreadQueue> m_Queue = std::make_shared<WindowThreadQueue>();
};

// A running dialog of a template and the operator's keys on it.
class DialogDriver {
protected:
    explicit DialogDriver(const DialogTemplate& dialogTemplate)
        : m_Template(dialogTemplate), m_Api(dialogTemplate, m_Procedure, m_Face),
          m_Dialog(m_Api, [this] { return m_Face.Activity(); }) {
        m_Dialog.LayOut(80, 24);
    }
    void Press(KeyKind kind, char letter = 0) { m_Dialog.HandleKey(KeyEvent{kind, letter}); }
    void Type(std::string_view text) {
        for (const char c : text) {
            Press(KeyKind::Char, c);
        }
    }
    int FocusedId() const {
        return m_Dialog.Focus() < 0 ? NO_CONTROL_ID : m_Template.m_Controls[static_cast<size_t>(m_Dialog.Focus())].m_Id;
    }

    const DialogTemplate& m_Template;
    RecordingProcedure m_Procedure;
    TestFace m_Face;
    DialogApi m_Api;
    TerminalDialog m_Dialog;
};

// A dialog whose Enter belongs to its input edit, as the console window's does.
inline constexpr ControlTemplate CONSOLE_CONTROLS[] = {
    {DIALOG_ID_CANCEL, ControlKind::PushButton, "&Shutdown", {5, 5, 40, 14}},
    {GO, ControlKind::PushButton, "&Go", {50, 5, 40, 14}},
    {LOG, ControlKind::Edit, "", {5, 25, 130, 40}, ControlFlag::MultiLine | ControlFlag::ReadOnly},
    {NAME, ControlKind::Edit, "", {5, 70, 100, 12}, ControlFlag::HorizontalScroll},
    {PLAIN, ControlKind::PushButton, "Clear", {110, 70, 25, 12}},
    {SEND, ControlKind::DefaultPushButton, "Send", {110, 85, 20, 8}, ControlFlag::Hidden},
};
inline constexpr DialogTemplate CONSOLE = {"", 5, "Console", 140, 95, "", 0, DialogStyle::Popup, CONSOLE_CONTROLS};

class TypingFirstDialogTest : public ::testing::Test, protected DialogDriver {
protected:
    // A log of 40 lines, more than it shows.
    TypingFirstDialogTest() : DialogDriver(CONSOLE) {
        std::string text;
        for (int line = 0; line < 40; ++line) {
            text += "line " + std::to_string(line) + "\r\n";
        }
        (void)m_Api.EditAppend(LOG, text);
    }
};

} // namespace dravo::test
