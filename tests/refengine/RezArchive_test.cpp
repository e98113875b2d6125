// Tests of the ".rez" archive writer and reader, including corrupt and truncated archives.
#include "RezArchive.h"
#include "RezFormat.h"
#include "RezWriter.h"

#include "RefTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace dravo::ref {
namespace {

using test::TempDirectory;
using test::WriteFile;

std::string Build(const std::vector<RezWriter::File>& files) {
    std::string error;
    std::string archive = RezWriter::Build(files, error);
    EXPECT_EQ(error, "");
    return archive;
}

const std::vector<RezWriter::File> SAMPLE_FILES = {
    {"Top.dat", "Title=Top\nSpawns=2\n"},
    {"Worlds\\Multi\\Frostline.dat", "Title=Frostline\nSpawns=16\n"},
    {"Worlds\\Multi\\Empty.txt", ""},
    {"Worlds\\Single\\Intro.dat", std::string("binary\0bytes\xFF", 13)},
};

class RezArchiveTest : public ::testing::Test {
protected:
    std::unique_ptr<RezArchive> OpenBytes(const std::string& bytes, std::string& error) {
        const auto path = m_Directory / "test.rez";
        WriteFile(path, bytes);
        return RezArchive::Open(path, error);
    }
    // Opens bytes expected to be refused; returns the reason.
    std::string Refusal(const std::string& bytes) {
        std::string error;
        EXPECT_EQ(OpenBytes(bytes, error), nullptr);
        EXPECT_FALSE(error.empty());
        return error;
    }

