// The address table: buckets that no address set can overfill, promotion that costs time, protected
// addresses that expire, and the order in which addresses make room. Keys are fixed here, so that the
// collisions are known.
#include "net/query/AddressTable.h"

#include <gtest/gtest.h>

#include <vector>

namespace dravo {
namespace {

const SipHashKey KEY{0x0123456789abcdefULL, 0xfedcba9876543210ULL};

// `count` addresses from 10.0.0.1 up that all fall into `bucket` of a table of `capacity`.
std::vector<uint32_t> Colliding(size_t capacity, uint32_t bucket, size_t count) {
    std::vector<uint32_t> addresses;
    const size_t buckets = AddressTable::BucketCount(capacity);
    for (uint32_t address = 0x0A000001; addresses.size() < count; ++address) {
        if (AddressTable::Bucket(KEY, address, buckets) == bucket) {
            addresses.push_back(address);
        }
    }
    return addresses;
}

// Whether the table knew the address; seeing it marks it as seen (and brings it in when it did not).
bool Knows(AddressTable& table, uint32_t address, uint32_t now) {
    bool isNew = false;
    (void)table.See(address, now, isNew);
    return !isNew;
}

// Sees an address that asks little, which the caller then promotes when its time has come.
bool IsProtected(AddressTable& table, uint32_t address, uint32_t now) {
    bool isNew = false;
    (void)table.See(address, now, isNew);
    return table.PromoteLastSeen(now);
}

TEST(AddressTable, BucketsArePowersOfTwoAndTheKeyDecides) {
    EXPECT_EQ(AddressTable::BucketCount(4096), 4096u);
    EXPECT_EQ(AddressTable::BucketCount(3000), 4096u);
    EXPECT_EQ(AddressTable::BucketCount(1), 1u);
    // Addresses a prime apart, which once shared one chain, spread; another key spreads them otherwise.
    size_t differ = 0;
    std::vector<bool> used(4096);
    size_t distinct = 0;
    for (uint32_t i = 0; i < 1000; ++i) {
        const uint32_t address = 0x0A000000 + i * 4349;
        const uint32_t bucket = AddressTable::Bucket(KEY, address, 4096);
        distinct += used[bucket] ? 0 : 1;
        used[bucket] = true;
        differ += bucket != AddressTable::Bucket(SipHashKey{1, 2}, address, 4096) ? 1 : 0;
    }
    EXPECT_GT(distinct, 800u); // 1000 balls in 4096 bins: about 890 bins
    EXPECT_GT(differ, 990u);
}

TEST(AddressTable, ASetBuiltForOneBucketOnlyEverHoldsEightPlacesThere) {
    AddressTable table(64, KEY);
    const std::vector<uint32_t> colliding = Colliding(64, 5, 20);
    const uint32_t other = Colliding(64, 6, 1)[0];
    ASSERT_FALSE(Knows(table, other, 0));
    for (size_t i = 0; i < colliding.size(); ++i) {
        ASSERT_FALSE(Knows(table, colliding[i], static_cast<uint32_t>(1 + i)));
    }
    // The table has room for 64, yet the bucket keeps its last eight: the rest were pushed out within it.
    EXPECT_EQ(table.Size(), 1 + AddressTable::MAX_CHAIN);
    for (size_t i = colliding.size() - AddressTable::MAX_CHAIN; i < colliding.size(); ++i) {
        EXPECT_TRUE(Knows(table, colliding[i], 100)) << i;
    }
    EXPECT_TRUE(Knows(table, other, 100)); // the flood of one bucket never touched another
    // The first eight came in while there was room; the rest through the full bucket.
    bool isNew = false;
    EXPECT_FALSE(table.See(other, 101, isNew).m_Crowded);
    EXPECT_TRUE(table.See(colliding[19], 101, isNew).m_Crowded);
    EXPECT_FALSE(isNew);
    AddressTable fresh(64, KEY);
    for (size_t i = 0; i < AddressTable::MAX_CHAIN; ++i) {
        EXPECT_FALSE(fresh.See(colliding[i], 0, isNew).m_Crowded) << i;
    }
    EXPECT_TRUE(fresh.See(colliding[AddressTable::MAX_CHAIN], 0, isNew).m_Crowded);
}

TEST(AddressTable, AFullBucketMakesRoomFromItsProbationBeforeItsProtected) {
    AddressTable table(64, KEY);
    const std::vector<uint32_t> colliding = Colliding(64, 9, 12);
    // The first four come back after 2 s and are protected; four more stay on probation.
    for (size_t i = 0; i < 8; ++i) {
        ASSERT_FALSE(Knows(table, colliding[i], 0));
    }
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(IsProtected(table, colliding[i], 2000));
    }
    // Newcomers for the full bucket push out the probation ones, the stalest first, even though the
    // protected ones were seen longer ago.
    for (size_t i = 8; i < 12; ++i) {
        ASSERT_FALSE(Knows(table, colliding[i], 3000));
    }
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(Knows(table, colliding[i], 3001)) << i;
    }
    EXPECT_EQ(table.ProtectedCount(), 4u);
    EXPECT_FALSE(Knows(table, colliding[4], 3002));
}

