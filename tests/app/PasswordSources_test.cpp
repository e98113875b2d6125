#include "app/PasswordSources.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dravo {
namespace {

using Arguments = std::vector<std::string>;

TEST(PasswordSources, TheEnvironmentGivesThePasswordUnlessTheCommandLineDoes) {
    Arguments arguments = {"dravoserv", "-go"};
    EXPECT_EQ(AddPasswordFromSources(arguments, "from-the-environment"), "");
    EXPECT_EQ(arguments, (Arguments{"dravoserv", "-go", "+RconPassword", "from-the-environment"}));
    Arguments given = {"dravoserv", "+rconpassword", "typed-on-the-line"};
    EXPECT_EQ(AddPasswordFromSources(given, "from-the-environment"), "");
    EXPECT_EQ(given, (Arguments{"dravoserv", "+rconpassword", "typed-on-the-line"}));
    Arguments none = {"dravoserv"};
    EXPECT_EQ(AddPasswordFromSources(none, nullptr), "");
    EXPECT_EQ(none, Arguments{"dravoserv"});
}

#ifndef _WIN32
TEST(PasswordSources, AFileReadableByTheServerAloneGivesItsFirstLineAndOthersAreRefused) {
    test::TempDir dir;
    const std::filesystem::path file = dir.Path() / "rcon.secret";
    dir.Write("rcon.secret", "correct horse battery\r\nsecond line\n");
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    Arguments arguments = {"dravoserv", "+RconPasswordFile", file.string(), "-go"};
    EXPECT_EQ(AddPasswordFromSources(arguments, "from-the-environment"), "");
    EXPECT_EQ(arguments, (Arguments{"dravoserv", "-go", "+RconPassword", "correct horse battery"}))
        << "the file wins over the environment, and its name is no override";

    std::filesystem::permissions(file, std::filesystem::perms::group_read, std::filesystem::perm_options::add);
    Arguments shared = {"dravoserv", "+RconPasswordFile", file.string()};
    EXPECT_EQ(AddPasswordFromSources(shared, nullptr),
              "RconPasswordFile \"" + file.string() +
                  "\" may be read by other users; make it readable by the server's account only (chmod 600).");
    Arguments missing = {"dravoserv", "+RconPasswordFile", (dir.Path() / "none").string()};
    EXPECT_NE(AddPasswordFromSources(missing, nullptr), "");
    dir.Write("empty.secret", "\n");
    std::filesystem::permissions(dir.Path() / "empty.secret", std::filesystem::perms::owner_read);
    Arguments empty = {"dravoserv", "+RconPasswordFile", (dir.Path() / "empty.secret").string()};
    EXPECT_NE(AddPasswordFromSources(empty, nullptr).find("holds no password"), std::string::npos);
}
#endif

TEST(PasswordSources, APasswordOnTheCommandLineIsWipedFromTheProcesssArguments) {
    std::string program = "dravoserv";
    std::string key = "+RconPassword";
    std::string value = "visible-to-all";
    std::string other = "+ServerName";
    std::string name = "Arena";
    char* argv[] = {program.data(), key.data(), value.data(), other.data(), name.data()};
    WipeSecretArguments(5, argv);
    EXPECT_STREQ(argv[2], "**************");
    EXPECT_STREQ(argv[4], "Arena");
}

} // namespace
} // namespace dravo
