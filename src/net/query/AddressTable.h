// AddressTable: the addresses the answer allowances are kept for, a fixed number of them.
//
// A segmented table of least recently seen addresses. A new address comes in on
// probation. It becomes protected (a browser, in the limiter's eyes) only when
// it is seen again at least PromoteAfterMs after its first visit while it asks
// little (the caller, which keeps the allowances, says so by promoting the
// address it saw last), at most once every PromoteEveryMs, and
// while the protected segment has room: status costs time, not datagrams, an
// address that keeps asking much never earns it, and a protected address is
// never pushed out by a newer one. A protected address that asks nothing for
// ProtectedIdleMs goes back on probation. When the table is full, the address
// seen least recently on probation makes room (a protected one only when
// probation is empty), so a flood of new addresses only pushes out its own kind.
//
// Addresses are found through fixed buckets, chained through the slots. The
// bucket is a keyed hash (SipHash) of the address under a secret key, and a
// bucket holds at most MAX_CHAIN addresses: a new address for a full bucket
// takes the place of the stalest one there. So no set of addresses, not even
// one built with the key in hand, makes a look-up walk more than MAX_CHAIN
// slots. Everything is allocated at construction. Pure logic, one thread; times
// are milliseconds of the caller's clock.
//
// A visit is a sighting for a query answered on its own account. A passing
// sighting (a request for an A2S challenge, which a client makes just before
// its query) keeps the address known and in its place, but is no visit: a
// client that fetches a challenge and then asks has come once, not twice.
#pragma once

#include "net/query/SipHash.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dravo {

// How long status takes to earn and to lose.
struct AddressTimes {
    uint32_t m_PromoteAfterMs = 2000;    // seen again at least this long after the first sighting
    uint32_t m_PromoteEveryMs = 60000;   // an address is promoted at most once in this long
    uint32_t m_ProtectedIdleMs = 300000; // a protected address that asks nothing this long is a stranger again
};

class AddressTable {
public:
    static constexpr size_t MAX_CHAIN = 8;

    // What the table keeps for an address; the allowances are the limiter's.
    struct Entry {
        uint32_t m_Address = 0;
        uint32_t m_FirstMs = 0;     // its first visit since it came in, or went back on probation
        uint32_t m_SeenMs = 0;      // the latest sighting
        uint32_t m_PromotedMs = 0;  // the latest promotion, when there was one
        uint32_t m_AllowanceMs = 0; // when the allowances were last brought up to date
        int64_t m_AllowanceMilli = 0;
        int64_t m_ReserveMilli = 0;
        bool m_Protected = false;
        bool m_Visited = false; // m_FirstMs holds its first visit
        bool m_WasPromoted = false;
        // It came in through a full bucket. Under a secret key that happens to almost no address: it is the
        // mark of a set built to collide, or of a table far past its size.
        bool m_Crowded = false;
    };

    // What a sighting counts for.
    enum class Sighting {
        Visit,   // a query answered on its own account
        Passing, // a request for a challenge: known and seen, but no visit
    };

    AddressTable(size_t capacity, const SipHashKey& key, AddressTimes times = {});

    // The address's entry, marked as seen at `nowMs` (and back on probation when it was protected but idle
    // too long); a new entry, in place of the stalest, when the address is not in the table. `isNew` tells
    // which.
    Entry& See(uint32_t address, uint32_t nowMs, bool& isNew, Sighting sighting = Sighting::Visit);
    // Protects the address seen last, an address that asks little, when its time has come (PromoteAfterMs
    // after its first visit) and there is room; true when it is protected now.
    bool PromoteLastSeen(uint32_t nowMs);
    // Forgets every address; from now on the buckets follow `key`.
    void Clear(const SipHashKey& key);
    size_t Size() const { return m_Lists[PROBATION].m_Size + m_Lists[PROTECTED].m_Size; }
    size_t Capacity() const { return m_Slots.size(); }
    size_t ProtectedCount() const { return m_Lists[PROTECTED].m_Size; }

    // The bucket of an address among `buckets` (a power of two), under `key`.
    static uint32_t Bucket(const SipHashKey& key, uint32_t address, size_t buckets);
    // How many buckets a table of `capacity` addresses has: a power of two, at least the capacity.
    static size_t BucketCount(size_t capacity);

private:
    static constexpr uint32_t NONE = UINT32_MAX;
    enum Segment { PROBATION = 0, PROTECTED = 1 };

    struct Slot {
        Entry m_Entry;
        uint32_t m_Previous = NONE; // towards the most recently seen of its segment
        uint32_t m_Next = NONE;     // towards the least recently seen
        uint32_t m_Chain = NONE;    // the next slot of its bucket
    };
    struct List {
        uint32_t m_Head = NONE; // most recently seen
        uint32_t m_Tail = NONE; // least recently seen
        size_t m_Size = 0;
    };

    void Touch(uint32_t slot, uint32_t nowMs);
    static Entry& Note(Entry& entry, uint32_t nowMs, Sighting sighting);
    bool MakeProtectedRoom(uint32_t nowMs);
    uint32_t TakeSlot();
    uint32_t TakeFromBucket(uint32_t bucket, uint32_t nowMs);
    void Forget(uint32_t slot);
    void Unlink(uint32_t slot);
    void PushFront(uint32_t slot, Segment segment);
    void PushBack(uint32_t slot, Segment segment);

    SipHashKey m_Key;
    AddressTimes m_Times;
    std::vector<Slot> m_Slots;
    std::vector<uint32_t> m_Buckets; // first slot of each bucket
    List m_Lists[2];
    size_t m_ProtectedLimit;
    uint32_t m_Unused = 0;      // slots never used yet are m_Unused .. capacity - 1
    uint32_t m_LastSeen = NONE; // the slot See returned last
};

} // namespace dravo
