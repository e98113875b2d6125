// Tests of mounting resources in order and listing them, through the set and through the server object.
#include "ResourceSet.h"
#include "RezWriter.h"
#include "Server.h"

#include "RefTestSupport.h"

#include <gtest/gtest.h>

namespace dravo::ref {
namespace {

using test::CurrentDirectory;
using test::TempDirectory;
using test::WriteFile;

void WriteArchive(const std::filesystem::path& path, const std::vector<RezWriter::File>& files) {
    std::string error;
    const std::string bytes = RezWriter::Build(files, error);
    ASSERT_EQ(error, "");
    WriteFile(path, bytes);
}

std::vector<std::string> Names(const std::optional<std::vector<ResourceItem>>& items) {
    std::vector<std::string> names;
    for (const ResourceItem& item : items.value_or(std::vector<ResourceItem>{})) {
        names.push_back(item.m_Name + (item.m_IsDirectory ? "/" : ""));
    }
    return names;
}

// A small game: a main directory, a sound archive, a patch archive and a custom archive.
class ResourceSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(m_Game / "Dravo" / "Worlds" / "Multi" / "Alpha.dat", "alpha from main");
        WriteFile(m_Game / "Dravo" / "Worlds" / "Multi" / "Beta.DAT", "beta");
        WriteFile(m_Game / "Dravo" / "readme.txt", "main");
        WriteArchive(m_Game / "sound.rez", {{"Sounds\\fire.wav", "wav"}});
        WriteArchive(m_Game / "dravop.rez",
                     {{"worlds\\multi\\alpha.dat", "alpha from patch"}, {"Worlds\\Multi\\Gamma.dat", "gamma"}});
        WriteArchive(m_Game / "Custom" / "Levels.REZ", {{"Glasshouse.dat", "glass"}, {"Rustbowl.dat", "rust"}});
    }

    TempDirectory m_Game;
};

TEST_F(ResourceSetTest, MountsInOrderWithNamesInAnyCase) {
    ResourceSet set;
    const ResourceSet::MountResult result =
        set.Mount(m_Game.Path(), {"dravo", "SOUND.rez", "custom", "dravop.rez", "dravop2.rez", "custom\\levels.rez"});
    EXPECT_TRUE(result.m_MainMounted);
    EXPECT_EQ(result.m_Error, "");
    EXPECT_EQ(set.Count(), 5u); // dravop2.rez does not exist and is skipped
    EXPECT_EQ(Names(set.ListDirectory("Worlds\\Multi")),
              (std::vector<std::string>{"Alpha.dat", "Beta.DAT", "Gamma.dat"}));
    EXPECT_EQ(set.ReadFile("WORLDS\\MULTI\\ALPHA.DAT"), "alpha from patch"); // the later mount wins
    EXPECT_EQ(set.ReadFile("Worlds/Multi/Beta.dat"), "beta");
    EXPECT_EQ(set.ReadFile("Sounds\\fire.wav"), "wav");
}

TEST_F(ResourceSetTest, RootMergesEveryMountEachNameOnce) {
    ResourceSet set;
    ASSERT_TRUE(set.Mount(m_Game.Path(), {"dravo", "sound.rez", "dravop.rez", "Custom\\Levels.rez"}).m_MainMounted);
    const std::vector<std::string> expected = {"Glasshouse.dat", "readme.txt", "Rustbowl.dat", "Sounds/", "Worlds/"};
    EXPECT_EQ(Names(set.ListDirectory("\\")), expected);
    EXPECT_EQ(Names(set.ListDirectory("")), expected);
    EXPECT_EQ(Names(set.ListDirectory("\\Worlds\\")), (std::vector<std::string>{"Multi/"}));
}

TEST_F(ResourceSetTest, MissingDirectoriesAndEscapesListNothing) {
    ResourceSet set;
    ASSERT_TRUE(set.Mount(m_Game.Path(), {"dravo"}).m_MainMounted);
    EXPECT_FALSE(set.ListDirectory("Worlds\\Single").has_value());
    EXPECT_FALSE(set.ListDirectory("readme.txt").has_value());
    EXPECT_FALSE(set.ListDirectory("..").has_value());
    EXPECT_FALSE(set.ListDirectory("Worlds\\..\\..").has_value());
    EXPECT_FALSE(set.ReadFile("..\\sound.rez").has_value());
    EXPECT_FALSE(set.ReadFile("Worlds").has_value());
}

TEST_F(ResourceSetTest, AbsentMainIsReported) {
    ResourceSet set;
    const ResourceSet::MountResult result = set.Mount(m_Game.Path(), {"dravo.rez", "sound.rez"});
    EXPECT_FALSE(result.m_MainMounted);
    EXPECT_EQ(result.m_Error, "");
    EXPECT_EQ(set.Count(), 1u);
}

