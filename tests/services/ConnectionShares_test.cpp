#include "services/ConnectionShares.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(ConnectionShares, LimitsThatFitTheOpenFilesLimitHoldAndOthersAreCutInProportion) {
    EXPECT_EQ(CapToOpenFiles(16, 8, 1024).m_Rcon, 16u);
    EXPECT_EQ(CapToOpenFiles(16, 8, std::nullopt).m_Metrics, 8u) << "no limit to keep to";
    // The red team's case: 1,024 remote console connections under "ulimit -n 1024".
    const ConnectionShares cut = CapToOpenFiles(1024, 0, 1024);
    EXPECT_EQ(cut.m_Rcon, 1024u - RESERVED_DESCRIPTORS);
    EXPECT_EQ(cut.m_Metrics, 0u) << "off stays off";
    const ConnectionShares both = CapToOpenFiles(1000, 1000, 1024);
    EXPECT_EQ(both.m_Rcon + both.m_Metrics, 1024u - RESERVED_DESCRIPTORS);
    EXPECT_EQ(both.m_Rcon, both.m_Metrics);
    const ConnectionShares tiny = CapToOpenFiles(16, 8, 64);
    EXPECT_GE(tiny.m_Rcon, 1u) << "never cut to nothing";
    EXPECT_GE(tiny.m_Metrics, 1u);
}

} // namespace
} // namespace dravo
