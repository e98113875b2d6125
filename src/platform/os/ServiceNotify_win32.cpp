// No service manager listens on Windows: there is nothing to tell.
#include "platform/os/ServiceNotify.h"

namespace dravo {

std::unique_ptr<ServiceNotify> OpenServiceNotify(const std::string& /*socketName*/) {
    return nullptr;
}

} // namespace dravo