    TempDirectory m_Directory;
};

TEST_F(RezArchiveTest, WrittenArchiveReadsBack) {
    std::string error;
    const std::unique_ptr<RezArchive> archive = OpenBytes(Build(SAMPLE_FILES), error);
    ASSERT_NE(archive, nullptr) << error;
    ASSERT_EQ(archive->Entries().size(), SAMPLE_FILES.size());
    EXPECT_EQ(archive->ReadFile({"WORLDS", "multi", "frostline.dat"}), SAMPLE_FILES[1].m_Bytes);
    EXPECT_EQ(archive->ReadFile({"Worlds", "Multi", "Empty.txt"}), "");
    EXPECT_EQ(archive->ReadFile({"Worlds", "Single", "Intro.dat"}), SAMPLE_FILES[3].m_Bytes);
    EXPECT_EQ(archive->ReadFile({"top.dat"}), SAMPLE_FILES[0].m_Bytes);
    EXPECT_FALSE(archive->ReadFile({"Worlds"}).has_value());
    EXPECT_FALSE(archive->ReadFile({"Missing.dat"}).has_value());
}

TEST_F(RezArchiveTest, ListsDirectoriesImpliedByNames) {
    std::string error;
    const std::unique_ptr<RezArchive> archive = OpenBytes(Build(SAMPLE_FILES), error);
    ASSERT_NE(archive, nullptr) << error;
    const auto root = archive->ListDirectory({});
    ASSERT_TRUE(root.has_value());
    ASSERT_EQ(root->size(), 2u);
    EXPECT_EQ((*root)[0].m_Name, "Top.dat");
    EXPECT_FALSE((*root)[0].m_IsDirectory);
    EXPECT_EQ((*root)[1].m_Name, "Worlds");
    EXPECT_TRUE((*root)[1].m_IsDirectory);
    const auto worlds = archive->ListDirectory({"worlds"});
    ASSERT_TRUE(worlds.has_value());
    EXPECT_EQ(worlds->size(), 2u); // Multi and Single, each once
    const auto multi = archive->ListDirectory({"Worlds", "MULTI"});
    ASSERT_TRUE(multi.has_value());
    EXPECT_EQ(multi->size(), 2u);
    EXPECT_FALSE(archive->ListDirectory({"Nowhere"}).has_value());
    EXPECT_FALSE(archive->ListDirectory({"Top.dat"}).has_value());
}

TEST_F(RezArchiveTest, EmptyArchiveIsValid) {
    std::string error;
    const std::unique_ptr<RezArchive> archive = OpenBytes(Build({}), error);
    ASSERT_NE(archive, nullptr) << error;
    const auto root = archive->ListDirectory({});
    ASSERT_TRUE(root.has_value());
    EXPECT_TRUE(root->empty());
}

TEST_F(RezArchiveTest, EveryTruncationIsRefused) {
    const std::string whole = Build(SAMPLE_FILES);
    ASSERT_EQ(SAMPLE_FILES.back().m_Bytes.empty(), false); // the last file's data ends the archive
    for (size_t length = 0; length < whole.size(); ++length) {
        std::string error;
        EXPECT_EQ(OpenBytes(whole.substr(0, length), error), nullptr) << "length " << length;
        EXPECT_FALSE(error.empty());
    }
}

TEST_F(RezArchiveTest, CorruptHeadersAndTablesAreRefused) {
    const std::string whole = Build({{"A.dat", "aaaa"}, {"B.dat", "bbbb"}});
    auto patched = [&](size_t at, std::string bytes) {
        std::string copy = whole;
        copy.replace(at, bytes.size(), bytes);
        return copy;
    };
    EXPECT_NE(Refusal(patched(0, "XRAVOREZ")).find("does not start"), std::string::npos);
    EXPECT_NE(Refusal(patched(8, std::string("\x02\0\0\0", 4))).find("version"), std::string::npos);
    EXPECT_NE(Refusal(patched(12, std::string("\xFF\xFF\xFF\x7F", 4))).find("table"), std::string::npos);
    EXPECT_NE(Refusal(patched(12, std::string("\x03\0\0\0", 4))).find("table"), std::string::npos);
    // First entry: offset at 16, size at 20, name length at 24, name at 26.
    EXPECT_NE(Refusal(patched(16, std::string("\x05\0\0\0", 4))).find("outside"), std::string::npos);
    EXPECT_NE(Refusal(patched(20, std::string("\xF0\0\0\0", 4))).find("outside"), std::string::npos);
    EXPECT_NE(Refusal(patched(20, std::string("\xFF\xFF\xFF\xFF", 4))).find("outside"), std::string::npos);
    EXPECT_NE(Refusal(patched(24, std::string("\0\0", 2))).find("name length"), std::string::npos);
    EXPECT_NE(Refusal(patched(24, std::string("\xFF\xFF", 2))).find("name length"), std::string::npos);
    Refusal(patched(26, "b.dat")); // same name as the second apart from case
    Refusal(patched(26, "..\\Ad"));
    Refusal(patched(26, "a/dat"));
    Refusal(patched(26, std::string("A\0dat", 5)));
}

TEST_F(RezArchiveTest, AnEntryLargerThanAResourceFileMayBeIsRefused) {
    // One entry of 100 MiB in a sparse file: it costs the disk nothing and must cost no memory either.
    constexpr uint32_t SIZE = 100u * 1024u * 1024u;
    const std::string name = "Worlds\\Multi\\Big.dat";
    std::string header(RezFormat::MAGIC);
    auto put = [&header](uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            header.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    };
    put(RezFormat::VERSION, 4);
    put(1, 4);
    const uint64_t dataOffset = RezFormat::HEADER_SIZE + RezFormat::ENTRY_FIXED_SIZE + name.size();
    put(dataOffset, 4);
    put(SIZE, 4);
    put(name.size(), 2);
    header += name;
    const auto path = m_Directory / "big.rez";
    WriteFile(path, header);
    std::filesystem::resize_file(path, dataOffset + SIZE);
    std::string error;
    EXPECT_EQ(RezArchive::Open(path, error), nullptr);
    EXPECT_NE(error.find("Big.dat is larger than 64 MiB"), std::string::npos) << error;
}

TEST_F(RezArchiveTest, BadNamesAreRefusedByWriterAndReader) {
    for (const char* name : {"", "\\Lead.dat", "Trail\\", "a\\\\b", "..\\up.dat", "a\\.\\b", "sl/ash"}) {
        std::string error;
        EXPECT_TRUE(RezWriter::Build({{name, "x"}}, error).empty()) << name;
        EXPECT_FALSE(error.empty()) << name;
        EXPECT_FALSE(RezArchive::CheckName(name).empty()) << name;
    }
    std::string error;
    EXPECT_TRUE(RezWriter::Build({{"A.dat", "x"}, {"a.DAT", "y"}}, error).empty());
    EXPECT_TRUE(RezWriter::Build({{"Dir", "x"}, {"dir\\File", "y"}}, error).empty());
}

TEST_F(RezArchiveTest, FileThatIsAlsoADirectoryIsRefused) {
    // Built by hand: the writer refuses it.
    std::string bytes(RezFormat::MAGIC);
    auto put = [&](uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    };
    put(1, 4);
    put(2, 4);
    const uint32_t dataStart = 16 + 10 + 1 + 10 + 3;
    put(dataStart, 4);
    put(1, 4);
    put(1, 2);
    bytes += "d";
    put(dataStart + 1, 4);
    put(1, 4);
    put(3, 2);
    bytes += "d\\f";
    bytes += "xy";
    EXPECT_NE(Refusal(bytes).find("both a file and a directory"), std::string::npos);
}

// Random damage must never open an archive whose files cannot be read in bounds.
TEST_F(RezArchiveTest, RandomDamageIsRefusedOrStaysInBounds) {
    const std::string whole = Build(SAMPLE_FILES);
    std::mt19937 random(12345);
    for (int round = 0; round < 400; ++round) {
        std::string damaged = whole;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i) {
            // Mostly the header and table, where the lengths live.
            const size_t at = random() % (i == 0 ? 100 : damaged.size());
            damaged[at] = static_cast<char>(random());
        }
        std::string error;
        const std::unique_ptr<RezArchive> archive = OpenBytes(damaged, error);
        if (!archive) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        for (const RezArchive::Entry& entry : archive->Entries()) {
            ASSERT_LE(uint64_t{entry.m_Offset} + entry.m_Size, damaged.size());
            const std::optional<std::string> bytes = archive->ReadFile(entry.m_Parts);
            ASSERT_TRUE(bytes.has_value()) << entry.m_Name;
            EXPECT_EQ(*bytes, damaged.substr(entry.m_Offset, entry.m_Size));
        }
    }
}

TEST_F(RezArchiveTest, CollectDirectoryNamesFilesWithBackslashesInOrder) {
    WriteFile(m_Directory / "src" / "b.dat", "b");
    WriteFile(m_Directory / "src" / "Worlds" / "Multi" / "a.dat", "a");
    WriteFile(m_Directory / "src" / "A.dat", "A");
    std::string error;
    const std::vector<RezWriter::File> files = RezWriter::CollectDirectory(m_Directory / "src", error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].m_Name, "A.dat");
    EXPECT_EQ(files[1].m_Name, "Worlds\\Multi\\a.dat");
    EXPECT_EQ(files[2].m_Name, "b.dat");
    EXPECT_EQ(files[1].m_Bytes, "a");
    RezWriter::CollectDirectory(m_Directory / "absent", error);
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace dravo::ref