TEST(AddressTable, StatusCostsTimeNotQueries) {
    AddressTable table(64, KEY);
    constexpr uint32_t BROWSER = 0x0A000001;
    // Seen again and again without its caller's word that it asks little, an address stays a stranger.
    for (uint32_t now = 0; now < 10000; now += 100) {
        (void)Knows(table, 0x0A0000FF, now);
    }
    EXPECT_EQ(table.ProtectedCount(), 0u);
    EXPECT_FALSE(IsProtected(table, BROWSER, 10000));
    for (uint32_t now = 10000; now < 12000; now += 100) {
        EXPECT_FALSE(IsProtected(table, BROWSER, now)) << now; // back to back or within 2 s: still a stranger
    }
    EXPECT_FALSE(IsProtected(table, BROWSER, 11999));
    EXPECT_TRUE(IsProtected(table, BROWSER, 12000));
    EXPECT_EQ(table.ProtectedCount(), 1u);
}

// Fetching challenges keeps an address known but is no visit: its first query starts its time.
TEST(AddressTable, APassingSightingIsNoVisit) {
    AddressTable table(64, KEY);
    constexpr uint32_t CLIENT = 0x0A000002;
    bool isNew = false;
    for (uint32_t now = 0; now <= 5000; now += 1000) {
        (void)table.See(CLIENT, now, isNew, AddressTable::Sighting::Passing);
        EXPECT_EQ(isNew, now == 0);
        EXPECT_FALSE(table.PromoteLastSeen(now)) << now;
    }
    EXPECT_FALSE(IsProtected(table, CLIENT, 6000));
    EXPECT_FALSE(IsProtected(table, CLIENT, 7999));
    (void)table.See(CLIENT, 8500, isNew, AddressTable::Sighting::Passing); // nor does it move the first visit
    EXPECT_TRUE(IsProtected(table, CLIENT, 8500));
    // A browser stays one when it fetches a challenge.
    EXPECT_TRUE(table.See(CLIENT, 9000, isNew, AddressTable::Sighting::Passing).m_Protected);
    EXPECT_EQ(table.ProtectedCount(), 1u);
}

TEST(AddressTable, AProtectedAddressExpiresWhenIdleAndStartsOver) {
    AddressTable table(64, KEY);
    constexpr uint32_t BROWSER = 0x0A000001;
    (void)IsProtected(table, BROWSER, 0);
    ASSERT_TRUE(IsProtected(table, BROWSER, 2000));
    EXPECT_TRUE(IsProtected(table, BROWSER, 2000 + 299999)); // idle just under five minutes
    EXPECT_FALSE(IsProtected(table, BROWSER, 2000 + 299999 + 300000));
    EXPECT_EQ(table.ProtectedCount(), 0u);
    EXPECT_FALSE(IsProtected(table, BROWSER, 2000 + 299999 + 301999)); // from its new first sighting
    EXPECT_TRUE(IsProtected(table, BROWSER, 2000 + 299999 + 302000));
}

TEST(AddressTable, AnAddressIsPromotedAtMostOnceAMinute) {
    AddressTable table(64, KEY, AddressTimes{2000, 60000, 10000});
    constexpr uint32_t BROWSER = 0x0A000001;
    (void)IsProtected(table, BROWSER, 0);
    ASSERT_TRUE(IsProtected(table, BROWSER, 2000));
    EXPECT_FALSE(IsProtected(table, BROWSER, 12000)); // idle 10 s: expired
    EXPECT_FALSE(IsProtected(table, BROWSER, 14000)); // 2 s later, but within the minute of its promotion
    EXPECT_FALSE(IsProtected(table, BROWSER, 61999));
    EXPECT_TRUE(IsProtected(table, BROWSER, 62000));
}

TEST(AddressTable, AFullProtectedSegmentTakesANewcomerOnlyInPlaceOfAnIdleOne) {
    AddressTable table(8, KEY); // six may be protected
    for (uint32_t address = 1; address <= 7; ++address) {
        (void)IsProtected(table, address, 0);
    }
    for (uint32_t address = 1; address <= 6; ++address) {
        ASSERT_TRUE(IsProtected(table, address, 2000 + address));
    }
    // The seventh earned its status, but every protected one is active: it waits on probation.
    EXPECT_FALSE(IsProtected(table, 7, 3000));
    for (uint32_t address = 2; address <= 6; ++address) {
        ASSERT_TRUE(IsProtected(table, address, 200000));
    }
    // Address 1 has been idle for five minutes: the seventh takes its place, and 1 is a stranger again.
    EXPECT_TRUE(IsProtected(table, 7, 2001 + 300000));
    EXPECT_EQ(table.ProtectedCount(), 6u);
    EXPECT_FALSE(IsProtected(table, 1, 2002 + 300000));
}

TEST(AddressTable, AFullTableForgetsItsStalestStrangerFirstAndClearForgetsAll) {
    AddressTable table(8, KEY);
    (void)Knows(table, 1, 0);
    ASSERT_TRUE(IsProtected(table, 1, 2000));
    for (uint32_t address = 100; address < 1100; ++address) {
        ASSERT_FALSE(Knows(table, address, 3000 + address));
    }
    EXPECT_EQ(table.Size(), 8u);
    EXPECT_TRUE(Knows(table, 1, 5000)); // a flood of strangers pushes out only strangers
    EXPECT_TRUE(Knows(table, 1099, 5000));
    EXPECT_FALSE(Knows(table, 100, 5000));
    table.Clear(KEY);
    EXPECT_EQ(table.Size(), 0u);
    EXPECT_FALSE(Knows(table, 1, 6000));
}

} // namespace
} // namespace dravo
