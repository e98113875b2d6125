// The process's standard streams, as the program's face is chosen for them and given them.
#pragma once

namespace dravo {

// True when standard input, or standard output, is a terminal.
bool StandardInputIsTerminal();
bool StandardOutputIsTerminal();
// The descriptors of standard input, output and error, for a face that reads or draws on them and for
// the queued outputs.
int StandardInputDescriptor();
int StandardOutputDescriptor();
int StandardErrorDescriptor();
// True when the descriptor is the stream the service manager's journal reads (JOURNAL_STREAM names its
// device and inode), so that its lines may carry a "<N>" priority. Always false on Windows.
bool IsJournalStream(int descriptor);
// Standard input, output and error that the process was started without (closed, as `<&- >&-` leaves
// them) are opened on the null device, so that no descriptor the program makes later (a pipe, a socket,
// the log file) takes their place and is read as commands or written as output. Run first in main.
void OpenClosedStandardStreams();
// On Windows a windowed program has standard streams only when it was given them (a pipe, a file, a
// service manager). Without them this takes the console it was started from, or opens one, so that the
// log shows, commands can be typed, and Ctrl+C and closing the console end it cleanly. Elsewhere the
// streams are always there and this does nothing.
void EnsureConsoleStreams();

} // namespace dravo
