// The UDP socket's batch read and its address text, on real loopback sockets.
#include "platform/UdpSocket.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dravo {
namespace {

constexpr uint32_t LOOPBACK = 0x7F000001;

TEST(UdpSocket, AddressesReadAsDottedTextAndBack) {
    for (const char* text : {"0.0.0.0", "255.255.255.255", "127.0.0.1", "10.200.3.45", "1.10.100.9"}) {
        const std::optional<uint32_t> address = UdpSocket::ParseAddress(text);
        ASSERT_TRUE(address) << text;
        char formatted[16];
        UdpSocket::FormatAddress(*address, formatted, sizeof formatted);
        EXPECT_STREQ(formatted, text);
    }
    // A short room gets what fits, always ended.
    char small[8];
    UdpSocket::FormatAddress(0xFFFFFFFF, small, sizeof small);
    EXPECT_STREQ(small, "255.255");
}

TEST(UdpSocket, ABatchReadTakesWhatWaitsInOrderAndMarksWhatIsTooLong) {
    std::optional<UdpSocket> receiver = UdpSocket::Open(0, LOOPBACK);
    std::optional<UdpSocket> sender = UdpSocket::Open(0, LOOPBACK);
    ASSERT_TRUE(receiver && sender);
    ASSERT_TRUE(receiver->SetReceiveBuffer(1 << 20));
    constexpr size_t ROOM = 16;
    std::vector<std::string> sent;
    for (int i = 0; i < 40; ++i) {
        sent.push_back(i == 5 ? std::string(ROOM + 1, 'x') : i == 6 ? std::string(ROOM, 'y') : std::to_string(i));
    }
    sent[7].clear(); // an empty datagram
    for (const std::string& datagram : sent) {
        ASSERT_TRUE(sender->SendTo(datagram.data(), datagram.size(), UdpPeer{LOOPBACK, receiver->Port()}));
    }
    ASSERT_TRUE(receiver->WaitReadable(std::chrono::seconds(5)));
    std::vector<char> buffer(32 * ROOM);
    UdpDatagram datagrams[32];
    std::vector<std::string> received;
    for (int round = 0; round < 10 && received.size() < sent.size(); ++round) {
        const int taken = receiver->ReceiveBatch(buffer.data(), ROOM, datagrams, 32);
        ASSERT_GE(taken, 0);
        for (int i = 0; i < taken; ++i) {
            EXPECT_EQ(datagrams[i].m_From.m_Address, LOOPBACK);
            EXPECT_EQ(datagrams[i].m_From.m_Port, sender->Port());
            received.push_back(datagrams[i].m_Oversized ? "(too long)"
                                                        : std::string(datagrams[i].m_Data, datagrams[i].m_Length));
        }
        if (taken == 0) {
            (void)receiver->WaitReadable(std::chrono::milliseconds(100));
        }
    }
    std::vector<std::string> expected = sent;
    expected[5] = "(too long)";
    EXPECT_EQ(received, expected);
    EXPECT_EQ(receiver->ReceiveBatch(buffer.data(), ROOM, datagrams, 32), 0); // nothing waits
}

} // namespace
} // namespace dravo
