// Tests of atomic file replacement: the target is whole before and after, nothing is left behind.
#include "AtomicFile.h"

#include "RefTestSupport.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

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

TEST(AtomicFile, TemporaryFilesOfAKilledSaveGoAtTheNextSave) {
    TempDirectory directory;
    const auto target = directory / "dravosrv.cfg";
    const auto stale = directory / ".dravosrv.cfg.Ab12Cd";
    const auto fresh = directory / ".dravosrv.cfg.Ef34Gh";
    const auto other = directory / ".other.cfg.Ij56Kl";
    for (const auto& path : {stale, fresh, other}) {
        WriteFile(path, "half a save");
    }
    const auto longAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(stale, longAgo);
    std::filesystem::last_write_time(other, longAgo);
    EXPECT_EQ(AtomicFile::Write(target, "saved\n"), "");
    // The old one of this file goes; one that may belong to a save under way, and another file's, stay.
    EXPECT_EQ(DirectoryNames(directory.Path()),
              (std::vector<std::string>{".dravosrv.cfg.Ef34Gh", ".other.cfg.Ij56Kl", "dravosrv.cfg"}));
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

TEST(AtomicFile, ReadRefusesMissingAndOversizedFiles) {
    TempDirectory directory;
    std::string bytes = "unchanged";
    EXPECT_NE(AtomicFile::Read(directory / "absent", 100, bytes), "");
    EXPECT_NE(AtomicFile::Read(directory.Path(), 100, bytes), ""); // a directory is not a file
    WriteFile(directory / "big", std::string(101, 'b'));
    EXPECT_NE(AtomicFile::Read(directory / "big", 100, bytes), "");
    EXPECT_EQ(bytes, "unchanged");
    EXPECT_EQ(AtomicFile::Read(directory / "big", 101, bytes), "");
    EXPECT_EQ(bytes, std::string(101, 'b'));
}

} // namespace
} // namespace dravo::ref
