#include "services/rcon/RemoteConsoleFixture.h"

namespace dravo {
namespace {

using namespace std::chrono_literals;
using test::Client;
using test::PASSWORD;
using test::RemoteConsoleTest;

TEST_F(RemoteConsoleTest, ACommandIsAnsweredWithTheLinesItLoggedAndTheEndMarkerIsMirroredAfter) {
    Start();
    Client client(m_Console->Port());
    ASSERT_TRUE(client.LogIn(PASSWORD));
    ASSERT_TRUE(client.Send(5, RconType::Command, "status"));
    ASSERT_TRUE(client.Send(6, RconType::ResponseValue, ""));
    auto answer = client.Next();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->m_Id, 5);
    EXPECT_EQ(answer->m_Type, RconType::ResponseValue);
    EXPECT_EQ(answer->m_Body, "status\nran: status\n") << "the command, then what it logged";
    auto marker = client.Next();
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->m_Id, 6);
    EXPECT_EQ(marker->m_Body, "");
    EXPECT_EQ(Logins(RemoteLogin::Accepted), 1u);
    EXPECT_EQ(m_Session.Counters().Snapshot().m_RemoteCommands, 1u);
    // Lines other threads log while a command runs are no part of its answer.
    std::thread other([this] { m_Session.LogLine("Cyd joined the game."); });
    ASSERT_TRUE(client.Send(7, RconType::Command, "status"));
    other.join();
    answer = client.Next();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->m_Body, "status\nran: status\n");
}

TEST_F(RemoteConsoleTest, ALongAnswerIsSplitIntoPacketsAndCutAtTheOutputBound) {
    RconOptions options = Options();
    options.m_MaxOutput = 6000;
    Start(options);
    Client client(m_Console->Port());
    ASSERT_TRUE(client.LogIn(PASSWORD));
    ASSERT_TRUE(client.Send(9, RconType::Command, "/many"));
    ASSERT_TRUE(client.Send(10, RconType::ResponseValue, ""));
    std::string text;
    std::vector<size_t> sizes;
    for (auto packet = client.Next(); packet && packet->m_Id == 9; packet = client.Next()) {
        text += packet->m_Body;
        sizes.push_back(packet->m_Body.size());
    }
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[0], MAX_RCON_BODY);
    EXPECT_TRUE(text.starts_with("/many\nline 000 mmm"));
    EXPECT_NE(text.find("line 057 "), std::string::npos);
    EXPECT_EQ(text.find("line 060 "), std::string::npos);
    EXPECT_TRUE(text.ends_with(" more bytes of console lines were left out)\n")) << text.substr(text.size() - 80);
}

TEST_F(RemoteConsoleTest, CommandsTheConsoleInputCannotTakeAreRefusedUnrun) {
    Start();
    Client client(m_Console->Port());
    ASSERT_TRUE(client.LogIn(PASSWORD));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {std::string(MAX_REMOTE_COMMAND_CHARS + 1, 'a'), "The command is longer than 119 characters"},
        {"status\nkick 1", "The command holds a control character"},
        {"/options", "Unknown action."},
        {"", ""},
    };
    int32_t id = 20;
    for (const auto& [line, answer] : cases) {
        ASSERT_TRUE(client.Send(++id, RconType::Command, line));
        const auto packet = client.Next();
        ASSERT_TRUE(packet);
        EXPECT_EQ(packet->m_Id, id);
        EXPECT_TRUE(packet->m_Body.starts_with(answer)) << packet->m_Body;
    }
    EXPECT_FALSE(m_View.Logged(std::string(MAX_REMOTE_COMMAND_CHARS + 1, 'a').substr(0, 119)));
    EXPECT_TRUE(LoggedFromAfar("/options")) << "the service took it, and refused it for a remote origin";
    EXPECT_TRUE(m_Engine.m_Commands.empty());
}

