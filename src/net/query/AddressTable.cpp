// The segmented table of recently seen addresses, in fixed buckets.
#include "net/query/AddressTable.h"

#include <algorithm>

namespace dravo {

AddressTable::AddressTable(size_t capacity, const SipHashKey& key, AddressTimes times)
    : m_Key(key), m_Times(times), m_Slots(std::max<size_t>(capacity, 1)), m_Buckets(BucketCount(m_Slots.size()), NONE),
      m_ProtectedLimit(m_Slots.size() * 3 / 4) {}

size_t AddressTable::BucketCount(size_t capacity) {
    size_t buckets = 1;
    while (buckets < capacity) {
        buckets *= 2;
    }
    return buckets;
}

uint32_t AddressTable::Bucket(const SipHashKey& key, uint32_t address, size_t buckets) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(address >> 24),
                                    static_cast<unsigned char>(address >> 16), static_cast<unsigned char>(address >> 8),
                                    static_cast<unsigned char>(address)};
    return static_cast<uint32_t>(SipHash24(key, bytes, sizeof bytes) & (buckets - 1));
}

void AddressTable::Clear(const SipHashKey& key) {
    m_Key = key;
    std::fill(m_Buckets.begin(), m_Buckets.end(), NONE);
    m_Lists[PROBATION] = List{};
    m_Lists[PROTECTED] = List{};
    m_Unused = 0;
    m_LastSeen = NONE;
}

AddressTable::Entry& AddressTable::See(uint32_t address, uint32_t nowMs, bool& isNew, Sighting sighting) {
    const uint32_t bucket = Bucket(m_Key, address, m_Buckets.size());
    size_t chain = 0;
    for (uint32_t slot = m_Buckets[bucket]; slot != NONE; slot = m_Slots[slot].m_Chain, ++chain) {
        if (m_Slots[slot].m_Entry.m_Address == address) {
            isNew = false;
            Touch(slot, nowMs);
            m_LastSeen = slot;
            return Note(m_Slots[slot].m_Entry, nowMs, sighting);
        }
    }
    isNew = true;
    const uint32_t slot = chain >= MAX_CHAIN ? TakeFromBucket(bucket, nowMs) : TakeSlot();
    Slot& taken = m_Slots[slot];
    taken.m_Entry = Entry{};
    taken.m_Entry.m_Address = address;
    taken.m_Entry.m_Crowded = chain >= MAX_CHAIN;
    taken.m_Entry.m_SeenMs = nowMs;
    taken.m_Chain = m_Buckets[bucket];
    m_Buckets[bucket] = slot;
    PushFront(slot, PROBATION);
    m_LastSeen = slot;
    return Note(taken.m_Entry, nowMs, sighting);
}

// The first visit starts the time it takes to be promoted; a passing sighting never does.
AddressTable::Entry& AddressTable::Note(Entry& entry, uint32_t nowMs, Sighting sighting) {
    if (sighting == Sighting::Visit && !entry.m_Visited) {
        entry.m_Visited = true;
        entry.m_FirstMs = nowMs;
    }
    return entry;
}

void AddressTable::Touch(uint32_t slot, uint32_t nowMs) {
    Entry& entry = m_Slots[slot].m_Entry;
    Unlink(slot);
    if (entry.m_Protected && nowMs - entry.m_SeenMs >= m_Times.m_ProtectedIdleMs) {
        entry.m_Protected = false; // idle too long: it starts over as a stranger, from its next visit
        entry.m_Visited = false;
    }
    entry.m_SeenMs = nowMs;
    PushFront(slot, entry.m_Protected ? PROTECTED : PROBATION);
}

bool AddressTable::PromoteLastSeen(uint32_t nowMs) {
    if (m_LastSeen == NONE) {
        return false;
    }
    Entry& entry = m_Slots[m_LastSeen].m_Entry;
    if (entry.m_Protected) {
        return true;
    }
    const bool due = entry.m_Visited && nowMs - entry.m_FirstMs >= m_Times.m_PromoteAfterMs &&
                     (!entry.m_WasPromoted || nowMs - entry.m_PromotedMs >= m_Times.m_PromoteEveryMs);
    if (!due || !MakeProtectedRoom(nowMs)) {
        return false;
    }
    Unlink(m_LastSeen);
    entry.m_Protected = true;
    entry.m_WasPromoted = true;
    entry.m_PromotedMs = nowMs;
    PushFront(m_LastSeen, PROTECTED);
    return true;
}

// Room among the protected: free, or taken from the stalest one once it has been idle too long.
bool AddressTable::MakeProtectedRoom(uint32_t nowMs) {
    if (m_Lists[PROTECTED].m_Size < m_ProtectedLimit) {
        return true;
    }
    const uint32_t stalest = m_Lists[PROTECTED].m_Tail;
    if (stalest == NONE || nowMs - m_Slots[stalest].m_Entry.m_SeenMs < m_Times.m_ProtectedIdleMs) {
        return false;
    }
    Unlink(stalest);
    m_Slots[stalest].m_Entry.m_Protected = false;
    m_Slots[stalest].m_Entry.m_Visited = false; // a stranger again, from its next visit
    PushBack(stalest, PROBATION);               // the first to make room
    return true;
}

uint32_t AddressTable::TakeSlot() {
    if (m_Unused < m_Slots.size()) {
        return m_Unused++;
    }
    const List& probation = m_Lists[PROBATION];
    const uint32_t stalest = probation.m_Tail != NONE ? probation.m_Tail : m_Lists[PROTECTED].m_Tail;
    Forget(stalest);
    return stalest;
}

// The bucket's stalest on probation, or its stalest protected one when all of them are.
uint32_t AddressTable::TakeFromBucket(uint32_t bucket, uint32_t nowMs) {
    uint32_t chosen = NONE;
    for (uint32_t slot = m_Buckets[bucket]; slot != NONE; slot = m_Slots[slot].m_Chain) {
        const Entry& entry = m_Slots[slot].m_Entry;
        if (chosen == NONE) {
            chosen = slot;
            continue;
        }
        const Entry& best = m_Slots[chosen].m_Entry;
        const bool better =
            entry.m_Protected != best.m_Protected ? !entry.m_Protected : nowMs - entry.m_SeenMs > nowMs - best.m_SeenMs;
        if (better) {
            chosen = slot;
        }
    }
    Forget(chosen);
    return chosen;
}

// Takes a slot out of its segment and its bucket.
void AddressTable::Forget(uint32_t slot) {
    Unlink(slot);
    const uint32_t bucket = Bucket(m_Key, m_Slots[slot].m_Entry.m_Address, m_Buckets.size());
    uint32_t* link = &m_Buckets[bucket];
    while (*link != slot) {
        link = &m_Slots[*link].m_Chain;
    }
    *link = m_Slots[slot].m_Chain;
    m_Slots[slot].m_Chain = NONE;
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

void AddressTable::PushBack(uint32_t slot, Segment segment) {
    List& list = m_Lists[segment];
    Slot& node = m_Slots[slot];
    node.m_Next = NONE;
    node.m_Previous = list.m_Tail;
    if (list.m_Tail != NONE) {
        m_Slots[list.m_Tail].m_Next = slot;
    }
    list.m_Tail = slot;
    if (list.m_Head == NONE) {
        list.m_Head = slot;
    }
    ++list.m_Size;
}

} // namespace dravo
