// Standard streams on Windows: a windowed program has them only when it was given them.
#include "platform/os/StandardStreams.h"

#include <windows.h>

#include <cstdio>
#include <io.h>

namespace dravo {
namespace {

bool HasHandle(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

} // namespace

bool StandardInputIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}

bool StandardOutputIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}

int StandardInputDescriptor() {
    return _fileno(stdin);
}

int StandardOutputDescriptor() {
    return _fileno(stdout);
}

bool IsJournalStream(int /*descriptor*/) {
    return false;
}

int StandardErrorDescriptor() {
    return _fileno(stderr);
}

// The runtime keeps the first three descriptors for the standard streams whether or not it was given
// them (EnsureConsoleStreams fills them in): nothing else can take their place.
void OpenClosedStandardStreams() {}

void EnsureConsoleStreams() {
    if (HasHandle(STD_OUTPUT_HANDLE) && HasHandle(STD_INPUT_HANDLE)) {
        return;
    }
    const bool output = HasHandle(STD_OUTPUT_HANDLE);
    const bool input = HasHandle(STD_INPUT_HANDLE);
    const bool errors = HasHandle(STD_ERROR_HANDLE);
    if (AttachConsole(ATTACH_PARENT_PROCESS) == 0 && AllocConsole() == 0) {
        return;
    }
    FILE* stream = nullptr;
    if (!input) {
        (void)freopen_s(&stream, "CONIN$", "r", stdin);
    }
    if (!output) {
        (void)freopen_s(&stream, "CONOUT$", "w", stdout);
    }
    if (!errors) {
        (void)freopen_s(&stream, "CONOUT$", "w", stderr);
    }
}

} // namespace dravo
