// ListBoxModel: the items of a list box - texts with item data, sorted insertion, one selection.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

// What list operations return for a bad index or a refused item.
constexpr int LIST_ERROR = -1;
// No item selected.
constexpr int NO_SELECTION = -1;

struct ListItem {
    std::string m_Text; // the line as shown
    int64_t m_Data = 0; // item data; travels with the item when others are inserted or deleted
};

class ListBoxModel {
public:
    // Most items a list box holds; adds past it are refused.
    static constexpr int MAX_ITEMS = 1 << 20;

    ListBoxModel(bool sorted, bool selectable) : m_Sorted(sorted), m_Selectable(selectable) {}

    // Adds an item: in order (ignoring case, after equal items) when the list sorts, else at the end.
    // Returns its index, or LIST_ERROR when the list is full.
    int Add(std::string_view text);
    // Inserts at an index (-1 = at the end) whether or not the list sorts; LIST_ERROR for a bad index.
    int Insert(int index, std::string_view text);
    // Deletes an item; returns the number of items left, or LIST_ERROR. The selection stays on the
    // item it was on, and is lost when that item is deleted.
    int Delete(int index);
    void Clear();

    int Count() const { return static_cast<int>(m_Items.size()); }
    std::optional<std::string_view> Text(int index) const;
    [[nodiscard]] bool SetData(int index, int64_t data);
    std::optional<int64_t> Data(int index) const;
    // Index of the first item from start on (start excluded; -1 = from the top) whose text equals the
    // given text exactly, case counting; LIST_ERROR when none does.
    int FindExact(std::string_view text, int start = -1) const;

    // Selects an item, or clears the selection with NO_SELECTION. False for a bad index or a list
    // whose items cannot be selected.
    [[nodiscard]] bool Select(int index);
    int Selection() const { return m_Selection; }

    void SetTabStops(std::span<const int> stops) { m_TabStops.assign(stops.begin(), stops.end()); }
    const std::vector<int>& TabStops() const { return m_TabStops; }

    bool IsSorted() const { return m_Sorted; }
    bool IsSelectable() const { return m_Selectable; }
    const std::vector<ListItem>& Items() const { return m_Items; }

private:
    bool IsIndex(int index) const { return index >= 0 && index < Count(); }
    int InsertAt(int index, std::string_view text);

    bool m_Sorted;
    bool m_Selectable;
    std::vector<ListItem> m_Items;
    int m_Selection = NO_SELECTION;
    std::vector<int> m_TabStops;
};

} // namespace dravo
