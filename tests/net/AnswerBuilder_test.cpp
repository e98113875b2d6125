// Building answers: the trailer, query ids, splitting and the values' backslashes.
#include "net/AnswerBuilder.h"
#include "net/RecordingSendHook.h"

#include <gtest/gtest.h>

#include <string>

namespace dravo {
namespace {

using List = std::vector<std::string>;

class AnswerBuilderTest : public ::testing::Test {
protected:
    test::RecordingSendHook m_Out;
    AnswerBuilder m_Builder{m_Out};

    // Answers with one pair until the next answer carries `id`.
    void SkipTo(uint32_t id) {
        while (m_Builder.QueryId() != id) {
            m_Builder.BeginReply("127.0.0.1", 1);
            m_Builder.FinishReply();
        }
    }
};

TEST_F(AnswerBuilderTest, OnePacketEndsWithFinalAndQueryId) {
    SkipTo(5);
    m_Builder.BeginReply("127.0.0.7", 4321);
    m_Builder.AddKeyValue("gamename", "dravo");
    m_Builder.AddKeyValue("gamever", "dravo 2.1");
    m_Builder.AddKeyInt("location", 0);
    m_Builder.FinishReply();
    ASSERT_EQ(m_Out.m_Sent.size(), 1u);
    EXPECT_EQ(m_Out.m_Sent[0].m_Data, "\\gamename\\dravo\\gamever\\dravo 2.1\\location\\0\\final\\\\queryid\\5.1");
    EXPECT_EQ(m_Out.m_Sent[0].m_Address, "127.0.0.7");
    EXPECT_EQ(m_Out.m_Sent[0].m_Port, 4321);
    EXPECT_EQ(m_Builder.QueryId(), 6u);
}

TEST_F(AnswerBuilderTest, AnAnswerWithoutPairsSendsNothingButUsesItsId) {
    m_Builder.BeginReply("127.0.0.1", 1);
    m_Builder.FinishReply();
    EXPECT_TRUE(m_Out.m_Sent.empty());
    m_Builder.BeginReply("127.0.0.1", 1);
    m_Builder.AddKeyValue("echo", "x");
    m_Builder.FinishReply();
    EXPECT_EQ(m_Out.Data(), List{"\\echo\\x\\final\\\\queryid\\2.1"});
}

TEST_F(AnswerBuilderTest, QueryIdWrapsFrom1000To1) {
    SkipTo(1000);
    for (const char* value : {"a", "b"}) {
        m_Builder.BeginReply("127.0.0.1", 1);
        m_Builder.AddKeyValue("echo", value);
        m_Builder.FinishReply();
    }
    EXPECT_EQ(m_Out.Data(), (List{"\\echo\\a\\final\\\\queryid\\1000.1", "\\echo\\b\\final\\\\queryid\\1.1"}));
    m_Builder.Reset();
    EXPECT_EQ(m_Builder.QueryId(), 1u);
}

TEST_F(AnswerBuilderTest, LongAnswersSplitWithFinalOnlyOnTheLast) {
    // Pairs of 5 + 1000 bytes: four fit under the threshold, the fifth starts a new packet.
    const std::string value(1000, 'v');
    m_Builder.BeginReply("127.0.0.1", 1);
    for (int i = 0; i < 9; ++i) {
        m_Builder.AddKeyValue("key", value);
    }
    m_Builder.FinishReply();
    const List data = m_Out.Data();
    ASSERT_EQ(data.size(), 3u);
    const std::string pair = "\\key\\" + value;
    const std::string four = pair + pair + pair + pair;
    EXPECT_EQ(data[0], four + "\\queryid\\1.1");
    EXPECT_EQ(data[1], four + "\\queryid\\1.2");
    EXPECT_EQ(data[2], pair + "\\final\\\\queryid\\1.3");
    EXPECT_EQ(m_Builder.QueryId(), 2u); // one id for the whole answer
}

TEST_F(AnswerBuilderTest, SplitsExactlyWhenTheThresholdIsReached) {
    const std::string big(4000, 'a'); // a packet of "\k\" + 4000 = 4003 bytes
    m_Builder.BeginReply("127.0.0.1", 1);
    m_Builder.AddKeyValue("k", big);
    m_Builder.AddKeyValue("k", std::string(41, 'b')); // 4003 + 1 + 41 + 50 = 4095: stays
    m_Builder.FinishReply();
    EXPECT_EQ(m_Out.Data(), List{"\\k\\" + big + "\\k\\" + std::string(41, 'b') + "\\final\\\\queryid\\1.1"});

    m_Out.m_Sent.clear();
    m_Builder.BeginReply("127.0.0.1", 1);
    m_Builder.AddKeyValue("k", big);
    m_Builder.AddKeyValue("k", std::string(42, 'b')); // 4003 + 1 + 42 + 50 = 4096: goes to the next packet
    m_Builder.FinishReply();
    EXPECT_EQ(m_Out.Data(),
              (List{"\\k\\" + big + "\\queryid\\2.1", "\\k\\" + std::string(42, 'b') + "\\final\\\\queryid\\2.2"}));
}

TEST_F(AnswerBuilderTest, AValueNeverOverflowsThePacket) {
    m_Builder.BeginReply("127.0.0.1", 1);
    m_Builder.AddKeyValue("huge", std::string(10000, 'x'));
    m_Builder.FinishReply();
    ASSERT_EQ(m_Out.m_Sent.size(), 1u);
    const std::string& packet = m_Out.m_Sent[0].m_Data;
    EXPECT_LT(packet.size(), AnswerBuilder::PACKET_SIZE);
    EXPECT_TRUE(packet.ends_with("x\\final\\\\queryid\\1.1")) << packet.substr(packet.size() - 40);
}

TEST_F(AnswerBuilderTest, BackslashesInValuesCannotAddKeys) {
    m_Builder.BeginReply("127.0.0.1", 1);
    m_Builder.AddKeyValue("player_0", "Evil\\frags_0\\999");
    m_Builder.FinishReply();
    EXPECT_EQ(m_Out.Data(), List{"\\player_0\\Evil/frags_0/999\\final\\\\queryid\\1.1"});
}

} // namespace
} // namespace dravo