TEST_F(RemoteConsoleTest, ATabInsideACommandSeparatesWordsAsABlankDoes) {
    Start();
    Client client(m_Console->Port());
    ASSERT_TRUE(client.LogIn(PASSWORD));
    ASSERT_TRUE(client.Send(30, RconType::Command, "debuglevel\t2"));
    const auto packet = client.Next();
    ASSERT_TRUE(packet);
    EXPECT_EQ(packet->m_Body, "debuglevel\t2\nran: debuglevel\t2\n");
    ASSERT_EQ(m_Engine.m_Commands.size(), 1u);
    EXPECT_EQ(m_Engine.m_Commands[0], "debuglevel\t2");
}

TEST_F(RemoteConsoleTest, AShortPasswordSetAtRunTimeIsRefusedAndTheOldOneStillLogsIn) {
    Start();
    Client client(m_Console->Port());
    ASSERT_TRUE(client.LogIn(PASSWORD));
    ASSERT_TRUE(client.Send(31, RconType::Command, "RconPassword short"));
    const auto packet = client.Next();
    ASSERT_TRUE(packet);
    EXPECT_NE(packet->m_Body.find("RconPassword is shorter than 8 characters; the remote console keeps its "
                                  "password. Nothing was changed."),
              std::string::npos)
        << packet->m_Body;
    EXPECT_TRUE(m_Engine.m_Commands.empty()) << "the engine never took it, so it is not saved";
    Client again(m_Console->Port());
    EXPECT_TRUE(again.LogIn(PASSWORD));
}

TEST_F(RemoteConsoleTest, ShutdownIsAnsweredWithoutWaitingForTheConsole) {
    Start();
    Client client(m_Console->Port());
    ASSERT_TRUE(client.LogIn(PASSWORD));
    ASSERT_TRUE(client.Send(3, RconType::Command, "/shutdown"));
    const auto packet = client.Next();
    ASSERT_TRUE(packet);
    EXPECT_EQ(packet->m_Body, "Shutting the server down.\n");
    // The console runs it after the answer left.
    {
        std::unique_lock lock(m_ShutdownMutex);
        EXPECT_TRUE(m_ShutdownSeen.wait_for(lock, 5s, [this] { return m_Shutdowns == 1; }));
    }
    EXPECT_TRUE(LoggedFromAfar("/shutdown")) << "a remote stop leaves a line naming its client";
    EXPECT_TRUE(std::ranges::any_of(m_View.Log(), [](const std::string& line) {
        return line.starts_with("Remote console: 127.0.0.1:") && line.ends_with(" logged in.");
    })) << "a good login is logged with its address";
    EXPECT_TRUE(m_Session.ExitWithoutAsking()) << "whoever asked from afar answered the question already";
}

TEST_F(RemoteConsoleTest, WrongPasswordsAreLoggedWithTheAddressAndLockItOut) {
    Start();
    for (int attempt = 0; attempt < 2; ++attempt) {
        Client client(m_Console->Port(), 0x7F000005);
        ASSERT_TRUE(client.Send(1, RconType::Login, "guess"));
        const auto answer = client.Next();
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->m_Id, RCON_FAILED_LOGIN_ID);
        EXPECT_TRUE(client.Tcp().WaitForClose());
    }
    EXPECT_TRUE(m_View.Logged("Remote console: wrong password from 127.0.0.5."));
    EXPECT_TRUE(m_View.Logged("Remote console: wrong password from 127.0.0.5; it is locked out for 60 s."));
    // Locked out: even the right password is not looked at, and nothing is read.
    Client locked(m_Console->Port(), 0x7F000005);
    (void)locked.Send(1, RconType::Login, PASSWORD);
    EXPECT_TRUE(locked.Tcp().WaitForClose());
    EXPECT_EQ(locked.Tcp().Received(), "");
    EXPECT_EQ(Logins(RemoteLogin::WrongPassword), 2u);
    EXPECT_GE(Logins(RemoteLogin::LockedOut), 1u);
    // Another address is not.
    Client other(m_Console->Port(), 0x7F000006);
    EXPECT_TRUE(other.LogIn(PASSWORD));
    for (const std::string& line : m_View.Log()) {
        EXPECT_EQ(line.find(PASSWORD), std::string::npos) << line;
    }
}

