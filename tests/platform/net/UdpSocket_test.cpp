// The UDP socket's batch read, its send and its address text, on real loopback sockets.
#include "platform/net/UdpSocket.h"
#include "support/LoopbackSocket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace dravo {
namespace {

constexpr uint32_t LOOPBACK = 0x7F000001;

TEST(UdpSocket, AddressesReadAsDottedTextAndBack) {
    for (const char* text : {"0.0.0.0", "255.255.255.255", "127.0.0.1", "10.200.3.45", "1.10.100.9"}) {
        const std::optional<uint32_t> address = UdpSocket::ParseAddress(text);
        ASSERT_TRUE(address) << text;
        char formatted[ADDRESS_TEXT_SIZE];
        FormatAddress(*address, formatted, sizeof formatted);
        EXPECT_STREQ(formatted, text);
    }
    EXPECT_EQ(UdpSocket::ParseAddress("192.168.1.20"), 0xC0A80114u);
    // A short room gets what fits, always ended.
    char small[8];
    FormatAddress(0xFFFFFFFF, small, sizeof small);
    EXPECT_STREQ(small, "255.255");
}

TEST(UdpSocket, OnlyFourDecimalPartsOfAtMost255AreAnAddress) {
    for (const char* text :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.1000", "01.2.3.4", "1.2.3.04", " 1.2.3.4", "1.2.3.4 ",
          "+1.2.3.4", "-1.2.3.4", "1..2.3", "a.b.c.d", "1.2.3.4x", "localhost", "1.2.3.4.", "99999999999.1.1.1"}) {
        EXPECT_FALSE(UdpSocket::ParseAddress(text).has_value()) << '"' << text << '"';
    }
    EXPECT_FALSE(UdpSocket::ParseAddress(nullptr).has_value());
    // A dotted address needs no lookup; a name is looked up; nothing is no address.
    EXPECT_EQ(UdpSocket::Resolve("10.1.2.3"), 0x0A010203u);
    EXPECT_EQ(UdpSocket::Resolve("localhost"), LOOPBACK);
    EXPECT_FALSE(UdpSocket::Resolve("").has_value());
    EXPECT_FALSE(UdpSocket::Resolve(nullptr).has_value());
}

// Reads batches until `count` datagrams came or 5 s passed. What a loopback peer sent is waiting when its
// send returns; the bound covers a system that hands it over a moment later.
std::vector<UdpDatagram> ReadBatches(UdpSocket& receiver, std::vector<char>& buffer, size_t room, size_t count) {
    std::vector<UdpDatagram> received;
    UdpDatagram datagrams[32];
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (received.size() < count && std::chrono::steady_clock::now() < end) {
        // Each batch reads into the start of the buffer: keep what it read.
        const int taken = receiver.ReceiveBatch(buffer.data() + received.size() * room, room, datagrams, 32);
        EXPECT_GE(taken, 0);
        received.insert(received.end(), datagrams, datagrams + std::max(taken, 0));
        if (taken <= 0) {
            std::this_thread::yield();
        }
    }
    return received;
}

TEST(UdpSocket, ABatchReadTakesWhatWaitsInOrderAndMarksWhatIsTooLong) {
    std::optional<UdpSocket> receiver = UdpSocket::Open(0, LOOPBACK);
    test::LoopbackSocket sender(LOOPBACK, 0);
    ASSERT_TRUE(receiver && sender.IsOpen());
    ASSERT_TRUE(receiver->SetReceiveBuffer(1 << 20));
    constexpr size_t ROOM = 16;
    std::vector<std::string> sent;
    for (int i = 0; i < 40; ++i) {
        sent.push_back(i == 5 ? std::string(ROOM + 1, 'x') : i == 6 ? std::string(ROOM, 'y') : std::to_string(i));
    }
    sent[7].clear(); // an empty datagram
    for (const std::string& datagram : sent) {
        ASSERT_TRUE(sender.SendTo(LOOPBACK, receiver->Port(), datagram));
    }
    std::vector<char> buffer((sent.size() + 32) * ROOM);
    const std::vector<UdpDatagram> datagrams = ReadBatches(*receiver, buffer, ROOM, sent.size());
    std::vector<std::string> received;
    for (const UdpDatagram& datagram : datagrams) {
        EXPECT_EQ(datagram.m_From.m_Address, LOOPBACK);
        EXPECT_EQ(datagram.m_From.m_Port, sender.Port());
        received.push_back(datagram.m_Oversized ? "(too long)" : std::string(datagram.m_Data, datagram.m_Length));
    }
    std::vector<std::string> expected = sent;
    expected[5] = "(too long)";
    EXPECT_EQ(received, expected);
    UdpDatagram none[4];
    EXPECT_EQ(receiver->ReceiveBatch(buffer.data(), ROOM, none, 4), 0); // nothing waits
}

TEST(UdpSocket, SendsToAPeerAndRefusesAPortThatIsTaken) {
    std::optional<UdpSocket> socket = UdpSocket::Open(0, LOOPBACK);
    test::LoopbackSocket peer(LOOPBACK, 0);
    ASSERT_TRUE(socket && peer.IsOpen());
    EXPECT_NE(socket->Port(), 0);
    ASSERT_TRUE(socket->SendTo("\\status\\", 8, NetPeer{LOOPBACK, peer.Port()}));
    const auto received = peer.Receive(std::chrono::seconds(5));
    ASSERT_TRUE(received);
    EXPECT_EQ(received->m_Data, "\\status\\");
    EXPECT_EQ(received->m_FromAddress, LOOPBACK);
    EXPECT_EQ(received->m_FromPort, socket->Port());
    EXPECT_FALSE(UdpSocket::Open(socket->Port(), LOOPBACK).has_value());
    socket->Close();
    EXPECT_FALSE(socket->IsOpen());
    EXPECT_EQ(socket->Port(), 0);
}

} // namespace
} // namespace dravo
