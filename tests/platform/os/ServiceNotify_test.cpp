// The notify client on POSIX systems: one datagram to a socket path or an abstract name.
#include "platform/os/ProcessId.h"
#include "platform/os/ServiceNotify.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace dravo {
namespace {

TEST(ServiceNotify, SendsOneDatagramToAPathOrAnAbstractName) {
    const std::string abstractName = "@dravo-notify-test-" + std::to_string(CurrentProcessId());
    const int receiver = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(receiver, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::copy(abstractName.begin() + 1, abstractName.end(), address.sun_path + 1);
    ASSERT_EQ(::bind(receiver, reinterpret_cast<sockaddr*>(&address),
                     static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + abstractName.size())),
              0);
    const auto notify = OpenServiceNotify(abstractName);
    ASSERT_NE(notify, nullptr);
    EXPECT_TRUE(notify->Send("READY=1\nSTATUS=Level dm1"));
    char received[64] = {};
    const ssize_t size = ::recv(receiver, received, sizeof received, 0);
    ::close(receiver);
    EXPECT_EQ(std::string(received, static_cast<size_t>(std::max<ssize_t>(size, 0))), "READY=1\nSTATUS=Level dm1");
}

} // namespace
} // namespace dravo
