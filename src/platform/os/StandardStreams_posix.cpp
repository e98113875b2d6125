// Standard streams on POSIX systems: always there, terminals or not.
#include "platform/os/StandardStreams.h"

#include <unistd.h>

namespace dravo {

bool StandardInputIsTerminal() {
    return isatty(STDIN_FILENO) != 0;
}

bool StandardOutputIsTerminal() {
    return isatty(STDOUT_FILENO) != 0;
}

int StandardInputDescriptor() {
    return STDIN_FILENO;
}

int StandardOutputDescriptor() {
    return STDOUT_FILENO;
}

int StandardErrorDescriptor() {
    return STDERR_FILENO;
}

void EnsureConsoleStreams() {}

} // namespace dravo
