// AddressTable: the addresses the answer allowances are kept for, a fixed number of them.
//
// A segmented table of least recently seen addresses. A new address comes in on
// probation; one seen again is protected. When the table is full, the address
// seen least recently on probation makes room (a protected one only when
// probation is empty), so a flood of ever new addresses only ever pushes out
// its own kind: an address that keeps coming back, as a server browser does,
// keeps its place. Fixed storage: nothing is allocated after construction.
// Pure logic, one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace dravo {

class AddressTable {
public:
    // What the table keeps for an address.
    struct Entry {
        uint32_t m_Address = 0;
        uint64_t m_AllowanceMilli = 0; // answers in thousandths
        uint32_t m_LastMs = 0;         // when the allowance was last brought up to date
        bool m_Protected = false;      // seen more than once while in the table
    };

    explicit AddressTable(size_t capacity);

    // The address's entry, marked as just seen (and protected when it was seen before); a new entry, in
    // place of the stalest, when the address is not in the table. `isNew` tells which.
    Entry& See(uint32_t address, bool& isNew);
    void Clear();
    size_t Size() const { return m_Index.size(); }
    size_t Capacity() const { return m_Slots.size(); }

private:
    static constexpr uint32_t NONE = UINT32_MAX;
    enum Segment { PROBATION = 0, PROTECTED = 1 };

    struct Slot {
        Entry m_Entry;
        uint32_t m_Previous = NONE; // towards the most recently seen
        uint32_t m_Next = NONE;     // towards the least recently seen
    };
    struct List {
        uint32_t m_Head = NONE; // most recently seen
        uint32_t m_Tail = NONE; // least recently seen
        size_t m_Size = 0;
    };

    void Unlink(uint32_t slot);
    void PushFront(uint32_t slot, Segment segment);
    uint32_t TakeSlot();

    std::vector<Slot> m_Slots;
    std::unordered_map<uint32_t, uint32_t> m_Index; // address -> slot
    List m_Lists[2];
    size_t m_ProtectedLimit;
    uint32_t m_Unused = 0; // slots never used yet are m_Unused .. capacity - 1
};

} // namespace dravo
