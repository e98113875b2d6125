// List box items: sorted insertion, item data that follows its item, and the selection through deletes.
#include "window/ListBoxModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dravo {
namespace {

std::vector<std::string> TextsOf(const ListBoxModel& list) {
    std::vector<std::string> texts;
    for (const ListItem& item : list.Items()) {
        texts.push_back(item.m_Text);
    }
    return texts;
}

TEST(ListBoxModel, SortedListInsertsInOrderIgnoringCase) {
    ListBoxModel list(true, true);
    EXPECT_EQ(list.Add("Tcp/ip"), 0);
    EXPECT_EQ(list.Add("ipx"), 0);
    EXPECT_EQ(list.Add("Modem"), 1);
    EXPECT_EQ(list.Add("serial cable"), 2);
    EXPECT_EQ(list.Add("MODEM"), 2); // after the equal item already there
    EXPECT_EQ(TextsOf(list), (std::vector<std::string>{"ipx", "Modem", "MODEM", "serial cable", "Tcp/ip"}));
}

TEST(ListBoxModel, UnsortedListKeepsTheOrderOfAdding) {
    ListBoxModel list(false, true);
    EXPECT_EQ(list.Add("b"), 0);
    EXPECT_EQ(list.Add("a"), 1);
    EXPECT_EQ(list.Insert(0, "c"), 0);
    EXPECT_EQ(list.Insert(-1, "d"), 3);
    EXPECT_EQ(list.Insert(5, "x"), LIST_ERROR);
    EXPECT_EQ(list.Insert(-2, "x"), LIST_ERROR);
    EXPECT_EQ(TextsOf(list), (std::vector<std::string>{"c", "b", "a", "d"}));
}

TEST(ListBoxModel, ItemDataTravelsWithItsItem) {
    ListBoxModel list(true, true);
    ASSERT_TRUE(list.SetData(list.Add("mercury"), 1));
    ASSERT_TRUE(list.SetData(list.Add("venus"), 2));
    ASSERT_TRUE(list.SetData(list.Add("earth"), 3)); // lands before both
    EXPECT_EQ(list.Data(0), 3);
    EXPECT_EQ(list.Data(1), 1);
    EXPECT_EQ(list.Data(2), 2);
    ASSERT_EQ(list.Delete(0), 2);
    EXPECT_EQ(list.Data(0), 1);
    EXPECT_EQ(list.Text(1), "venus");
}

TEST(ListBoxModel, SelectionFollowsItsItemThroughDeletesAndInserts) {
    ListBoxModel list(false, true);
    for (const char* text : {"a", "b", "c", "d"}) {
        list.Add(text);
    }
    ASSERT_TRUE(list.Select(2)); // "c"
    ASSERT_EQ(list.Delete(0), 3);
    EXPECT_EQ(list.Selection(), 1);
    EXPECT_EQ(list.Text(list.Selection()), "c");
    ASSERT_EQ(list.Delete(2), 2); // after the selection: no change
    EXPECT_EQ(list.Selection(), 1);
    ASSERT_EQ(list.Insert(0, "z"), 0);
    EXPECT_EQ(list.Text(list.Selection()), "c");
    ASSERT_EQ(list.Delete(list.Selection()), 2); // the selected item goes: nothing is selected
    EXPECT_EQ(list.Selection(), NO_SELECTION);
}

TEST(ListBoxModel, BadIndexesReturnErrorsAndChangeNothing) {
    ListBoxModel list(false, true);
    list.Add("only");
    EXPECT_EQ(list.Delete(1), LIST_ERROR);
    EXPECT_EQ(list.Delete(-1), LIST_ERROR);
    EXPECT_FALSE(list.Text(1).has_value());
    EXPECT_FALSE(list.Data(-1).has_value());
    EXPECT_FALSE(list.SetData(3, 7));
    EXPECT_FALSE(list.Select(1));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(list.Select(NO_SELECTION));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.Select(0));
}

TEST(ListBoxModel, ListWithoutSelectionRefusesOne) {
    ListBoxModel list(false, false);
    list.Add("level one");
    EXPECT_FALSE(list.Select(0));
    EXPECT_EQ(list.Selection(), NO_SELECTION);
}

TEST(ListBoxModel, FindExactCountsCase) {
    ListBoxModel list(false, true);
    list.Add("Maps.rez");
    list.Add("maps.rez");
    list.Add("Maps.rez");
    EXPECT_EQ(list.FindExact("maps.rez"), 1);
    EXPECT_EQ(list.FindExact("Maps.rez"), 0);
    EXPECT_EQ(list.FindExact("Maps.rez", 0), 2);
    EXPECT_EQ(list.FindExact("MAPS.REZ"), LIST_ERROR);
}

TEST(ListBoxModel, KeepsTabStops) {
    ListBoxModel list(false, true);
    const int stops[] = {30, 116, 181};
    list.SetTabStops(stops);
    EXPECT_EQ(list.TabStops(), (std::vector<int>{30, 116, 181}));
}

} // namespace
} // namespace dravo
