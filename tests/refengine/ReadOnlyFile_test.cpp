// Tests of the engine's one way to open a file for reading: regular files only, never a wait on a FIFO,
// and a reason for every refusal; archives and variables files go through it.
#include "ReadOnlyFile.h"
#include "RezArchive.h"
#include "RezWriter.h"
#include "Server.h"

#include "RefTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace dravo::ref {
namespace {

using test::TempDirectory;
using test::WriteFile;

TEST(ReadOnlyFile, ReadsARegularFileAtAnyOffset) {
    TempDirectory directory;
    WriteFile(directory / "file", "0123456789");
    std::string error;
    const std::optional<ReadOnlyFile> file = ReadOnlyFile::Open(directory / "file", error);
    ASSERT_TRUE(file.has_value()) << error;
    EXPECT_EQ(file->Size(), 10u);
    char bytes[4] = {};
    ASSERT_TRUE(file->ReadExactly(6, bytes, 4));
    EXPECT_EQ(std::string(bytes, 4), "6789");
    EXPECT_FALSE(file->ReadExactly(8, bytes, 4)); // past the end
    EXPECT_EQ(file->ReadAt(10, bytes, 4), 0u);
}

TEST(ReadOnlyFile, RefusesWhatIsNotARegularFileWithTheReason) {
    TempDirectory directory;
    ASSERT_EQ(::mkfifo((directory / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(directory / "folder");
    std::filesystem::create_symlink(directory / "fifo", directory / "link-to-fifo");
    std::string error;
    // A FIFO with no writer: opening it for reading in the usual way would wait for ever.
    for (const char* name : {"fifo", "link-to-fifo"}) {
        EXPECT_FALSE(ReadOnlyFile::Open(directory / name, error).has_value());
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    }
    EXPECT_FALSE(ReadOnlyFile::Open("/dev/zero", error).has_value()); // a device that never ends
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_FALSE(ReadOnlyFile::Open(directory / "folder", error).has_value());
    EXPECT_NE(error.find("is a directory"), std::string::npos) << error;
    EXPECT_FALSE(ReadOnlyFile::Open(directory / "absent", error).has_value());
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

TEST(ReadOnlyFile, ReadAllRefusesMissingAndOversizedFiles) {
    TempDirectory directory;
    std::string bytes = "unchanged";
    EXPECT_NE(ReadOnlyFile::ReadAll(directory / "absent", 100, bytes), "");
    EXPECT_NE(ReadOnlyFile::ReadAll(directory.Path(), 100, bytes), "");
    WriteFile(directory / "big", std::string(101, 'b'));
    EXPECT_NE(ReadOnlyFile::ReadAll(directory / "big", 100, bytes).find("larger than 100 bytes"), std::string::npos);
    EXPECT_EQ(bytes, "unchanged");
    EXPECT_EQ(ReadOnlyFile::ReadAll(directory / "big", 101, bytes), "");
    EXPECT_EQ(bytes, std::string(101, 'b'));
}

TEST(ReadOnlyFile, AnArchiveThatIsAFifoIsRefusedAtOnce) {
    TempDirectory directory;
    ASSERT_EQ(::mkfifo((directory / "extra.rez").c_str(), 0600), 0);
    std::string error;
    EXPECT_EQ(RezArchive::Open(directory / "extra.rez", error), nullptr);
    EXPECT_NE(error.find("extra.rez cannot be used"), std::string::npos) << error;
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
}

TEST(ReadOnlyFile, AnArchiveSwappedForAFifoAfterItWasOpenedReadsNothing) {
    TempDirectory directory;
    std::string error;
    WriteFile(directory / "extra.rez", RezWriter::Build({{"A.dat", "bytes"}}, error));
    ASSERT_EQ(error, "");
    const std::unique_ptr<RezArchive> archive = RezArchive::Open(directory / "extra.rez", error);
    ASSERT_NE(archive, nullptr) << error;
    std::filesystem::remove(directory / "extra.rez");
    ASSERT_EQ(::mkfifo((directory / "extra.rez").c_str(), 0600), 0);
    EXPECT_FALSE(archive->ReadFile({"A.dat"}).has_value());
}

TEST(ReadOnlyFile, AVariablesFileThatCannotBeReadSaysWhy) {
    TempDirectory directory;
    ASSERT_EQ(::mkfifo((directory / "fifo.cfg").c_str(), 0600), 0);
    std::filesystem::create_directory(directory / "folder.cfg");
    WriteFile(directory / "big.cfg", "");
    std::filesystem::resize_file(directory / "big.cfg", Server::MAX_VARIABLES_FILE_SIZE + 1);
    Server server;
    char reason[256] = {};
    const std::pair<const char*, const char*> cases[] = {
        {"fifo.cfg", "not a regular file"}, {"folder.cfg", "is a directory"}, {"big.cfg", "larger than 16 MiB"}};
    for (const auto& [name, expected] : cases) {
        EXPECT_NE(server.ReadVariablesFile((directory / name).string().c_str()), ENGINE_STATUS_OK) << name;
        ASSERT_EQ(server.LastErrorText(reason, sizeof reason), ENGINE_STATUS_OK);
        EXPECT_NE(std::string(reason).find(expected), std::string::npos) << reason;
    }
}

} // namespace
} // namespace dravo::ref
