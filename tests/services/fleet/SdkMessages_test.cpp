// The sidecar's JSON: bodies as the gateway takes them, game servers and refusals as it gives them, and
// label values Kubernetes accepts.
#include "services/fleet/SdkMessages.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(SdkMessages, BodiesEscapeTextAndCarry64BitNumbersAsStrings) {
    EXPECT_EQ(EmptyBody(), "{}");
    EXPECT_EQ(KeyValueBody("level", "Say \"hi\"\\"), R"({"key":"level","value":"Say \"hi\"\\"})");
    EXPECT_EQ(CapacityBody(16), R"({"capacity":"16"})");
    EXPECT_EQ(ValueBody("A\"ce"), R"({"value":"A\"ce"})");
    EXPECT_EQ(CountBody(128), R"({"count":"128"})");
    EXPECT_EQ(PlayerIdBody("Zed"), R"({"playerID":"Zed"})");
    // A name that is not UTF-8 is still sent, its bad bytes replaced.
    EXPECT_EQ(PlayerIdBody("Ren\xe9"), "{\"playerID\":\"Ren\xef\xbf\xbd\"}");
}

TEST(SdkMessages, AWatchLineOrABareObjectGivesTheStateAndTheAnnotations) {
    const auto watched =
        ReadGameServer(R"({"result":{"object_meta":{"name":"gs","annotations":{"dravo/level":"Frostline","n":7}},)"
                       R"("status":{"state":"Allocated","players":{"count":"2"}}}})");
    ASSERT_TRUE(watched);
    EXPECT_EQ(watched->m_State, "Allocated");
    EXPECT_EQ(watched->m_Annotations.at("dravo/level"), "Frostline");
    EXPECT_EQ(watched->m_Annotations.count("n"), 0u); // not a text: left out
    const auto bare = ReadGameServer(R"({"status":{"state":"Ready"}})");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->m_State, "Ready");
    EXPECT_TRUE(bare->m_Annotations.empty());
}

TEST(SdkMessages, WhatIsNotAGameServerReadsAsNothing) {
    for (const char* text : {"", "garbage", "[]", R"({"result":5})", R"({"status":{"state":3}})",
                             R"({"error":{"code":14,"message":"unavailable"}})", R"({"result":{"status":[]}})",
                             "{\"status\":{\"state\":\"Ready\"}"}) {
        EXPECT_FALSE(ReadGameServer(text)) << text;
    }
    // Deep nesting is refused by the parser's own means, not by the stack.
    EXPECT_FALSE(ReadGameServer(std::string(100000, '[')));
}

TEST(SdkMessages, OnlyTheGatewaysStatusIsARefusal) {
    EXPECT_TRUE(IsRefusal(R"({"code":5,"message":"not found. players List not found","details":[]})"));
    EXPECT_FALSE(IsRefusal("oops!"));
    EXPECT_FALSE(IsRefusal(R"({"code":"5","message":"x"})"));
    EXPECT_FALSE(IsRefusal(R"({"code":5})"));
    EXPECT_FALSE(IsRefusal("{}"));
}

TEST(SdkMessages, LabelValuesKeepTheLastPartWithinKubernetesRules) {
    EXPECT_EQ(LabelValue("Worlds\\Multi\\Cinderworks"), "Cinderworks");
    EXPECT_EQ(LabelValue("Worlds/Multi/Frost line"), "Frost_line");
    EXPECT_EQ(LabelValue("Glasshouse"), "Glasshouse");
    EXPECT_EQ(LabelValue("-_.deathmatch!"), "deathmatch");
    EXPECT_EQ(LabelValue("level.dat"), "level.dat");
    EXPECT_EQ(LabelValue(""), "");
    EXPECT_EQ(LabelValue("***"), "");
    const std::string cut = LabelValue(std::string(62, 'a') + "-b");
    EXPECT_EQ(cut, std::string(62, 'a')); // 63 characters would end in "-"
    EXPECT_EQ(LabelValue(std::string(100, 'x')).size(), MAX_LABEL_VALUE_CHARS);
}

} // namespace
} // namespace dravo
