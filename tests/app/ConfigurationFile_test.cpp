// The configuration file over a run: the lock refused with its reason, the file as loaded kept at load,
// hand edits kept with the run's settings beside them, a deleted file written anew, few copies, long
// names, owner and mode.
#include "app/ConfigurationFile.h"
#include "app/KeptCopies.h"
#include "platform/fs/FittedName.h"
#include "support/ScriptedWindows.h"
#include "support/TempDir.h"
#include "window/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace dravo {
namespace {

using Saved = ConfigurationFile::Saved;

class ConfigurationFileTest : public ::testing::Test {
protected:
    test::TempDir m_Dir;
    std::ostringstream m_Out;
    std::ostringstream m_Err;
    HeadlessWindowSystem m_Windows{HeadlessOptions{-1, &m_Out, &m_Err}};

    std::filesystem::path Path(const std::string& name) const { return m_Dir.Path() / name; }
    // Stands in for the engine's save: writes the text into the file it is given.
    static ConfigurationFile::Writer Writing(const std::string& text) {
        return [text](const std::filesystem::path& file, std::string& error) {
            std::string failure;
            const bool written = WriteFreshFile(file, text, failure);
            error = failure;
            return written;
        };
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_Dir.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(ConfigurationFileTest, AFileChangedOnDiskIsKeptAndTheRunsSettingsGoBesideIt) {
    m_Dir.Write("main.cfg", "ServerName \"As Loaded\"\n");
    ConfigurationFile config(m_Windows, Path("main.cfg").string());
    ASSERT_TRUE(config.Take()) << m_Err.str();
    config.NoteLoading();
    // The operator's fix, moved into place while the server runs.
    m_Dir.Write("fixed.cfg", "ServerName \"Fixed By Hand\"\n");
    std::filesystem::rename(Path("fixed.cfg"), Path("main.cfg"));
    EXPECT_EQ(config.Save(Writing("ServerName \"The Run's\"\n"), false), Saved::Beside);
    EXPECT_EQ(m_Dir.Read("main.cfg"), "ServerName \"Fixed By Hand\"\n");
    EXPECT_EQ(m_Dir.Read("main.cfg.new"), "ServerName \"The Run's\"\n");
    EXPECT_NE(m_Err.str().find("is left as it was: it was changed on disk while the server ran"), std::string::npos)
        << m_Err.str();
    EXPECT_NE(m_Err.str().find("saved in " + Path("main.cfg.new").string()), std::string::npos) << m_Err.str();
    config.Release();
    EXPECT_EQ(Names(), (std::vector<std::string>{".main.cfg.lock", "main.cfg", "main.cfg.new"}));
}

TEST_F(ConfigurationFileTest, TheCopyOfAFileWithUnreadableLinesIsTheFileAsLoaded) {
    m_Dir.Write("main.cfg", "ServerName Unquoted\n");
    ConfigurationFile config(m_Windows, Path("main.cfg").string());
    ASSERT_TRUE(config.Take());
    config.NoteLoading();
    config.KeepOriginal(); // made at load, before any change
    m_Dir.Write("main.cfg", "ServerName \"Fixed\"\n");
    EXPECT_EQ(m_Dir.Read("main.cfg.orig"), "ServerName Unquoted\n");
    EXPECT_EQ(config.Save(Writing("saved\n"), false), Saved::Beside);
    EXPECT_EQ(m_Dir.Read("main.cfg.orig"), "ServerName Unquoted\n");
    EXPECT_EQ(m_Dir.Read("main.cfg"), "ServerName \"Fixed\"\n");
}

#ifndef _WIN32
TEST_F(ConfigurationFileTest, AFileDeletedDuringTheRunIsWrittenAnewWithItsModeAsLoaded) {
    m_Dir.Write("main.cfg", "ServerName Unquoted\n");
    std::filesystem::permissions(Path("main.cfg"),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ConfigurationFile config(m_Windows, Path("main.cfg").string());
    ASSERT_TRUE(config.Take());
    config.NoteLoading();
    config.KeepOriginal();
    std::filesystem::remove(Path("main.cfg"));
    EXPECT_EQ(config.Save(Writing("ServerName \"The Run's\"\n"), false), Saved::InPlace) << m_Err.str();
    EXPECT_EQ(m_Dir.Read("main.cfg"), "ServerName \"The Run's\"\n");
    EXPECT_EQ(m_Dir.Read("main.cfg.orig"), "ServerName Unquoted\n");
    struct stat status {};
    ASSERT_EQ(::stat(Path("main.cfg").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}
#endif

#ifndef _WIN32
TEST_F(ConfigurationFileTest, ANewFileThatHoldsASecretIsItsOwnersAlone) {
    for (const bool secret : {false, true}) {
        const std::string name = secret ? "secret.cfg" : "plain.cfg";
        ConfigurationFile config(m_Windows, Path(name).string());
        ASSERT_TRUE(config.Take());
        config.NoteLoading(); // a first run: no file yet
        ASSERT_EQ(config.Save(Writing("RconPassword \"hunter22\"\n"), secret), Saved::InPlace) << m_Err.str();
        struct stat status {};
        ASSERT_EQ(::stat(Path(name).c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, secret ? 0600u : 0644u) << name;
    }
}
#endif

#ifndef _WIN32
TEST_F(ConfigurationFileTest, ASaveByRootKeepsTheServiceUsersOwnershipAndMode) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give a file to another user";
    }
    constexpr uid_t SERVICE_USER = 65534;
    m_Dir.Write("main.cfg", "ServerName Unquoted\n");
    ASSERT_EQ(::chown(Path("main.cfg").c_str(), SERVICE_USER, SERVICE_USER), 0);
    ASSERT_EQ(::chmod(Path("main.cfg").c_str(), 0600), 0);
    ConfigurationFile config(m_Windows, Path("main.cfg").string());
    ASSERT_TRUE(config.Take());
    config.NoteLoading();
    config.KeepOriginal();
    ASSERT_EQ(config.Save(Writing("saved\n"), false), Saved::InPlace) << m_Err.str();
    for (const std::string name : {"main.cfg", "main.cfg.orig"}) {
        struct stat status {};
        ASSERT_EQ(::stat(Path(name).c_str(), &status), 0);
        EXPECT_EQ(status.st_uid, SERVICE_USER) << name;
        EXPECT_EQ(status.st_gid, SERVICE_USER) << name;
        EXPECT_EQ(status.st_mode & 0777, 0600u) << name;
    }
}
#endif

// A window shows no standard error: the box says why the save failed, and the note still says it there.
TEST_F(ConfigurationFileTest, AFailedSaveSaysWhyInItsBox) {
    test::ScriptedWindows windows;
    m_Dir.Write("main.cfg", "ServerName \"As Loaded\"\n");
    ConfigurationFile config(windows, Path("main.cfg").string());
    ASSERT_TRUE(config.Take());
    config.NoteLoading();
    const auto failing = [](const std::filesystem::path&, std::string& error) {
        error = "Cannot replace main.cfg: Access denied.";
        return false;
    };
    EXPECT_EQ(config.Save(failing, false), Saved::Failed);
    ASSERT_EQ(windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(windows.MessageBoxes()[0].m_Text, "ERROR - Unable to save the configuration file \"" +
                                                    Path("main.cfg").string() +
                                                    "\".\n\nCannot replace main.cfg: Access denied.");
    EXPECT_EQ(windows.Notes(), std::vector<std::string>{"Cannot replace main.cfg: Access denied."});
    EXPECT_EQ(m_Dir.Read("main.cfg"), "ServerName \"As Loaded\"\n");
}

#ifdef _WIN32
// attrib +r freezes the settings: the server refuses at start, and a save never replaces such a file.
TEST_F(ConfigurationFileTest, AReadOnlyConfigurationIsRefusedAtStartAndNeverReplaced) {
    const auto file = m_Dir.Write("main.cfg", "ServerName \"Frozen\"\n");
    ASSERT_NE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY), 0);
    {
        ConfigurationFile config(m_Windows, file.string());
        EXPECT_FALSE(config.Take());
        EXPECT_NE(m_Err.str().find("ERROR - Unable to use the configuration file \"" + file.string() +
                                   "\": it is marked read-only."),
                  std::string::npos)
            << m_Err.str();
        EXPECT_NE(m_Err.str().find("attrib -r"), std::string::npos);
    }
    std::string error;
    const auto fresh = Path("fresh.cfg");
    ASSERT_TRUE(CreateFreshFile(fresh, error) && WriteFreshFile(fresh, "ServerName \"New\"\n", error)) << error;
    EXPECT_FALSE(CommitFile(fresh, file, error));
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
    EXPECT_EQ(m_Dir.Read("main.cfg"), "ServerName \"Frozen\"\n");
    EXPECT_FALSE(std::filesystem::exists(fresh));
    (void)SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL); // the folder can go
}
#endif

// A file that cannot take the place of its target says so, naming the target, and goes.
TEST_F(ConfigurationFileTest, AReplacementThatFailsSaysCannotReplaceAndTheReason) {
    const auto target = Path("taken.cfg");
    std::filesystem::create_directories(target / "inside");
    std::string error;
    const auto fresh = Path("fresh.cfg");
    ASSERT_TRUE(CreateFreshFile(fresh, error) && WriteFreshFile(fresh, "ServerName \"New\"\n", error)) << error;
    EXPECT_FALSE(CommitFile(fresh, target, error));
    EXPECT_EQ(error.rfind("Cannot replace " + target.string() + ": ", 0), 0u) << error;
    EXPECT_GT(error.size(), ("Cannot replace " + target.string() + ": ").size()) << "the reason follows";
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_TRUE(std::filesystem::is_directory(target / "inside"));
}

TEST_F(ConfigurationFileTest, AtMostAFewCopiesAreKeptAndTheSameBytesNeverTwice) {
    m_Dir.Write("main.cfg", "Junk line\n");
    for (int run = 0; run < 5; ++run) { // the same junk, run after run whose save failed
        ConfigurationFile config(m_Windows, Path("main.cfg").string());
        ASSERT_TRUE(config.Take());
        config.NoteLoading();
        config.KeepOriginal();
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{".main.cfg.lock", "main.cfg", "main.cfg.orig"}));
    for (int run = 0; run < 5; ++run) { // different junk every time
        m_Dir.Write("main.cfg", "Junk line " + std::to_string(run) + "\n");
        ConfigurationFile config(m_Windows, Path("main.cfg").string());
        ASSERT_TRUE(config.Take());
        config.NoteLoading();
        config.KeepOriginal();
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{".main.cfg.lock", "main.cfg", "main.cfg.orig", "main.cfg.orig.1",
                                                 "main.cfg.orig.2"}));
    // The newest made room in an older one's place (which one, the file times tell).
    const std::vector<std::string> kept = {m_Dir.Read("main.cfg.orig"), m_Dir.Read("main.cfg.orig.1"),
                                           m_Dir.Read("main.cfg.orig.2")};
    EXPECT_NE(std::find(kept.begin(), kept.end(), "Junk line 4\n"), kept.end());
}

#ifndef _WIN32 // names are UTF-8 here
TEST_F(ConfigurationFileTest, TheLongestNamesThatLoadAlsoSaveWithTheirCopiesAndLock) {
    std::string name;
    for (int character = 0; character < 85; ++character) {
        name += "\xE5\xAD\x97"; // 85 CJK characters: 255 bytes, the longest name a file may have
    }
    m_Dir.Write(name, "Junk line\n");
    ConfigurationFile config(m_Windows, Path(name).string());
    ASSERT_TRUE(config.Take()) << m_Err.str();
    config.NoteLoading();
    config.KeepOriginal();
    ASSERT_EQ(config.Save(Writing("saved\n"), false), Saved::InPlace) << m_Err.str();
    EXPECT_EQ(m_Dir.Read(name), "saved\n");
    const std::filesystem::path copy =
        KeptCopies::Choose(Path(name), KeptCopies::ORIGINAL_SUFFIX, "Junk line\n").m_Path;
    EXPECT_EQ(test::TempDir::ReadFile(copy), "Junk line\n");
    EXPECT_LE(copy.filename().string().size(), MAX_FILE_NAME_BYTES);
}
#endif

#ifndef _WIN32
TEST_F(ConfigurationFileTest, ALockTakenOverByAnotherServerLeavesTheFileToIt) {
    m_Dir.Write("main.cfg", "ServerName \"As Loaded\"\n");
    ConfigurationFile config(m_Windows, Path("main.cfg").string());
    ASSERT_TRUE(config.Take());
    config.NoteLoading();
    std::filesystem::remove(Path(".main.cfg.lock")); // a cleaner took it for litter
    InstanceLock second;                             // and a second server started
    std::string detail;
    ASSERT_EQ(second.Take(Path("main.cfg"), detail), InstanceLock::Outcome::Held) << detail;
    EXPECT_EQ(config.Save(Writing("saved\n"), false), Saved::Beside);
    EXPECT_EQ(m_Dir.Read("main.cfg"), "ServerName \"As Loaded\"\n");
    EXPECT_EQ(m_Dir.Read("main.cfg.new"), "saved\n");
    EXPECT_NE(m_Err.str().find("another DravoServ (process " + std::to_string(::getpid()) + ") took it over"),
              std::string::npos)
        << m_Err.str();
}
#endif

#ifndef _WIN32
TEST_F(ConfigurationFileTest, ALockThatCannotBeTakenRefusesTheRunWithItsReason) {
    std::filesystem::create_directory(Path(".dir.cfg.lock"));
    std::filesystem::create_symlink("nowhere", Path(".link.cfg.lock"));
    for (const std::string name : {"dir.cfg", "link.cfg"}) {
        m_Err.str("");
        ConfigurationFile config(m_Windows, Path(name).string());
        EXPECT_FALSE(config.Take()) << name;
        EXPECT_NE(m_Err.str().find("ERROR - Unable to use the configuration file \"" + Path(name).string() +
                                   "\": " + Path("." + name + ".lock").string() + ": "),
                  std::string::npos)
            << m_Err.str();
    }
    EXPECT_TRUE(std::filesystem::is_directory(Path(".dir.cfg.lock")));
    EXPECT_TRUE(std::filesystem::is_symlink(Path(".link.cfg.lock")));
    EXPECT_FALSE(std::filesystem::exists(Path("nowhere")));
}
#endif

} // namespace
} // namespace dravo
