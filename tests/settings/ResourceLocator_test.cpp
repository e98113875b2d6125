// Finding the main and sound resources, the game disc, and the list handed to the engine.
#include "settings/ResourceLocator.h"
#include "support/FakeDrives.h"
#include "support/FakeEngine.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using test::CurrentDirectory;
using test::FakeDrives;
using test::TempDir;

class ResourceLocatorTest : public ::testing::Test {
protected:
    TempDir m_Game;
    CurrentDirectory m_Current{m_Game.Path()};
    FakeDrives m_Drives;
    ResourceLocator m_Locator{m_Drives};

    void MakeDirectory(const std::string& name) { std::filesystem::create_directories(m_Game.Path() / name); }
    MountOutcome Mount(EngineServer* engine, const TextList& extra) {
        m_Error.clear();
        return m_Locator.MountResourceFiles(engine, extra, m_Error);
    }
    std::string m_Error;
};

TEST_F(ResourceLocatorTest, ArchiveFileWinsOverDirectory) {
    m_Game.Write("dravo.rez", "archive");
    MakeDirectory("dravo");
    m_Game.Write("sound.rez", "archive");
    MakeDirectory("sound");
    EXPECT_TRUE(m_Locator.LocateResources(0));
    EXPECT_EQ(m_Locator.MainArchivePath(), "dravo.rez");
    EXPECT_EQ(m_Locator.SoundArchivePath(), "sound.rez");
}

TEST_F(ResourceLocatorTest, DirectoriesAreUsedWhenThereIsNoArchive) {
    MakeDirectory("Dravo");
    MakeDirectory("SOUND");
    EXPECT_TRUE(m_Locator.LocateResources(0));
    EXPECT_EQ(m_Locator.MainArchivePath(), "dravo");
    EXPECT_EQ(m_Locator.SoundArchivePath(), "sound");
}

TEST_F(ResourceLocatorTest, WrongKindsDoNotCount) {
    MakeDirectory("dravo.rez");
    m_Game.Write("dravo", "a file, not a directory");
    m_Game.Write("sound", "a file");
    EXPECT_FALSE(m_Locator.LocateResources(0));
    EXPECT_EQ(m_Locator.MainArchivePath(), "");
    EXPECT_EQ(m_Locator.SoundArchivePath(), "");
}

TEST_F(ResourceLocatorTest, GameDiscIsTheLastResort) {
    TempDir disc;
    disc.Write("GAME/DRAVO.EXE", "");
    disc.Write("data/dravo.rez", "archive");
    TempDir otherDisc;
    otherDisc.Write("GAME/DRAVO.EXE", "");
    m_Drives.Add('D', DRIVE_TYPE_NO_ROOT + 2, otherDisc.Path()); // a fixed disk, not a CD-ROM
    m_Drives.Add('E', DRIVE_TYPE_CDROM, disc.Path());
    const char letter = m_Locator.FindCdDrive();
    EXPECT_EQ(letter, 'E');
    EXPECT_FALSE(m_Locator.LocateResources(letter)); // no sound resources
    EXPECT_EQ(m_Locator.MainArchivePath(), "E:\\data\\dravo.rez");

    // A local archive still wins over the disc.
    m_Game.Write("dravo.rez", "archive");
    EXPECT_FALSE(m_Locator.LocateResources(letter));
    EXPECT_EQ(m_Locator.MainArchivePath(), "dravo.rez");
}

TEST_F(ResourceLocatorTest, DiscWithoutTheGameIsNotFound) {
    TempDir disc;
    m_Drives.Add('F', DRIVE_TYPE_CDROM, disc.Path());
    EXPECT_EQ(m_Locator.FindCdDrive(), 0);
    disc.Write("game/dravo.exe", "");
    EXPECT_EQ(m_Locator.FindCdDrive(), 'F'); // nothing was cached, so it scans again
}

TEST_F(ResourceLocatorTest, ListWithoutSoundHasThirteenNames) {
    MakeDirectory("dravo");
    m_Locator.LocateResources(0);
    const ResourceList list = m_Locator.BuildResourceList({});
    EXPECT_TRUE(list.m_Error.empty());
    EXPECT_EQ(list.m_Names, (std::vector<std::string>{"dravo", "custom", "dravop.rez", "dravop2.rez", "dravop3.rez",
                                                      "dravop4.rez", "dravop5.rez", "dravop6.rez", "dravop7.rez",
                                                      "dravop8.rez", "dravop9.rez", "dravot.rez", "dravol.rez"}));
}

TEST_F(ResourceLocatorTest, ExtraNamesFollowInOrder) {
    MakeDirectory("dravo");
    MakeDirectory("sound");
    m_Locator.LocateResources(0);
    test::FakeEngine engine;
    EXPECT_EQ(Mount(&engine, {"Custom\\a.rez", "Custom\\b.rez", "other\\c.rez"}), MountOutcome::Mounted);
    ASSERT_EQ(engine.m_MountedNames.size(), 17u);
    EXPECT_EQ(engine.m_MountedNames[1], "sound");
    EXPECT_EQ(engine.m_MountedNames[14], "Custom\\a.rez");
    EXPECT_EQ(engine.m_MountedNames[16], "other\\c.rez");
    EXPECT_TRUE(m_Error.empty());
}

TEST_F(ResourceLocatorTest, RefusedListAndMissingServerAreTold) {
    MakeDirectory("dravo");
    m_Locator.LocateResources(0);
    test::FakeEngine engine;
    engine.m_MountSucceeds = false;
    EXPECT_EQ(Mount(&engine, {}), MountOutcome::EngineRefused);
    EXPECT_EQ(Mount(nullptr, {}), MountOutcome::NoServer);
}

TEST_F(ResourceLocatorTest, ListsThatDoNotFitAreRefusedWithAClearMessage) {
    MakeDirectory("dravo");
    MakeDirectory("sound");
    m_Locator.LocateResources(0);
    test::FakeEngine engine;
    // 14 fixed names: 114 extra names fill the 128, one more is too many.
    EXPECT_EQ(Mount(&engine, TextList(114, "Custom\\x.rez")), MountOutcome::Mounted);
    EXPECT_EQ(Mount(&engine, TextList(115, "Custom\\x.rez")), MountOutcome::ListRejected);
    EXPECT_NE(m_Error.find("Too many resource files"), std::string::npos);
    EXPECT_EQ(Mount(&engine, {std::string(128, 'n')}), MountOutcome::ListRejected);
    EXPECT_NE(m_Error.find("too long"), std::string::npos);
    EXPECT_EQ(Mount(&engine, {std::string(127, 'n')}), MountOutcome::Mounted);
    EXPECT_EQ(engine.m_MountedNames.back(), std::string(127, 'n'));
}

} // namespace
} // namespace dravo
