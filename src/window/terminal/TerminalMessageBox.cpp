// A message box laid out as a dialog template at run time.
#include "window/terminal/TerminalMessageBox.h"

#include "window/DialogApi.h"
#include "window/terminal/TerminalRenderer.h"

#include <algorithm>

namespace dravo {
namespace {

constexpr int16_t MARGIN = 8;
constexpr int16_t UNITS_PER_COLUMN = 4;
constexpr int16_t UNITS_PER_LINE = 8;
constexpr int16_t SIGN_WIDTH = 16;
constexpr int16_t BUTTON_WIDTH = 40;
constexpr int16_t BUTTON_HEIGHT = 14;
constexpr int16_t BUTTON_GAP = 8;

std::string DoubleAmpersands(std::string_view text) {
    std::string doubled;
    for (const char c : text) {
        doubled.push_back(c);
        if (c == '&') {
            doubled.push_back('&');
        }
    }
    return doubled;
}

} // namespace

std::string_view TerminalMessageBox::IconSign(MessageBoxIcon icon) {
    switch (icon) {
    case MessageBoxIcon::Information:
        return "(i)";
    case MessageBoxIcon::Question:
        return "(?)";
    case MessageBoxIcon::Exclamation:
        return "(!)";
    case MessageBoxIcon::None:
        break;
    }
    return {};
}

TerminalMessageBox::TerminalMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                       MessageBoxIcon icon, MessageBoxDefault defaultButton)
    : m_Buttons(buttons), m_DefaultId(buttons == MessageBoxButtons::Ok             ? DIALOG_ID_OK
                                      : defaultButton == MessageBoxDefault::Second ? ID_NO
                                                                                   : ID_YES),
      m_Caption(caption), m_Text(DoubleAmpersands(text)) {
    using enum ControlKind;
    const auto lines = TerminalRenderer::WrapWords(text, TEXT_COLUMNS);
    size_t widest = 1;
    for (const std::string& line : lines) {
        widest = std::max(widest, line.size());
    }
    const std::string_view sign = IconSign(icon);
    const auto textLeft = static_cast<int16_t>(sign.empty() ? MARGIN : MARGIN + SIGN_WIDTH);
    const auto textWidth = static_cast<int16_t>(widest * UNITS_PER_COLUMN);
    const auto textHeight = static_cast<int16_t>(std::max<size_t>(lines.size(), 1) * UNITS_PER_LINE);
    const auto buttonTop = static_cast<int16_t>(MARGIN + textHeight + MARGIN);
    const int buttonCount = buttons == MessageBoxButtons::YesNo ? 2 : 1;
    const auto buttonsWidth = static_cast<int16_t>(buttonCount * BUTTON_WIDTH + (buttonCount - 1) * BUTTON_GAP);
    const auto captionWidth = static_cast<int16_t>((m_Caption.size() + 4) * UNITS_PER_COLUMN);
    const auto width = std::max({static_cast<int16_t>(textLeft + textWidth + MARGIN),
                                 static_cast<int16_t>(buttonsWidth + 2 * MARGIN), captionWidth});

    if (!sign.empty()) {
        m_Controls.push_back({NO_CONTROL_ID, Static, sign, {MARGIN, MARGIN, SIGN_WIDTH - 4, UNITS_PER_LINE}});
    }
    m_Controls.push_back({NO_CONTROL_ID, Static, m_Text, {textLeft, MARGIN, textWidth, textHeight}});
    auto left = static_cast<int16_t>((width - buttonsWidth) / 2);
    if (buttons == MessageBoxButtons::YesNo) {
        const auto kindOf = [this](int id) { return id == m_DefaultId ? DefaultPushButton : PushButton; };
        m_Controls.push_back({ID_YES, kindOf(ID_YES), "&Yes", {left, buttonTop, BUTTON_WIDTH, BUTTON_HEIGHT}});
        left = static_cast<int16_t>(left + BUTTON_WIDTH + BUTTON_GAP);
        m_Controls.push_back({ID_NO, kindOf(ID_NO), "&No", {left, buttonTop, BUTTON_WIDTH, BUTTON_HEIGHT}});
    } else {
        m_Controls.push_back({DIALOG_ID_OK, DefaultPushButton, "OK", {left, buttonTop, BUTTON_WIDTH, BUTTON_HEIGHT}});
    }
    m_Template = DialogTemplate{
        .m_Name = "",
        .m_Number = 0,
        .m_Title = m_Caption,
        .m_Width = width,
        .m_Height = static_cast<int16_t>(buttonTop + BUTTON_HEIGHT + MARGIN),
        .m_FontName = "",
        .m_FontPoints = 0,
        .m_Style = DialogStyle::Popup | DialogStyle::Caption | DialogStyle::Centered,
        .m_Controls = m_Controls,
    };
}

void TerminalMessageBox::OnInit(DialogApi& dialog) {
    (void)dialog.SetFocus(m_DefaultId);
}

void TerminalMessageBox::OnCommand(DialogApi& dialog, int id, Notification /*code*/) {
    if (id == DIALOG_ID_OK || id == ID_YES || id == ID_NO) {
        dialog.EndDialog(id);
    } else if (id == DIALOG_ID_CANCEL) {
        dialog.EndDialog(m_Buttons == MessageBoxButtons::YesNo ? ID_NO : DIALOG_ID_OK);
    }
}

MessageBoxResult TerminalMessageBox::Answer(int dialogResult) const {
    if (m_Buttons == MessageBoxButtons::Ok) {
        return MessageBoxResult::Ok;
    }
    return dialogResult == ID_YES ? MessageBoxResult::Yes : MessageBoxResult::No;
}

} // namespace dravo
