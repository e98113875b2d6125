// The instance lock's guard on Windows: the lock file is held open without sharing, so that nobody can
// delete or replace it while it is held.
#include "platform/fs/InstanceLock.h"

namespace dravo {

bool InstanceLock::Guards() const {
    return m_Handle != -1;
}

} // namespace dravo
