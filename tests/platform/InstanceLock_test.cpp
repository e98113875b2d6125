// The instance lock: held by one owner at a time, its holder named to the others, free again once the
// owner goes; a place where no lock file can be made is said, not taken for a holder.
#include "platform/InstanceLock.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace dravo {
namespace {

using Outcome = InstanceLock::Outcome;

TEST(InstanceLock, OneHolderAtATimeNamedToTheOthersAndFreeOnceItGoes) {
    test::TempDir dir;
    const auto config = dir.Path() / "main.cfg";
    auto first = std::make_unique<InstanceLock>();
    std::string detail;
    ASSERT_EQ(first->Take(config, detail), Outcome::Held) << detail;
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / ".main.cfg.lock"));

    InstanceLock second;
    EXPECT_EQ(second.Take(config, detail), Outcome::HeldByOther);
    EXPECT_FALSE(detail.empty());
    EXPECT_EQ(detail.find_first_not_of("0123456789"), std::string::npos) << detail; // a process id

    InstanceLock other; // another file: a lock of its own
    EXPECT_EQ(other.Take(dir.Path() / "other.cfg", detail), Outcome::Held) << detail;

    first->Release();
    InstanceLock third;
    EXPECT_EQ(third.Take(config, detail), Outcome::Held) << detail;
    first.reset(); // released already: takes nothing from the third
    EXPECT_EQ(second.Take(config, detail), Outcome::HeldByOther);
}

TEST(InstanceLock, NoPlaceForTheLockFileIsSaidAndHoldsNobodyUp) {
    test::TempDir dir;
    InstanceLock lock;
    std::string detail;
    EXPECT_EQ(lock.Take(dir.Path() / "missing" / "main.cfg", detail), Outcome::Unavailable);
    EXPECT_NE(detail.find(".main.cfg.lock"), std::string::npos) << detail;
}

} // namespace
} // namespace dravo