TEST_F(ResourceSetTest, CorruptArchiveIsNamed) {
    WriteFile(m_Game / "Custom" / "broken.rez", "DRAVOREZ\x01\0\0\0");
    ResourceSet set;
    const ResourceSet::MountResult result = set.Mount(m_Game.Path(), {"dravo", "Custom\\broken.rez"});
    EXPECT_TRUE(result.m_MainMounted);
    EXPECT_NE(result.m_Error.find("Custom\\broken.rez"), std::string::npos) << result.m_Error;
}

class ServerResourcesTest : public ResourceSetTest {
protected:
    int32_t Mount(std::vector<const char*> names) {
        return m_Server.MountResources(names.data(), static_cast<uint32_t>(names.size()));
    }
    std::vector<std::string> List(const char* directory) {
        std::vector<std::string> names;
        DirEntry* first = m_Server.ListResourceDir(directory);
        for (const DirEntry* entry = first; entry != nullptr; entry = entry->m_Next) {
            names.push_back(std::string(entry->m_Name) + (entry->m_Kind == DIR_ENTRY_FILE ? "" : "/"));
        }
        EXPECT_EQ(m_Server.ReleaseResourceDir(first), ENGINE_STATUS_OK);
        return names;
    }
    std::string LastError() {
        char buffer[256];
        EXPECT_EQ(m_Server.LastErrorText(buffer, sizeof buffer), ENGINE_STATUS_OK);
        return buffer;
    }

    CurrentDirectory m_InGame{m_Game.Path()};
    Server m_Server;
};

TEST_F(ServerResourcesTest, MountsTheFrontEndsListAgainstTheCurrentDirectory) {
    ASSERT_EQ(Mount({"dravo", "sound.rez", "custom", "dravop.rez", "dravop2.rez", "dravot.rez", "dravol.rez",
                     "Custom\\Levels.rez"}),
              ENGINE_TRUE)
        << LastError();
    EXPECT_EQ(List("Worlds\\Multi"), (std::vector<std::string>{"Alpha.dat", "Beta.DAT", "Gamma.dat"}));
    EXPECT_EQ(List("\\"), (std::vector<std::string>{"Glasshouse.dat", "Levels.REZ", "readme.txt", "Rustbowl.dat",
                                                    "Sounds/", "Worlds/"}));
    EXPECT_EQ(m_Server.ListResourceDir("Worlds\\Nowhere"), nullptr);
    EXPECT_EQ(m_Server.ListResourceDir(nullptr), nullptr);
}

TEST_F(ServerResourcesTest, FailedMountKeepsThePreviousSet) {
    ASSERT_EQ(Mount({"dravo"}), ENGINE_TRUE);
    EXPECT_EQ(Mount({"dravo.rez", "sound.rez"}), 0);
    EXPECT_NE(LastError().find("dravo.rez"), std::string::npos);
    WriteFile(m_Game / "Custom" / "short.rez", "DRAV");
    EXPECT_EQ(Mount({"dravo", "custom\\SHORT.rez"}), 0);
    EXPECT_NE(LastError().find("short.rez"), std::string::npos);
    EXPECT_EQ(List("Worlds\\Multi"), (std::vector<std::string>{"Alpha.dat", "Beta.DAT"}));
    EXPECT_EQ(m_Server.MountResources(nullptr, 3), 0);
    EXPECT_EQ(Mount({}), 0);
}

TEST_F(ServerResourcesTest, MountingAgainReplacesTheSet) {
    ASSERT_EQ(Mount({"dravo", "Custom\\Levels.rez"}), ENGINE_TRUE);
    ASSERT_EQ(Mount({"Custom\\Levels.rez"}), ENGINE_TRUE);
    EXPECT_EQ(List(""), (std::vector<std::string>{"Glasshouse.dat", "Rustbowl.dat"}));
    EXPECT_EQ(m_Server.ListResourceDir("Worlds"), nullptr);
}

TEST_F(ServerResourcesTest, ReleaseRefusesListsNotHandedOut) {
    ASSERT_EQ(Mount({"dravo"}), ENGINE_TRUE);
    DirEntry* first = m_Server.ListResourceDir("Worlds\\Multi");
    ASSERT_NE(first, nullptr);
    DirEntry forged{};
    EXPECT_NE(m_Server.ReleaseResourceDir(&forged), ENGINE_STATUS_OK);
    EXPECT_EQ(m_Server.ReleaseResourceDir(first), ENGINE_STATUS_OK);
    EXPECT_NE(m_Server.ReleaseResourceDir(first), ENGINE_STATUS_OK);
}

} // namespace
} // namespace dravo::ref
