// The player table: names, count limits, the frags sort and the walk.
#include "host/game/PlayerTable.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace dravo {
namespace {

using Names = std::vector<std::string>;

void Fill(PlayerTable& table, size_t index, std::string_view name, int32_t frags, uint32_t clientId = 0) {
    PlayerEntry& entry = table.Entry(index);
    entry.SetName(name);
    entry.m_Frags = frags;
    entry.m_ClientId = clientId;
    entry.m_Ping = static_cast<int32_t>(clientId) * 10;
}

Names WalkNames(PlayerTable& table) {
    Names names;
    for (const PlayerEntry* entry = table.FirstPlayer(); entry != nullptr; entry = table.NextPlayer()) {
        names.emplace_back(entry->Name());
    }
    return names;
}

TEST(PlayerTable, CountIsLimitedToTheTable) {
    PlayerTable table;
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.FirstPlayer(), nullptr);
    table.SetCount(500);
    EXPECT_EQ(table.Count(), static_cast<int32_t>(MAX_PLAYER_ENTRIES));
    table.SetCount(-4);
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.FirstPlayer(), nullptr);
    EXPECT_THROW(table.Entry(MAX_PLAYER_ENTRIES), std::out_of_range);
}

TEST(PlayerTable, NameIsCutAndFullyReplaced) {
    PlayerEntry entry{};
    const std::string longName(100, 'n');
    entry.SetName(longName);
    EXPECT_EQ(entry.Name(), longName.substr(0, 63));
    EXPECT_EQ(entry.m_Name[63], '\0');
    entry.SetName("Bo");
    EXPECT_EQ(entry.Name(), "Bo");
}

TEST(PlayerTable, SortPutsMostFragsFirstThenName) {
    PlayerTable table;
    Fill(table, 0, "Zed", 5, 31);
    Fill(table, 1, "Ace", 12, 32);
    Fill(table, 2, "Bob", 5, 33);
    table.SetCount(3);
    table.Sort();
    EXPECT_EQ(WalkNames(table), (Names{"Ace", "Bob", "Zed"}));
    // Whole entries move together.
    EXPECT_EQ(table.Entry(0).m_ClientId, 32u);
    EXPECT_EQ(table.Entry(0).m_Ping, 320);
    EXPECT_EQ(table.Entry(2).m_ClientId, 31u);
    EXPECT_EQ(table.Entry(2).m_Frags, 5);
}

TEST(PlayerTable, SortComparesNamesByteByByte) {
    PlayerTable table;
    Fill(table, 0, "ace", 0);
    Fill(table, 1, "\xC9mile", 0);
    Fill(table, 2, "Ace2", 0);
    Fill(table, 3, "Ace", 0);
    Fill(table, 4, "Neg", -2);
    table.SetCount(5);
    table.Sort();
    // Upper case before lower case, a prefix first, bytes above 127 last, negative frags below zero.
    EXPECT_EQ(WalkNames(table), (Names{"Ace", "Ace2", "ace", "\xC9mile", "Neg"}));
}

TEST(PlayerTable, SortKeepsEqualPlayersAndLeavesTheRestAlone) {
    PlayerTable table;
    Fill(table, 0, "Twin", 4, 10);
    Fill(table, 1, "Twin", 4, 11);
    Fill(table, 2, "Alpha", 1, 12);
    Fill(table, 3, "Top", 99, 13);
    table.SetCount(3);
    table.Sort();
    EXPECT_EQ(table.Entry(0).m_ClientId, 10u);
    EXPECT_EQ(table.Entry(1).m_ClientId, 11u);
    EXPECT_EQ(table.Entry(3).Name(), "Top");
}

TEST(PlayerTable, WalkHandsOutCountEntriesThenStops) {
    PlayerTable table;
    Fill(table, 0, "Ace", 3);
    Fill(table, 1, "Bob", 2);
    Fill(table, 2, "Cid", 1);
    table.SetCount(2);
    EXPECT_EQ(table.FirstPlayer(), &table.Entry(0));
    EXPECT_EQ(table.NextPlayer(), &table.Entry(1));
    EXPECT_EQ(table.NextPlayer(), nullptr);
    EXPECT_EQ(table.NextPlayer(), nullptr);
    table.SetCount(3);
    EXPECT_EQ(WalkNames(table), (Names{"Ace", "Bob", "Cid"}));

    table.Reset();
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.NextPlayer(), nullptr);
    EXPECT_EQ(table.Entry(0).Name(), "");
    EXPECT_EQ(table.Entry(0).m_Frags, 0);
}

} // namespace
} // namespace dravo
