// The ncurses screen of the terminal face.
#include "window/terminal/TerminalSession.h"

#include "window/terminal/TerminalText.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>

#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1 // the wide-character calls of ncursesw
#endif
#include <curses.h>
#include <fcntl.h>
#include <langinfo.h>
#include <linux/keyboard.h>
#include <linux/tiocl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace dravo {
namespace {

// Milliseconds to tell Esc from the start of a key sequence (Alt+letter arrives as Esc and the letter).
constexpr int ESCAPE_DELAY_MS = 25;

std::atomic<bool> g_Taken{false};

SCREEN* ScreenOf(void* screen) {
    return static_cast<SCREEN*>(screen);
}

struct StyleLook {
    short Foreground;
    short Background;
    chtype ColorAttributes;
    chtype MonoAttributes;
};

// Indexed by CellStyle. A focused button (green) never looks like the selection of a list without the
// focus (blue), nor the focused list (white) like one without it (cyan).
constexpr StyleLook LOOKS[] = {
    {-1, -1, A_NORMAL, A_NORMAL},                              // Normal
    {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_REVERSE},              // Title
    {-1, -1, A_NORMAL, A_NORMAL},                              // Frame
    {COLOR_BLACK, COLOR_CYAN, A_NORMAL, A_UNDERLINE},          // Field
    {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_REVERSE},           // FieldFocus
    {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_NORMAL},            // Button
    {COLOR_BLACK, COLOR_GREEN, A_BOLD, A_REVERSE | A_BOLD},    // ButtonFocus
    {COLOR_BLUE, COLOR_WHITE, A_BOLD, A_BOLD},                 // DefaultButton
    {COLOR_WHITE, COLOR_BLUE, A_NORMAL, A_BOLD | A_UNDERLINE}, // Selected
    {COLOR_YELLOW, COLOR_BLUE, A_BOLD, A_REVERSE},             // SelectedFocus
    {-1, -1, A_DIM, A_DIM},                                    // Disabled
    {COLOR_BLACK, COLOR_YELLOW, A_BOLD, A_REVERSE | A_BOLD},   // Busy
};

static_assert(std::size(LOOKS) == static_cast<size_t>(CellStyle::Busy) + 1, "a look for every style");

chtype GlyphOf(char32_t glyph) {
    switch (static_cast<LineGlyph>(glyph)) {
    case LineGlyph::Horizontal:
        return ACS_HLINE;
    case LineGlyph::Vertical:
        return ACS_VLINE;
    case LineGlyph::TopLeft:
        return ACS_ULCORNER;
    case LineGlyph::TopRight:
        return ACS_URCORNER;
    case LineGlyph::BottomLeft:
        return ACS_LLCORNER;
    case LineGlyph::BottomRight:
        return ACS_LRCORNER;
    }
    return glyph >= 0x20 && glyph < 0x7f ? static_cast<chtype>(glyph) : static_cast<chtype>('?');
}

// Draws a character beyond ASCII as itself; false when the screen would not take it.
bool DrawWide(int row, int col, char32_t glyph, chtype attributes) {
    const std::array<wchar_t, 2> text = {static_cast<wchar_t>(glyph), L'\0'};
    cchar_t cell{};
    return setcchar(&cell, text.data(), attributes & ~A_COLOR, static_cast<short>(PAIR_NUMBER(attributes)), nullptr) ==
               OK &&
           mvwadd_wch(stdscr, row, col, &cell) == OK;
}

} // namespace

std::unique_ptr<TerminalSession> TerminalSession::Open(int inputFd, int outputFd) {
    if (isatty(inputFd) == 0 || isatty(outputFd) == 0 || g_Taken.exchange(true)) {
        return nullptr;
    }
    std::unique_ptr<TerminalSession> session(new TerminalSession(inputFd, outputFd));
    if (!session->Start()) {
        return nullptr; // the destructor gives the terminal back
    }
    return session;
}

TerminalSession::TerminalSession(int inputFd, int outputFd) : m_InputFd(inputFd), m_OutputFd(outputFd) {}

bool TerminalSession::Start() {
    std::setlocale(LC_CTYPE, ""); // line characters as the terminal wants them; numbers keep the C locale
    // Text is UTF-8 throughout; a terminal of another character set is shown '?' for what is not ASCII.
    m_Utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    const int inputCopy = dup(m_InputFd);
    const int outputCopy = dup(m_OutputFd);
    m_InputFile = inputCopy < 0 ? nullptr : fdopen(inputCopy, "r");
    m_OutputFile = outputCopy < 0 ? nullptr : fdopen(outputCopy, "w");
    if (m_InputFile == nullptr || m_OutputFile == nullptr) {
        return false;
    }
    m_Screen = newterm(nullptr, static_cast<FILE*>(m_OutputFile), static_cast<FILE*>(m_InputFile));
    if (m_Screen == nullptr) {
        return false;
    }
    set_term(ScreenOf(m_Screen));
    set_escdelay(ESCAPE_DELAY_MS);
    raw();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    nodelay(stdscr, TRUE);
    mousemask(BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED, nullptr);
    SetBracketedPaste(true);
    if (has_colors()) {
        start_color();
        use_default_colors();
        for (size_t style = 0; style < std::size(LOOKS); ++style) {
            init_pair(static_cast<short>(style + 1), LOOKS[style].Foreground, LOOKS[style].Background);
        }
    }
    return true;
}

