// The instance lock: held by one owner at a time, its holder named to the others, free again once the
// owner goes; a place where no lock file can be made is said, not taken for a holder.
#include "platform/fs/InstanceLock.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace dravo {
namespace {

using Outcome = InstanceLock::Outcome;

int OwnProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return ::getpid();
#endif
}

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

#ifdef _WIN32
// Windows opens "main.cfg." and "MAIN.CFG " as main.cfg, through a folder's other names too: one lock.
TEST(InstanceLock, EverySpellingOfAFileOnWindowsIsOneLock) {
    test::TempDir dir;
    dir.Write("main.cfg", "ServerName \"One\"\n");
    InstanceLock first;
    std::string detail;
    ASSERT_EQ(first.Take(dir.Path() / "main.cfg", detail), Outcome::Held) << detail;
    for (const char* spelling : {"main.cfg.", "main.cfg ", "MAIN.CFG. .", "./main.cfg.."}) {
        InstanceLock second;
        EXPECT_EQ(second.Take(dir.Path() / spelling, detail), Outcome::HeldByOther) << spelling;
    }
    InstanceLock fresh; // a file not made yet: its name in the same form
    ASSERT_EQ(fresh.Take(dir.Path() / "New.cfg.", detail), Outcome::Held) << detail;
    InstanceLock again;
    EXPECT_EQ(again.Take(dir.Path() / "new.CFG", detail), Outcome::HeldByOther);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / ".new.cfg.lock"));
}
#endif

TEST(InstanceLock, AnIdLeftByAnEarlierHolderIsReplacedAndANormalEndLeavesNone) {
    test::TempDir dir;
    const auto config = dir.Path() / "main.cfg";
    dir.Write(".main.cfg.lock", "999999999\n"); // a process that ended without releasing
    InstanceLock lock;
    std::string detail;
    ASSERT_EQ(lock.Take(config, detail), Outcome::Held) << detail;
    std::string holder = dir.Read(".main.cfg.lock");
    while (!holder.empty() && (holder.back() == '\n' || holder.back() == '\r')) {
        holder.pop_back();
    }
    EXPECT_EQ(holder, std::to_string(OwnProcessId()));
    lock.Release();
    // Nothing that a start at the same moment as the next holder could take for that holder's id.
    EXPECT_EQ(dir.Read(".main.cfg.lock"), "");
}

TEST(InstanceLock, NoPlaceForTheLockFileIsSaidAndHoldsNobodyUp) {
    test::TempDir dir;
    InstanceLock lock;
    std::string detail;
    EXPECT_EQ(lock.Take(dir.Path() / "missing" / "main.cfg", detail), Outcome::Unavailable);
    EXPECT_NE(detail.find(".main.cfg.lock"), std::string::npos) << detail;
}

#ifndef _WIN32 // there a held lock file cannot be deleted
TEST(InstanceLock, ALockFileDeletedOrReplacedGuardsNothing) {
    test::TempDir dir;
    const auto config = dir.Path() / "main.cfg";
    InstanceLock lock;
    std::string detail;
    ASSERT_EQ(lock.Take(config, detail), Outcome::Held) << detail;
    EXPECT_TRUE(lock.Guards());
    std::filesystem::remove(dir.Path() / ".main.cfg.lock");
    EXPECT_FALSE(lock.Guards());
    dir.Write(".main.cfg.lock", "");
    EXPECT_FALSE(lock.Guards()); // another file by that name
    lock.Release();
    EXPECT_FALSE(lock.Guards());
}
#endif

#ifndef _WIN32
TEST(InstanceLock, ALinkOrADirectoryAtTheLocksNameIsNoLock) {
    test::TempDir dir;
    std::filesystem::create_symlink("nowhere", dir.Path() / ".link.cfg.lock");
    std::filesystem::create_directory(dir.Path() / ".dir.cfg.lock");
    InstanceLock lock;
    std::string detail;
    EXPECT_EQ(lock.Take(dir.Path() / "link.cfg", detail), Outcome::Unavailable);
    EXPECT_NE(detail.find(".link.cfg.lock"), std::string::npos) << detail;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "nowhere")); // not made through the link
    EXPECT_EQ(lock.Take(dir.Path() / "dir.cfg", detail), Outcome::Unavailable);
}
#endif

#ifndef _WIN32 // names are UTF-8 here
TEST(InstanceLock, TheLongestFileNamesHaveALockOfTheirOwn) {
    test::TempDir dir;
    std::string name;
    for (int character = 0; character < 80; ++character) {
        name += "\xE5\xAD\x97";
    }
    const std::string other = name + "2";
    InstanceLock first;
    InstanceLock second;
    std::string detail;
    ASSERT_EQ(first.Take(dir.Path() / (name + "1"), detail), Outcome::Held) << detail;
    EXPECT_EQ(second.Take(dir.Path() / (name + "1"), detail), Outcome::HeldByOther);
    EXPECT_EQ(second.Take(dir.Path() / other, detail), Outcome::Held) << detail;
    EXPECT_NE(InstanceLock::LockPath(dir.Path() / (name + "1")), InstanceLock::LockPath(dir.Path() / other));
}
#endif

} // namespace
} // namespace dravo
