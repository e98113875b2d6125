#include "services/rcon/RconPacket.h"

#include <gtest/gtest.h>

#include <string>

namespace dravo {
namespace {

std::string Raw(int32_t size, int32_t id, int32_t type, std::string_view rest) {
    std::string out;
    for (int32_t value : {size, id, type}) {
        for (int shift = 0; shift < 32; shift += 8) {
            out.push_back(static_cast<char>((static_cast<uint32_t>(value) >> shift) & 0xFF));
        }
    }
    out.append(rest);
    return out;
}

RconPacketReader::Fault FaultOf(const std::string& bytes) {
    RconPacketReader reader;
    if (reader.Feed(bytes)) {
        while (reader.Next()) {
        }
    }
    return reader.LastFault();
}

TEST(RconPacket, EncodesLittleEndianSizeIdTypeBodyAndTwoNuls) {
    const std::string bytes = EncodeRconPacket(0x01020304, RconType::Login, "pw");
    EXPECT_EQ(bytes, Raw(12, 0x01020304, 3, std::string("pw\0\0", 4)));
    EXPECT_EQ(EncodeRconPacket(-1, RconType::LoginAnswer, ""), Raw(10, -1, 2, std::string("\0\0", 2)));
    // A body is cut to one packet's worth.
    EXPECT_EQ(EncodeRconPacket(1, RconType::ResponseValue, std::string(5000, 'x')).size(), 4 + 4096 + 10u);
}

TEST(RconPacket, ReadsPacketsWholeSplitAndSeveralAtOnce) {
    const std::string first = EncodeRconPacket(7, RconType::Command, "status");
    const std::string second = EncodeRconPacket(8, RconType::ResponseValue, "");
    const std::string both = first + second;
    RconPacketReader reader;
    for (const char byte : both.substr(0, first.size() - 1)) {
        ASSERT_TRUE(reader.Feed(std::string_view(&byte, 1)));
        EXPECT_FALSE(reader.Next());
    }
    ASSERT_TRUE(reader.Feed(both.substr(first.size() - 1)));
    auto packet = reader.Next();
    ASSERT_TRUE(packet);
    EXPECT_EQ(packet->m_Id, 7);
    EXPECT_EQ(packet->m_Type, RconType::Command);
    EXPECT_EQ(packet->m_Body, "status");
    packet = reader.Next();
    ASSERT_TRUE(packet);
    EXPECT_EQ(packet->m_Id, 8);
    EXPECT_EQ(packet->m_Type, RconType::ResponseValue);
    EXPECT_EQ(packet->m_Body, "");
    EXPECT_FALSE(reader.Next());
    EXPECT_EQ(reader.Buffered(), 0u);
    // The largest body passes.
    EXPECT_EQ(FaultOf(EncodeRconPacket(1, RconType::Command, std::string(MAX_RCON_BODY, 'a'))),
              RconPacketReader::Fault::None);
}

TEST(RconPacket, JunkIsRefusedAndNothingAfterItIsRead) {
    using Fault = RconPacketReader::Fault;
    EXPECT_EQ(FaultOf(Raw(-5, 1, 2, "")), Fault::BadSize);
    EXPECT_EQ(FaultOf(Raw(9, 1, 2, std::string("\0", 1))), Fault::BadSize);
    // One byte of body too many, found from the size alone, before the body arrives.
    EXPECT_EQ(FaultOf(Raw(RCON_MAX_SIZE + 1, 1, 2, "")), Fault::BadSize);
    EXPECT_EQ(FaultOf(Raw(12, 1, 2, std::string("ab\0x", 4))), Fault::BadEnd);
    EXPECT_EQ(FaultOf(Raw(12, 1, 2, std::string("abcd", 4))), Fault::BadEnd);
    EXPECT_EQ(FaultOf(Raw(13, 1, 2, std::string("a\0b\0\0", 5))), Fault::NulInBody);
    EXPECT_EQ(FaultOf(Raw(10, 1, 4, std::string("\0\0", 2))), Fault::UnknownType);
    EXPECT_EQ(FaultOf("GET / HTTP/1.1\r\n\r\n"), Fault::BadSize);

    RconPacketReader reader;
    ASSERT_TRUE(reader.Feed(Raw(10, 1, 9, std::string("\0\0", 2)) + EncodeRconPacket(2, RconType::Command, "x")));
    EXPECT_FALSE(reader.Next());
    EXPECT_TRUE(reader.Failed());
    EXPECT_FALSE(reader.Feed(EncodeRconPacket(3, RconType::Command, "y")));
    EXPECT_FALSE(reader.Next());
}

TEST(RconPacket, UnreadBytesAreBounded) {
    RconPacketReader reader;
    const std::string packet = EncodeRconPacket(1, RconType::Command, std::string(4000, 'c'));
    size_t fed = 0;
    while (reader.Feed(packet)) {
        fed += packet.size();
        ASSERT_LE(fed, RconPacketReader::MAX_BUFFERED);
    }
    EXPECT_EQ(reader.LastFault(), RconPacketReader::Fault::Overflow);
    // Taking packets out makes room again.
    RconPacketReader drained;
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(drained.Feed(packet));
        ASSERT_TRUE(drained.Next());
    }
}

} // namespace
} // namespace dravo
