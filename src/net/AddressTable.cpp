// The segmented table of recently seen addresses.
#include "net/AddressTable.h"

namespace dravo {

AddressTable::AddressTable(size_t capacity)
    : m_Slots(capacity == 0 ? 1 : capacity), m_ProtectedLimit(m_Slots.size() * 3 / 4) {
    m_Index.reserve(m_Slots.size()); // never rehashes: the table never holds more
}

void AddressTable::Clear() {
    m_Index.clear();
    m_Lists[PROBATION] = List{};
    m_Lists[PROTECTED] = List{};
    m_Unused = 0;
}

AddressTable::Entry& AddressTable::See(uint32_t address, bool& isNew) {
    const auto found = m_Index.find(address);
    if (found != m_Index.end()) {
        isNew = false;
        const uint32_t slot = found->second;
        Unlink(slot);
        Entry& entry = m_Slots[slot].m_Entry;
        if (!entry.m_Protected && m_Lists[PROTECTED].m_Size >= m_ProtectedLimit && m_ProtectedLimit > 0) {
            // Room among the protected: their stalest goes back on probation.
            const uint32_t demoted = m_Lists[PROTECTED].m_Tail;
            Unlink(demoted);
            m_Slots[demoted].m_Entry.m_Protected = false;
            PushFront(demoted, PROBATION);
        }
        entry.m_Protected = entry.m_Protected || m_ProtectedLimit > 0;
        PushFront(slot, entry.m_Protected ? PROTECTED : PROBATION);
        return entry;
    }
    isNew = true;
    const uint32_t slot = TakeSlot();
    m_Slots[slot].m_Entry = Entry{address, 0, 0, false};
    m_Index.emplace(address, slot);
    PushFront(slot, PROBATION);
    return m_Slots[slot].m_Entry;
}

uint32_t AddressTable::TakeSlot() {
    if (m_Unused < m_Slots.size()) {
        return m_Unused++;
    }
    const List& probation = m_Lists[PROBATION];
    const uint32_t stalest = probation.m_Tail != NONE ? probation.m_Tail : m_Lists[PROTECTED].m_Tail;
    Unlink(stalest);
    m_Index.erase(m_Slots[stalest].m_Entry.m_Address);
    return stalest;
}

void AddressTable::Unlink(uint32_t slot) {
    Slot& node = m_Slots[slot];
    List& list = m_Lists[node.m_Entry.m_Protected ? PROTECTED : PROBATION];
    if (node.m_Previous != NONE) {
        m_Slots[node.m_Previous].m_Next = node.m_Next;
    } else {
        list.m_Head = node.m_Next;
    }
    if (node.m_Next != NONE) {
        m_Slots[node.m_Next].m_Previous = node.m_Previous;
    } else {
        list.m_Tail = node.m_Previous;
    }
    node.m_Previous = NONE;
    node.m_Next = NONE;
    --list.m_Size;
}

void AddressTable::PushFront(uint32_t slot, Segment segment) {
    List& list = m_Lists[segment];
    Slot& node = m_Slots[slot];
    node.m_Previous = NONE;
    node.m_Next = list.m_Head;
    if (list.m_Head != NONE) {
        m_Slots[list.m_Head].m_Previous = slot;
    }
    list.m_Head = slot;
    if (list.m_Tail == NONE) {
        list.m_Tail = slot;
    }
    ++list.m_Size;
}

} // namespace dravo