TEST_F(RemoteConsoleTest, NothingButALoginBeforeLoggingInAndJunkClosesTheConnection) {
    Start();
    Client early(m_Console->Port());
    ASSERT_TRUE(early.Send(1, RconType::Command, "status"));
    EXPECT_TRUE(early.Tcp().WaitForClose());
    EXPECT_EQ(early.Tcp().Received(), "");

    Client junk(m_Console->Port());
    ASSERT_TRUE(junk.LogIn(PASSWORD));
    ASSERT_TRUE(junk.Tcp().Write(std::string("\xff\xff\xff\x7f", 4)));
    EXPECT_TRUE(junk.Tcp().WaitForClose());

    Client oversized(m_Console->Port());
    ASSERT_TRUE(oversized.LogIn(PASSWORD));
    std::string packet = EncodeRconPacket(2, RconType::Command, std::string(MAX_RCON_BODY, 'o'));
    packet[0] = static_cast<char>(packet[0] + 1); // one byte of body more than allowed
    ASSERT_TRUE(oversized.Tcp().Write(packet));
    EXPECT_TRUE(oversized.Tcp().WaitForClose());
    EXPECT_TRUE(m_Engine.m_Commands.empty());
}

TEST_F(RemoteConsoleTest, LoginAndIdleTimeoutsCloseSilentAndTricklingClients) {
    RconOptions options = Options();
    options.m_Limits.m_FirstDeadline = 200ms;
    options.m_IdleTimeout = 300ms;
    Start(options);
    Client silent(m_Console->Port());
    ASSERT_TRUE(silent.Tcp().Write(std::string(3, '\0')));
    EXPECT_TRUE(silent.Tcp().WaitForCloseWhileTimePasses(m_Clock, 50));
    Client trickling(m_Console->Port());
    ASSERT_TRUE(trickling.LogIn(PASSWORD));
    // A byte at a time keeps it no longer than the idle time.
    const std::string packet = EncodeRconPacket(2, RconType::Command, "status");
    for (size_t sent = 0; sent < 3; ++sent) {
        ASSERT_TRUE(trickling.Tcp().Write(packet.substr(sent, 1)));
        m_Clock.Advance(100);
    }
    // The server may read the bytes after the clock has moved: time goes on until it closes, which it does
    // before the command is ever whole.
    EXPECT_TRUE(trickling.Tcp().WaitForCloseWhileTimePasses(m_Clock, 50)) << "closed before the command was whole";
}

TEST(RconOptions, OnOnlyWithAPasswordOfEightCharactersAndBadValuesKeepTheirDefaults) {
    test::FakeEngine engine;
    VariableReader reader(engine);
    EXPECT_FALSE(ReadRconOptions(reader, 27888).m_Enabled);
    engine.m_Variables["RconPassword"] = "1234567";
    const RconOptions tooShort = ReadRconOptions(reader, 27888);
    EXPECT_FALSE(tooShort.m_Enabled);
    ASSERT_EQ(tooShort.m_Problems.size(), 1u);
    EXPECT_EQ(tooShort.m_Problems[0], "RconPassword is shorter than 8 characters.");
    engine.m_Variables["RconPassword"] = "12345678";
    engine.m_Variables["RconPort"] = "70000";
    engine.m_Variables["RconBindAddress"] = "0.0.0.0";
    engine.m_Variables["RconLoginTimeout"] = "0.5";
    engine.m_Variables["RconMaxOutput"] = "12";
    const RconOptions options = ReadRconOptions(reader, 27900);
    EXPECT_TRUE(options.m_Enabled);
    EXPECT_EQ(options.m_Port, 27900) << "the game port's number when none fits";
    EXPECT_EQ(options.m_BindAddress, 0u);
    EXPECT_EQ(options.m_Limits.m_FirstDeadline, 500ms);
    EXPECT_EQ(options.m_MaxOutput, 65536u);
    EXPECT_EQ(options.m_Problems,
              (std::vector<std::string>{"RconPort \"70000\" is no number from 1 to 65535; the default (the game port) "
                                        "holds.",
                                        "RconMaxOutput \"12\" is no number from 1024 to 1048576; the default (65536) "
                                        "holds."}));
}

} // namespace
} // namespace dravo
