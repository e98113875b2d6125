// Standard streams on POSIX systems: always there, terminals or not.
#include "platform/os/StandardStreams.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include <fcntl.h>
#include <sys/stat.h>
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

bool IsJournalStream(int descriptor) {
    const char* named = std::getenv("JOURNAL_STREAM"); // "<device>:<inode>", both decimal
    if (named == nullptr) {
        return false;
    }
    unsigned long long device = 0;
    unsigned long long inode = 0;
    char rest = 0;
    struct stat status {};
    if (std::sscanf(named, "%llu:%llu%c", &device, &inode, &rest) != 2 || ::fstat(descriptor, &status) != 0) {
        return false;
    }
    return static_cast<unsigned long long>(status.st_dev) == device &&
           static_cast<unsigned long long>(status.st_ino) == inode;
}

void EnsureConsoleStreams() {}

void OpenClosedStandardStreams() {
    for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(stream, F_GETFD) >= 0 || errno != EBADF) {
            continue;
        }
        // The lowest free descriptor is this one: the streams below it are open by now.
        const int opened = ::open("/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != stream) {
            (void)::dup2(opened, stream);
            ::close(opened);
        }
    }
}

} // namespace dravo
