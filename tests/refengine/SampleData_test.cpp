// Tests of the sample game in data/: its levels parse, and the committed custom archive matches its sources.
#include "LevelInfo.h"
#include "ResourceSet.h"
#include "RezArchive.h"
#include "RezWriter.h"

#include "RefTestSupport.h"

#include <gtest/gtest.h>

namespace dravo::ref {
namespace {

const std::filesystem::path DATA_DIR = DRAVO_DATA_DIR;
const std::filesystem::path ARCHIVE_SOURCES =
    std::filesystem::path(DRAVO_SOURCE_DIR) / "tools" / "dravo-rez" / "sample";

std::vector<std::string> FileNames(const std::optional<std::vector<ResourceItem>>& items) {
    std::vector<std::string> names;
    for (const ResourceItem& item : items.value_or(std::vector<ResourceItem>{})) {
        if (!item.m_IsDirectory) {
            names.push_back(item.m_Name);
        }
    }
    return names;
}

TEST(SampleData, CustomArchiveHoldsExactlyTheSampleLevels) {
    std::string error;
    const std::unique_ptr<RezArchive> archive = RezArchive::Open(DATA_DIR / "Custom" / "arena.rez", error);
    ASSERT_NE(archive, nullptr) << error;
    const std::vector<RezWriter::File> sources = RezWriter::CollectDirectory(ARCHIVE_SOURCES, error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(sources.size(), 2u);
    ASSERT_EQ(archive->Entries().size(), sources.size());
    for (const RezWriter::File& source : sources) {
        EXPECT_EQ(archive->ReadFile({source.m_Name}), source.m_Bytes) << source.m_Name;
    }
    // Packing the sources again gives the committed archive byte for byte.
    EXPECT_EQ(RezWriter::Build(sources, error), test::ReadFile(DATA_DIR / "Custom" / "arena.rez"));
}

TEST(SampleData, CustomDirectoryHoldsOnlyArchives) {
    std::vector<std::string> names = test::DirectoryNames(DATA_DIR / "Custom");
    EXPECT_EQ(names, std::vector<std::string>{"arena.rez"});
}

TEST(SampleData, EveryLevelParses) {
    size_t retail = 0;
    for (const auto& entry : std::filesystem::directory_iterator(DATA_DIR / "dravo" / "Worlds" / "Multi")) {
        std::string error;
        EXPECT_TRUE(LevelInfo::Parse(test::ReadFile(entry.path()), error).has_value()) << entry.path() << error;
        ++retail;
    }
    EXPECT_GE(retail, 4u);
    for (const auto& entry : std::filesystem::directory_iterator(ARCHIVE_SOURCES)) {
        std::string error;
        EXPECT_TRUE(LevelInfo::Parse(test::ReadFile(entry.path()), error).has_value()) << entry.path() << error;
    }
}

// What the level page sees after the front end mounts the sample game with the custom archive.
TEST(SampleData, MountedLikeTheFrontEndListsRetailAndCustomLevels) {
    ResourceSet set;
    const ResourceSet::MountResult result =
        set.Mount(DATA_DIR, {"dravo", "sound", "custom", "dravop.rez", "dravop2.rez", "dravop3.rez", "dravop4.rez",
                             "dravop5.rez", "dravop6.rez", "dravop7.rez", "dravop8.rez", "dravop9.rez", "dravot.rez",
                             "dravol.rez", "Custom\\arena.rez"});
    ASSERT_TRUE(result.m_MainMounted);
    EXPECT_EQ(result.m_Error, "");
    EXPECT_EQ(FileNames(set.ListDirectory("Worlds\\Multi")),
              (std::vector<std::string>{"Cinderworks.dat", "Frostline.dat", "Ironmarsh.dat", "Skyharbor.dat"}));
    std::vector<std::string> levels;
    for (const std::string& name : FileNames(set.ListDirectory("\\"))) {
        if (name.ends_with(".dat")) {
            levels.push_back(name);
        }
    }
    EXPECT_EQ(levels, (std::vector<std::string>{"Glasshouse.dat", "Rustbowl.dat"}));
}

} // namespace
} // namespace dravo::ref
