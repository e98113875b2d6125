// TerminalSession: owns the ncurses screen on the process's terminal - raw keys, pasted text marked as
// such (bracketed paste, turned off again at the end), the mouse where the terminal reports it, size changes noticed
// through SIGWINCH - and shows canvases on it. One session at a time; the terminal is given back as it was when the
// session ends. Window thread only.
#pragma once

#include "window/terminal/TerminalCanvas.h"
#include "window/terminal/TerminalKeyReader.h"
#include "window/terminal/TerminalKeys.h"
#include "window/terminal/TerminalRenderer.h"

#include <memory>
#include <optional>
#include <vector>

namespace dravo {

class TerminalSession {
public:
    // Takes the terminal on the given descriptors; nullptr when they are not a usable terminal or
    // another session holds it.
    static std::unique_ptr<TerminalSession> Open(int inputFd, int outputFd);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;
    TerminalSession(TerminalSession&&) = delete; // the screen points at it
    TerminalSession& operator=(TerminalSession&&) = delete;

    int Cols() const;
    int Rows() const;
    // Readable when keys wait.
    int InputFd() const { return m_InputFd; }

    // The next key or click already typed, without waiting; nothing when none is waiting.
    std::optional<KeyEvent> ReadKey();
    // When ReadKey must be called again though nothing more is typed: a lone Esc or a sequence cut
    // short ends then.
    std::optional<TerminalKeyReader::Clock::time_point> KeyDeadline() const { return m_Reader.Deadline(); }
    // After the terminal signalled a size change: takes the new size. True when it changed.
    bool TakeResize();
    // Makes the next Present draw every cell anew, whatever the terminal showed before.
    void ForgetScreen();
    // Shows the canvas, with the text cursor at the cell or hidden.
    void Present(const TerminalCanvas& canvas, std::optional<CursorCell> cursor);
    // Whether Shift is held down now; only a Linux virtual console can tell, elsewhere false.
    bool IsShiftHeld() const;

private:
    TerminalSession(int inputFd, int outputFd);
    bool Start();
    void DrawCell(const TerminalCanvas& canvas, int col, int row) const;
    void SetBracketedPaste(bool on);

    int m_InputFd;
    int m_OutputFd;
    void* m_Screen = nullptr; // SCREEN*
    void* m_InputFile = nullptr;
    void* m_OutputFile = nullptr;
    bool m_Utf8 = false; // the terminal's character set is UTF-8
    TerminalKeyReader m_Reader;
    std::vector<KeyEvent> m_Ready; // keys read whole, not taken yet
};

} // namespace dravo
