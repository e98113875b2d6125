// The notify protocol over a Unix datagram socket.
#include "platform/os/ServiceNotify.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace dravo {
namespace {

class UnixServiceNotify final : public ServiceNotify {
public:
    UnixServiceNotify(int socket, const sockaddr_un& address, socklen_t length)
        : m_Socket(socket), m_Address(address), m_Length(length) {}
    ~UnixServiceNotify() override { ::close(m_Socket); }
    UnixServiceNotify(const UnixServiceNotify&) = delete;
    UnixServiceNotify& operator=(const UnixServiceNotify&) = delete;

    bool Send(std::string_view message) override {
        const ssize_t sent = ::sendto(m_Socket, message.data(), message.size(), MSG_NOSIGNAL | MSG_DONTWAIT,
                                      reinterpret_cast<const sockaddr*>(&m_Address), m_Length);
        return sent == static_cast<ssize_t>(message.size());
    }

private:
    int m_Socket;
    sockaddr_un m_Address;
    socklen_t m_Length;
};

} // namespace

std::unique_ptr<ServiceNotify> OpenServiceNotify(const std::string& socketName) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketName.size() < 2 || socketName.size() >= sizeof address.sun_path ||
        (socketName[0] != '/' && socketName[0] != '@')) {
        return nullptr;
    }
    std::memcpy(address.sun_path, socketName.data(), socketName.size());
    if (socketName[0] == '@') {
        address.sun_path[0] = '\0'; // the abstract namespace
    }
    const auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + socketName.size() + (socketName[0] == '@' ? 0 : 1));
    const int socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket < 0) {
        return nullptr;
    }
    return std::make_unique<UnixServiceNotify>(socket, address, length);
}

} // namespace dravo
