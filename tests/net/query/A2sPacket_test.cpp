#include "net/A2sReader.h"
#include "net/query/A2sChallenge.h"
#include "net/query/A2sPacket.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using test::A2sRequest;

const uint32_t CHALLENGE = 0x12345678;

TEST(A2sRequest, TheThreeRequestsAreReadWithOrWithoutTheirChallenge) {
    const auto info = a2s::ParseRequest(A2sRequest('T', a2s::INFO_PAYLOAD, nullptr));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->m_Kind, a2s::RequestKind::Info);
    EXPECT_FALSE(info->m_Challenge);

    const auto challenged = a2s::ParseRequest(A2sRequest('T', a2s::INFO_PAYLOAD, &CHALLENGE));
    ASSERT_TRUE(challenged && challenged->m_Challenge);
    EXPECT_EQ(*challenged->m_Challenge, CHALLENGE);

    const auto players = a2s::ParseRequest(A2sRequest('U', "", &a2s::NO_CHALLENGE));
    ASSERT_TRUE(players && players->m_Challenge);
    EXPECT_EQ(players->m_Kind, a2s::RequestKind::Players);
    EXPECT_EQ(*players->m_Challenge, a2s::NO_CHALLENGE);

    const auto rules = a2s::ParseRequest(A2sRequest('V', "", &CHALLENGE));
    ASSERT_TRUE(rules && rules->m_Challenge);
    EXPECT_EQ(rules->m_Kind, a2s::RequestKind::Rules);
    EXPECT_EQ(*rules->m_Challenge, CHALLENGE);
}

TEST(A2sRequest, AnythingElseIsNoRequest) {
    const std::string header("\xFF\xFF\xFF\xFF", 4);
    const std::string_view payload = a2s::INFO_PAYLOAD;
    for (const std::string& datagram : {
             std::string(),
             std::string("\xFF\xFF\xFF", 3),
             header,
             std::string("\xFF\xFF\xFF\xFE", 4) + "T" + std::string(payload), // a split header
             std::string("\\status\\"),
             header + "T",
             header + "T" + std::string(payload.substr(0, payload.size() - 1)), // no NUL
             header + "T" + std::string("Source Engine Querx\0", 20),
             header + "T" + std::string(payload) + "ab",       // half a challenge
             header + "T" + std::string(payload) + "abcdefgh", // more than one
             header + "U",
             header + "Uabc",
             header + "Uabcde",
             header + "V",
             header + "A" + "abcd", // a challenge answer
             header + "I" + std::string(payload),
             header + "W" + "abcd",
         }) {
        EXPECT_FALSE(a2s::ParseRequest(datagram)) << testing::PrintToString(datagram);
    }
    EXPECT_FALSE(a2s::IsA2sDatagram(std::string("\xFF\xFF\xFF\xFE", 4)));
    EXPECT_TRUE(a2s::IsA2sDatagram(header));
}

TEST(A2sPacket, NumbersAreLittleEndianAndTextsEndWithANul) {
    A2sPacket packet(a2s::INFO_ANSWER);
    packet.Byte(7);
    packet.Short(0x1234);
    packet.Long(-2);
    packet.Float(1.5F);
    packet.Text(std::string_view("ab\0cd", 5)); // a NUL ends the text
    packet.Text("");
    test::A2sReader reader(packet.View());
    EXPECT_EQ(reader.Header(), a2s::INFO_ANSWER);
    EXPECT_EQ(reader.Byte(), 7);
    EXPECT_EQ(reader.Short(), 0x1234);
    EXPECT_EQ(reader.Long(), -2);
    EXPECT_EQ(reader.Float(), 1.5F);
    EXPECT_EQ(reader.Text(), "ab");
    EXPECT_EQ(reader.Text(), "");
    EXPECT_TRUE(reader.Ok());
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(packet.View().substr(0, 4), std::string_view("\xFF\xFF\xFF\xFF", 4));
}

TEST(A2sPacket, AWriteBeyondTheLongestAnswerIsRefusedWhole) {
    A2sPacket packet(a2s::RULES_ANSWER);
    const std::string long_text(a2s::MAX_ANSWER - packet.Length() - 1, 'x'); // and its NUL: exactly full
    packet.Text(long_text);
    EXPECT_TRUE(packet.Fits());
    EXPECT_EQ(packet.Length(), a2s::MAX_ANSWER);
    packet.Byte(1);
    EXPECT_FALSE(packet.Fits());
    EXPECT_EQ(packet.Length(), a2s::MAX_ANSWER);
    packet.SetByte(a2s::MAX_ANSWER, 1); // out of bounds: ignored
    EXPECT_EQ(packet.Length(), a2s::MAX_ANSWER);
}

// The players answer rewrites the times connected in place: the last four bytes take a float, a float that would
// cross the end is refused whole and leaves what is there.
TEST(A2sPacket, AFloatRewrittenInPlaceStaysWithinTheAnswer) {
    A2sPacket packet(a2s::PLAYER_ANSWER);
    packet.Text(std::string(a2s::MAX_ANSWER - packet.Length() - 5, 'x'));
    packet.Float(0);
    ASSERT_EQ(packet.Length(), a2s::MAX_ANSWER);
    packet.SetFloat(a2s::MAX_ANSWER - 4, 2.5F);
    packet.SetFloat(a2s::MAX_ANSWER - 3, -1.0F);
    packet.SetFloat(a2s::MAX_ANSWER + 8, -1.0F);
    test::A2sReader reader(packet.View().substr(a2s::MAX_ANSWER - 5));
    EXPECT_EQ(reader.Byte(), 0); // the text's NUL, untouched
    EXPECT_EQ(reader.Float(), 2.5F);
    EXPECT_TRUE(reader.Ok() && reader.AtEnd());
}

TEST(A2sChallenge, HoldsForItsAddressThroughTheNextPeriodOnly) {
    const A2sChallenge challenges(SipHashKey{1, 2});
    const uint32_t address = 0x7F000002;
    const uint32_t start = 5 * A2sChallenge::PERIOD_MS + 100;
    const uint32_t challenge = challenges.Make(address, start);
    EXPECT_TRUE(challenges.Check(address, challenge, start));
    EXPECT_TRUE(challenges.Check(address, challenge, start + A2sChallenge::PERIOD_MS));
    EXPECT_FALSE(challenges.Check(address, challenge, start + 2 * A2sChallenge::PERIOD_MS));
    EXPECT_FALSE(challenges.Check(address + 1, challenge, start));
    EXPECT_FALSE(challenges.Check(address, challenge ^ 1, start));
    EXPECT_FALSE(challenges.Check(address, a2s::NO_CHALLENGE, start));
    // Another key makes other challenges.
    const A2sChallenge other(SipHashKey{3, 4});
    EXPECT_FALSE(other.Check(address, challenge, start));
}

} // namespace
} // namespace dravo
