// The owned TCP sockets: what every platform shares.
#include "platform/net/TcpListener.h"

#include <utility>

namespace dravo {

TcpStream::TcpStream(TcpStream&& other) noexcept : m_Handle(std::exchange(other.m_Handle, NO_SOCKET)) {}

TcpStream& TcpStream::operator=(TcpStream&& other) noexcept {
    if (this != &other) {
        Close();
        m_Handle = std::exchange(other.m_Handle, NO_SOCKET);
    }
    return *this;
}

TcpStream::~TcpStream() {
    Close();
}

TcpListener::TcpListener(TcpListener&& other) noexcept
    : m_Handle(std::exchange(other.m_Handle, NO_SOCKET)), m_Port(std::exchange(other.m_Port, 0)) {}

TcpListener& TcpListener::operator=(TcpListener&& other) noexcept {
    if (this != &other) {
        Close();
        m_Handle = std::exchange(other.m_Handle, NO_SOCKET);
        m_Port = std::exchange(other.m_Port, 0);
    }
    return *this;
}

TcpListener::~TcpListener() {
    Close();
}

} // namespace dravo