TerminalSession::~TerminalSession() {
    if (m_Screen != nullptr) {
        SetBracketedPaste(false); // a terminal that went away takes nothing; no matter
        endwin();
        delscreen(ScreenOf(m_Screen));
    }
    if (m_InputFile != nullptr) {
        fclose(static_cast<FILE*>(m_InputFile));
    }
    if (m_OutputFile != nullptr) {
        fclose(static_cast<FILE*>(m_OutputFile));
    }
    g_Taken = false;
}

// NOLINTNEXTLINE(readability-make-member-function-const): it writes to the terminal it owns
void TerminalSession::SetBracketedPaste(bool on) {
    // The terminal marks pasted text, so that no byte of it is taken for a key.
    auto* output = static_cast<FILE*>(m_OutputFile);
    (void)std::fputs(on ? "\x1b[?2004h" : "\x1b[?2004l", output);
    (void)std::fflush(output);
}

int TerminalSession::Cols() const {
    return COLS;
}

int TerminalSession::Rows() const {
    return LINES;
}

std::optional<KeyEvent> TerminalSession::ReadKey() {
    while (m_Ready.empty()) {
        const int code = wgetch(stdscr);
        const auto now = TerminalKeyReader::Clock::now();
        if (code == ERR) {
            m_Reader.Expire(now, m_Ready);
            break;
        }
        if (code == KEY_MOUSE) {
            MEVENT event{};
            m_Ready.push_back(getmouse(&event) == OK ? TerminalKeys::FromMouse(event.bstate, event.x, event.y)
                                                     : KeyEvent{});
        } else {
            m_Reader.Feed(code, now, m_Ready);
        }
    }
    if (m_Ready.empty()) {
        return std::nullopt;
    }
    const KeyEvent key = m_Ready.front();
    m_Ready.erase(m_Ready.begin()); // a few keys at the most
    return key;
}

// NOLINTNEXTLINE(readability-make-member-function-const): it resizes the terminal it owns
bool TerminalSession::TakeResize() {
    winsize size{};
    if (ioctl(m_OutputFd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) {
        return false;
    }
    if (size.ws_col == COLS && size.ws_row == LINES) {
        return false;
    }
    resize_term(size.ws_row, size.ws_col);
    return true;
}

void TerminalSession::ForgetScreen() {
    clearok(curscr, TRUE); // clears the terminal and sends every cell at the next update
}

void TerminalSession::DrawCell(const TerminalCanvas& canvas, int col, int row) const {
    const Cell& cell = canvas.At(col, row);
    const auto style = static_cast<size_t>(cell.m_Style);
    chtype attributes = has_colors() ? (COLOR_PAIR(static_cast<int>(style + 1)) | LOOKS[style].ColorAttributes)
                                     : LOOKS[style].MonoAttributes;
    if (cell.m_Underline) {
        attributes |= A_UNDERLINE;
    }
    const bool wide = TerminalText::Width(cell.m_Glyph) == 2;
    const bool whole = !wide || (col + 1 < canvas.Cols() && col + 1 < COLS &&
                                 canvas.At(col + 1, row).m_Glyph == TerminalCanvas::WIDE_RIGHT_HALF);
    if (cell.m_Glyph == TerminalCanvas::WIDE_RIGHT_HALF) {
        const bool afterWide = m_Utf8 && col > 0 && TerminalText::Width(canvas.At(col - 1, row).m_Glyph) == 2;
        if (!afterWide) {
            mvwaddch(stdscr, row, col, ' ' | attributes); // its character was drawn over, or shows as '?'
        }
        return;
    }
    if (m_Utf8 && cell.m_Glyph >= 0x80 && whole && DrawWide(row, col, cell.m_Glyph, attributes)) {
        return;
    }
    mvwaddch(stdscr, row, col, GlyphOf(cell.m_Glyph) | attributes); // the last cell may refuse; no matter
}

void TerminalSession::Present(const TerminalCanvas& canvas, std::optional<CursorCell> cursor) {
    for (int row = 0; row < canvas.Rows() && row < LINES; ++row) {
        for (int col = 0; col < canvas.Cols() && col < COLS; ++col) {
            DrawCell(canvas, col, row);
        }
    }
    if (cursor) {
        curs_set(1);
        wmove(stdscr, cursor->m_Row, cursor->m_Col);
    } else {
        curs_set(0);
    }
    wnoutrefresh(stdscr);
    doupdate();
}

bool TerminalSession::IsShiftHeld() const {
    char request = TIOCL_GETSHIFTSTATE;
    if (ioctl(m_InputFd, TIOCLINUX, &request) != 0) {
        return false; // not a Linux virtual console: no terminal tells about Shift alone
    }
    return (request & (1 << KG_SHIFT)) != 0;
}

} // namespace dravo
