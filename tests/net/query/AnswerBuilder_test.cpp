// Building answers: the trailer, query ids, splitting and the values' backslashes.
#include "net/RecordingSendHook.h"
#include "net/query/AnswerBuilder.h"
#include "net/query/AnswerPairs.h"

#include <gtest/gtest.h>

#include <string>

namespace dravo {
namespace {

using List = std::vector<std::string>;

class AnswerBuilderTest : public ::testing::Test {
protected:
    test::RecordingSendHook m_Out;
    AnswerBuilder m_Builder;
    static constexpr NetPeer TO{0x7F000001, 1};

    // Empty answers (they use ids but send nothing) until the next answer carries `id`.
    void SkipTo(uint32_t id) {
        for (uint32_t skipped = 1; skipped < id; ++skipped) {
            m_Builder.BeginReply(m_Out, TO);
            EXPECT_EQ(m_Builder.FinishReply(), 0u);
        }
    }
};

TEST_F(AnswerBuilderTest, OnePacketEndsWithFinalAndQueryId) {
    SkipTo(5);
    m_Builder.BeginReply(m_Out, NetPeer{0x7F000007, 4321});
    m_Builder.AddKeyValue("gamename", "dravo");
    m_Builder.AddKeyValue("gamever", "dravo 2.1");
    m_Builder.AddKeyInt("location", 0);
    const size_t bytes = m_Builder.FinishReply();
    ASSERT_EQ(m_Out.m_Sent.size(), 1u);
    EXPECT_EQ(bytes, m_Out.m_Sent[0].m_Data.size());
    EXPECT_EQ(m_Out.m_Sent[0].m_Data, "\\gamename\\dravo\\gamever\\dravo 2.1\\location\\0\\final\\\\queryid\\5.1");
    EXPECT_EQ(m_Out.m_Sent[0].m_Address, "127.0.0.7");
    EXPECT_EQ(m_Out.m_Sent[0].m_Port, 4321);
}

TEST_F(AnswerBuilderTest, AnAnswerWithoutPairsSendsNothingButUsesItsId) {
    m_Builder.BeginReply(m_Out, TO);
    m_Builder.FinishReply();
    EXPECT_TRUE(m_Out.m_Sent.empty());
    m_Builder.BeginReply(m_Out, TO);
    m_Builder.AddKeyValue("echo", "x");
    m_Builder.FinishReply();
    EXPECT_EQ(m_Out.Data(), List{"\\echo\\x\\final\\\\queryid\\2.1"});
}

TEST_F(AnswerBuilderTest, QueryIdWrapsFrom1000To1) {
    SkipTo(1000);
    for (const char* value : {"a", "b"}) {
        m_Builder.BeginReply(m_Out, TO);
        m_Builder.AddKeyValue("echo", value);
        m_Builder.FinishReply();
    }
    m_Builder.Reset();
    m_Builder.BeginReply(m_Out, TO);
    m_Builder.AddKeyValue("echo", "c");
    m_Builder.FinishReply();
    EXPECT_EQ(m_Out.Data(), (List{"\\echo\\a\\final\\\\queryid\\1000.1", "\\echo\\b\\final\\\\queryid\\1.1",
                                  "\\echo\\c\\final\\\\queryid\\1.1"}));
}

TEST_F(AnswerBuilderTest, LongAnswersSplitWithFinalOnlyOnTheLast) {
    // Pairs of 5 + 1000 bytes: four fit under the threshold, the fifth starts a new packet.
    const std::string value(1000, 'v');
    m_Builder.BeginReply(m_Out, TO);
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
    m_Builder.BeginReply(m_Out, TO);
    m_Builder.AddKeyValue("echo", "next");
    m_Builder.FinishReply();
    EXPECT_EQ(m_Out.Data().back(), "\\echo\\next\\final\\\\queryid\\2.1"); // one id for the whole answer
}

TEST_F(AnswerBuilderTest, SplitsExactlyWhenTheThresholdIsReached) {
    const std::string big(4000, 'a'); // a packet of "\k\" + 4000 = 4003 bytes
    m_Builder.BeginReply(m_Out, TO);
    m_Builder.AddKeyValue("k", big);
    m_Builder.AddKeyValue("k", std::string(41, 'b')); // 4003 + 1 + 41 + 50 = 4095: stays
    m_Builder.FinishReply();
    EXPECT_EQ(m_Out.Data(), List{"\\k\\" + big + "\\k\\" + std::string(41, 'b') + "\\final\\\\queryid\\1.1"});

    m_Out.m_Sent.clear();
    m_Builder.BeginReply(m_Out, TO);
    m_Builder.AddKeyValue("k", big);
    m_Builder.AddKeyValue("k", std::string(42, 'b')); // 4003 + 1 + 42 + 50 = 4096: goes to the next packet
    m_Builder.FinishReply();
    EXPECT_EQ(m_Out.Data(),
              (List{"\\k\\" + big + "\\queryid\\2.1", "\\k\\" + std::string(42, 'b') + "\\final\\\\queryid\\2.2"}));
}

TEST_F(AnswerBuilderTest, AValueNeverOverflowsThePacket) {
    m_Builder.BeginReply(m_Out, TO);
    m_Builder.AddKeyValue("huge", std::string(10000, 'x'));
    m_Builder.FinishReply();
    ASSERT_EQ(m_Out.m_Sent.size(), 1u);
    const std::string& packet = m_Out.m_Sent[0].m_Data;
    EXPECT_LT(packet.size(), AnswerBuilder::PACKET_SIZE);
    EXPECT_TRUE(packet.ends_with("x\\final\\\\queryid\\1.1")) << packet.substr(packet.size() - 40);
}

TEST_F(AnswerBuilderTest, BackslashesInValuesCannotAddKeys) {
    m_Builder.BeginReply(m_Out, TO);
    m_Builder.AddKeyValue("player_0", "Evil\\frags_0\\999");
    m_Builder.FinishReply();
    EXPECT_EQ(m_Out.Data(), List{"\\player_0\\Evil/frags_0/999\\final\\\\queryid\\1.1"});
}

TEST(AnswerBuilderPairs, PairsKeptReadySplitExactlyAsPairsAddedOneByOne) {
    // Pairs of many lengths around the threshold, after an echo of many lengths, in answers of many packets.
    const size_t lengths[] = {0, 1, 7, 60, 900, 1990, 2023, 3990, 4000, 4044, 5000};
    const NetPeer to{0x7F000001, 1};
    for (const size_t echo : {size_t{0}, size_t{1}, size_t{45}, size_t{2000}, size_t{4040}}) {
        AnswerPairs pairs;
        test::RecordingSendHook singleOut;
        test::RecordingSendHook pairsOut;
        AnswerBuilder single;
        AnswerBuilder ready;
        single.BeginReply(singleOut, to);
        ready.BeginReply(pairsOut, to);
        if (echo > 0) {
            single.AddKeyValue("echo", std::string(echo, 'e'));
            ready.AddKeyValue("echo", std::string(echo, 'e'));
        }
        for (int round = 0; round < 3; ++round) {
            for (const size_t length : lengths) {
                const std::string key = "k" + std::to_string(length);
                const std::string value(length, length % 2 == 0 ? 'v' : '\\');
                pairs.Add(key, value);
                single.AddKeyValue(key, value);
            }
        }
        ready.AddPairs(pairs);
        EXPECT_EQ(ready.FinishReply(), single.FinishReply()) << echo;
        const std::vector<std::string> expected = singleOut.Data();
        const std::vector<std::string> got = pairsOut.Data();
        ASSERT_EQ(got.size(), expected.size()) << echo;
        EXPECT_GE(got.size(), 10u);
        for (size_t packet = 0; packet < got.size(); ++packet) {
            EXPECT_TRUE(got[packet] == expected[packet]) << "echo " << echo << ", packet " << packet;
        }
    }
}

TEST(AnswerPairs, WriteTheWireFormCutAndMadeHarmless) {
    AnswerPairs pairs;
    pairs.Add("player_0", "Back\\slash");
    pairs.AddInt("frags_0", -12);
    pairs.Add(std::string(70, 'k'), std::string(5000, 'v'));
    const std::string cutKey(AnswerPairs::MAX_KEY, 'k');
    const std::string cutValue(AnswerPairs::MAX_PAIR - 2 - AnswerPairs::MAX_KEY, 'v');
    EXPECT_EQ(pairs.Text(), "\\player_0\\Back/slash\\frags_0\\-12\\" + cutKey + "\\" + cutValue);
    EXPECT_EQ(pairs.Ends(), (std::vector<uint32_t>{20, 32, static_cast<uint32_t>(32 + AnswerPairs::MAX_PAIR)}));
    pairs.Clear();
    EXPECT_EQ(pairs.Count(), 0u);
    EXPECT_EQ(pairs.Text(), "");
}

} // namespace
} // namespace dravo
