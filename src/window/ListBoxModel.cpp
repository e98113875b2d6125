// List box items: sorted insertion and a selection that follows its item.
#include "window/ListBoxModel.h"

#include <algorithm>

namespace dravo {
namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when left sorts before right, ignoring the case of ASCII letters.
bool SortsBefore(std::string_view left, std::string_view right) {
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return static_cast<unsigned char>(Lower(a)) < static_cast<unsigned char>(Lower(b));
    });
}

} // namespace

int ListBoxModel::Add(std::string_view text) {
    if (!m_Sorted) {
        return InsertAt(Count(), text);
    }
    const auto position =
        std::upper_bound(m_Items.begin(), m_Items.end(), text, [](std::string_view wanted, const ListItem& item) {
            return SortsBefore(wanted, item.m_Text);
        });
    return InsertAt(static_cast<int>(position - m_Items.begin()), text);
}

int ListBoxModel::Insert(int index, std::string_view text) {
    if (index == -1) {
        index = Count();
    }
    if (index < 0 || index > Count()) {
        return LIST_ERROR;
    }
    return InsertAt(index, text);
}

int ListBoxModel::InsertAt(int index, std::string_view text) {
    if (Count() >= MAX_ITEMS) {
        return LIST_ERROR;
    }
    m_Items.insert(m_Items.begin() + index, ListItem{std::string(text), 0});
    if (m_Selection != NO_SELECTION && m_Selection >= index) {
        ++m_Selection;
    }
    return index;
}

int ListBoxModel::Delete(int index) {
    if (!IsIndex(index)) {
        return LIST_ERROR;
    }
    m_Items.erase(m_Items.begin() + index);
    if (m_Selection == index) {
        m_Selection = NO_SELECTION;
    } else if (m_Selection > index) {
        --m_Selection;
    }
    return Count();
}

void ListBoxModel::Clear() {
    m_Items.clear();
    m_Selection = NO_SELECTION;
}

std::optional<std::string_view> ListBoxModel::Text(int index) const {
    if (!IsIndex(index)) {
        return std::nullopt;
    }
    return m_Items[static_cast<size_t>(index)].m_Text;
}

bool ListBoxModel::SetData(int index, int64_t data) {
    if (!IsIndex(index)) {
        return false;
    }
    m_Items[static_cast<size_t>(index)].m_Data = data;
    return true;
}

std::optional<int64_t> ListBoxModel::Data(int index) const {
    if (!IsIndex(index)) {
        return std::nullopt;
    }
    return m_Items[static_cast<size_t>(index)].m_Data;
}

int ListBoxModel::FindExact(std::string_view text, int start) const {
    for (int i = std::max(start + 1, 0); i < Count(); ++i) {
        if (m_Items[static_cast<size_t>(i)].m_Text == text) {
            return i;
        }
    }
    return LIST_ERROR;
}

bool ListBoxModel::Select(int index) {
    if (!m_Selectable || (index != NO_SELECTION && !IsIndex(index))) {
        return false;
    }
    m_Selection = index;
    return true;
}

} // namespace dravo
