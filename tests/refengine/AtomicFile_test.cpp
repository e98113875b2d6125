// Tests of atomic file replacement: the target is whole before and after, nothing is left behind.
#include "AtomicFile.h"

#include "RefTestSupport.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dravo::ref {
namespace {

using test::DirectoryNames;
using test::ReadFile;
using test::TempDirectory;
using test::WriteFile;

TEST(AtomicFile, CreatesAndReplacesKeepingPermissions) {
    TempDirectory directory;
    const auto target = directory / "dravosrv.cfg";
    EXPECT_EQ(AtomicFile::Write(target, "first\n"), "");
    EXPECT_EQ(ReadFile(target), "first\n");
    ::chmod(target.c_str(), 0600);
    EXPECT_EQ(AtomicFile::Write(target, "second\n"), "");
    EXPECT_EQ(ReadFile(target), "second\n");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(DirectoryNames(directory.Path()), std::vector<std::string>{"dravosrv.cfg"});
}

TEST(AtomicFile, TheLongestNamesSaveAndAnotherUsersFileStaysTheirs) {
    TempDirectory directory;
    std::string name;
    for (int character = 0; character < 85; ++character) {
        name += "\xE5\xAD\x97"; // 255 bytes: the temporary name must not add to it
    }
    const auto target = directory / name;
    EXPECT_EQ(AtomicFile::Write(target, "first\n"), "");
    EXPECT_EQ(ReadFile(target), "first\n");
    EXPECT_EQ(DirectoryNames(directory.Path()), std::vector<std::string>{name});
    if (::geteuid() != 0) {
        return; // only root saves another user's file
    }
    ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
    EXPECT_EQ(AtomicFile::Write(target, "second\n"), "");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
}

TEST(AtomicFile, FailedRenameLeavesTargetAndNoTemporary) {
    TempDirectory directory;
    const auto target = directory / "dravosrv.cfg";
    std::filesystem::create_directory(target); // a directory cannot be replaced by a file
    WriteFile(target / "inside.txt", "kept");
    const std::string error = AtomicFile::Write(target, "new contents");
    EXPECT_NE(error.find("Cannot replace"), std::string::npos) << error;
    EXPECT_EQ(ReadFile(target / "inside.txt"), "kept");
    EXPECT_EQ(DirectoryNames(directory.Path()), std::vector<std::string>{"dravosrv.cfg"});
}

TEST(AtomicFile, ALinkIsFollowedAndTheTargetReplacedInItsOwnDirectory) {
    TempDirectory directory;
    std::filesystem::create_directory(directory / "kept");
    const auto real = directory / "kept" / "main.cfg";
    WriteFile(real, "old\n");
    std::filesystem::create_symlink("kept/main.cfg", directory / "dravosrv.cfg");
    EXPECT_EQ(AtomicFile::Write(directory / "dravosrv.cfg", "new\n"), "");
    EXPECT_TRUE(std::filesystem::is_symlink(directory / "dravosrv.cfg")); // still the operator's link
    EXPECT_EQ(ReadFile(real), "new\n");
    EXPECT_EQ(DirectoryNames(directory / "kept"), std::vector<std::string>{"main.cfg"});
}

TEST(AtomicFile, OnlyTheTemporaryFilesOfAKilledSaveGoAtTheNextSave) {
    TempDirectory directory;
    const auto target = directory / "dravosrv.cfg";
    const std::string prefix = AtomicFile::TemporaryPrefix("dravosrv.cfg");
    const auto stale = directory / (prefix + "Ab12Cd");
    const auto held = directory / (prefix + "Ef34Gh");
    // The operator's own files that look alike, and another file's temporary file.
    const std::vector<std::string> kept = {".dravosrv.cfg.backup", ".dravosrv.cfg.before", prefix + "Ab12C",
                                           prefix + "Ab-2Cd", AtomicFile::TemporaryPrefix("other.cfg") + "Ij56Kl"};
    WriteFile(stale, "half a save, just now");
    WriteFile(held, "a save under way");
    for (const std::string& name : kept) {
        WriteFile(directory / name, "the operator's");
    }
    const auto longAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    for (const std::string& name : kept) {
        std::filesystem::last_write_time(directory / name, longAgo);
    }
    // A save under way holds its temporary file locked until the rename.
    const int fd = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_EQ(AtomicFile::Write(target, "saved\n"), "");
    ::close(fd);
    std::vector<std::string> expected = kept;
    expected.push_back(held.filename().string());
    expected.push_back("dravosrv.cfg");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(DirectoryNames(directory.Path()), expected); // the stale one went, however young
}

TEST(AtomicFile, MissingDirectoryFails) {
    TempDirectory directory;
    const std::string error = AtomicFile::Write(directory / "no-such-dir" / "x.cfg", "x");
    EXPECT_NE(error.find("temporary"), std::string::npos) << error;
    EXPECT_TRUE(DirectoryNames(directory.Path()).empty());
}

// Runs in a forked child: a write that fails half way (the file size limit stands in for a full disk).
[[noreturn]] void SaveBeyondTheFileSizeLimit(const std::filesystem::path& directory) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    limit.rlim_cur = 64;
    limit.rlim_max = 64;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const std::string error = AtomicFile::Write(directory / "dravosrv.cfg", std::string(4096, 'n'));
    const bool failed = error.find("Cannot write") != std::string::npos;
    const bool untouched = ReadFile(directory / "dravosrv.cfg") == "old contents\n";
    const bool clean = DirectoryNames(directory) == std::vector<std::string>{"dravosrv.cfg"};
    std::_Exit(failed && untouched && clean ? 0 : 1);
}

TEST(AtomicFileDeathTest, FailedWriteLeavesTargetUntouched) {
    GTEST_FLAG_SET(death_test_style, "fast"); // fork here, so the child works on this directory
    TempDirectory directory;
    WriteFile(directory / "dravosrv.cfg", "old contents\n");
    EXPECT_EXIT(SaveBeyondTheFileSizeLimit(directory.Path()), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadFile(directory / "dravosrv.cfg"), "old contents\n");
}

} // namespace
} // namespace dravo::ref
