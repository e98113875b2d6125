// TerminalMessageBox: a message box as a small dialog of the terminal face - the caption as its
// title, the icon as a sign ("(i)", "(?)", "(!)"), the text wrapped, and OK or Yes and No. The box
// opens with the focus on its default button, which Enter presses; Esc answers OK, or No in a Yes/No
// box. Plain letters answer nothing: Alt+Y and Alt+N do, except in a question that opens on No, whose
// keys are LossQuestion's.
#pragma once

#include "window/DialogProcedure.h"
#include "window/DialogTemplate.h"
#include "window/LossQuestion.h"
#include "window/WindowSystem.h"

#include <string>
#include <string_view>
#include <vector>

namespace dravo {

class TerminalMessageBox final : public DialogProcedure {
public:
    static constexpr int ID_YES = QUESTION_ID_YES;
    static constexpr int ID_NO = QUESTION_ID_NO;
    // Widest a line of the text runs before it wraps.
    static constexpr int TEXT_COLUMNS = 56;

    TerminalMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons, MessageBoxIcon icon,
                       MessageBoxDefault defaultButton = MessageBoxDefault::First);
    TerminalMessageBox(const TerminalMessageBox&) = delete;
    TerminalMessageBox& operator=(const TerminalMessageBox&) = delete;

    const DialogTemplate& Template() const { return m_Template; }
    // The answer a dialog result stands for.
    MessageBoxResult Answer(int dialogResult) const;
    static std::string_view IconSign(MessageBoxIcon icon);

    void OnInit(DialogApi& dialog) override;
    void OnCommand(DialogApi& dialog, int id, Notification code) override;

private:
    MessageBoxButtons m_Buttons;
    int m_DefaultId; // the button the box opens on
    std::string m_Caption;
    std::string m_Text; // "&" doubled, so that it shows as written
    std::vector<ControlTemplate> m_Controls;
    DialogTemplate m_Template;
};

} // namespace dravo
