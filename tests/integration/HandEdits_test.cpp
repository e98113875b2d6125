// A configuration that the operator changes, moves, deletes or names awkwardly while a server runs on
// it: the operator's version and the run's settings both survive, and every name fits.
#include "integration/PresenceFixture.h"
#include "support/LoopbackPorts.h"
#include "support/SpecialFiles.h"

#include <gtest/gtest.h>

#include <csignal>

namespace dravo {
namespace {

using namespace std::chrono_literals;

class HandEditsTest : public test::PresenceTest {
protected:
    std::string Read(const std::string& name) const { return test::TempDir::ReadFile(m_Game.Path() / name); }
    void Append(const std::string& file, const std::string& lines) { m_Game.Write(file, Read(file) + lines); }
    int ShutDown(test::LiveProcess& server) {
        server.WriteLine("/shutdown");
        const int status = server.Wait(20s);
        server.FinishReading();
        return status;
    }
};

TEST_F(HandEditsTest, AFixMovedIntoPlaceDuringTheRunIsKeptAndTheCopyIsTheFileAsLoaded) {
    Append("dravosrv.cfg", "ServerName Hand Edited Name\n");
    const std::string loaded = Read("dravosrv.cfg");
    auto server = StartServer({"+ServerName", "The Run's Name"});
    EXPECT_EQ(Read("dravosrv.cfg.orig"), loaded); // made at load
    const std::string fixed = Read("dravosrv.cfg") + "ServerName \"Fixed By Hand\"\n";
    m_Game.Write("fixed.cfg", fixed);
    std::filesystem::rename(m_Game.Path() / "fixed.cfg", m_Game.Path() / "dravosrv.cfg");
    EXPECT_EQ(ShutDown(*server), 3) << server->Errors();
    EXPECT_EQ(Read("dravosrv.cfg"), fixed);
    EXPECT_EQ(Read("dravosrv.cfg.orig"), loaded);
    EXPECT_NE(Read("dravosrv.cfg.new").find("ServerName \"The Run's Name\""), std::string::npos);
    EXPECT_NE(server->Errors().find("The settings of this run are saved in dravosrv.cfg.new."), std::string::npos)
        << server->Errors();
}

TEST_F(HandEditsTest, AConfigurationDeletedDuringTheRunIsWrittenAnew) {
    Append("dravosrv.cfg", "ServerName Hand Edited Name\n");
    const std::string loaded = Read("dravosrv.cfg");
    auto server = StartServer({"+ServerName", "The Run's Name"});
    std::filesystem::remove(m_Game.Path() / "dravosrv.cfg");
    EXPECT_EQ(ShutDown(*server), 0) << server->Errors();
    EXPECT_NE(Read("dravosrv.cfg").find("ServerName \"The Run's Name\""), std::string::npos);
    EXPECT_EQ(Read("dravosrv.cfg.orig"), loaded);
}

TEST_F(HandEditsTest, TheLongestConfigurationNamesLoadSaveAndLock) {
    std::string name;
    for (int character = 0; character < 80; ++character) {
        name += "\xE5\xAD\x97"; // 80 CJK characters
    }
    name += ".cfg"; // 244 bytes
    std::filesystem::copy_file(m_Game.Path() / "dravosrv.cfg", m_Game.Path() / name);
    Append(name, "ServerName Hand Edited Name\n");
    auto server = StartServer({"-CONFIG", name, "+ServerName", "Long Named"});
    const test::ProcessResult second =
        test::RunProcess(test::BinDir() / "dravoserv", {"-go", "-face", "headless", "-CONFIG", name}, m_Game.Path());
    EXPECT_EQ(second.m_ExitStatus, 1) << second.m_Stderr;
    EXPECT_NE(second.m_Stderr.find("ERROR - Another DravoServ"), std::string::npos) << second.m_Stderr;
    server->WriteLine("status");
    EXPECT_EQ(ShutDown(*server), 0) << server->Errors();
    EXPECT_NE(Read(name).find("ServerName \"Long Named\""), std::string::npos);
    for (const auto& entry : std::filesystem::directory_iterator(m_Game.Path())) {
        EXPECT_LE(entry.path().filename().string().size(), 255u);
    }
}

TEST_F(HandEditsTest, TheHistoryIsNeverTheConfigurationAndAFifoAtItsTemporaryNameHoldsNothingUp) {
    std::filesystem::copy_file(m_Game.Path() / "dravosrv.cfg", m_Game.Path() / "game.history");
    ASSERT_TRUE(test::MakeFifo(m_Game.Path() / "game.history.history.tmp"));
    auto server = StartServer({"-CONFIG", "game.history", "+ServerName", "History Named"});
    server->WriteLine("status");
    ASSERT_TRUE(server->WaitForOutput("0 of 16 players", 10s)) << server->Output();
    EXPECT_EQ(ShutDown(*server), 0) << server->Errors();
    EXPECT_NE(Read("game.history").find("ServerName \"History Named\""), std::string::npos);
    EXPECT_EQ(Read("game.history.history"), "status\n");
}

TEST_F(HandEditsTest, TextIsSavedAsItsBytesAndCarriageReturnFilesAreReadAsLines) {
    std::string lines = Read("dravosrv.cfg");
    for (char& c : lines) {
        c = c == '\n' ? '\r' : c; // an old editor's line ends
    }
    m_Game.Write("dravosrv.cfg", lines);
    auto server = StartServer({"+ServerName", "Caf\xC3\xA9 \xE5\xAD\x97"});
    EXPECT_EQ(ShutDown(*server), 0) << server->Errors();
    const std::string saved = Read("dravosrv.cfg");
    EXPECT_NE(saved.find("ServerName \"Caf\xC3\xA9 \xE5\xAD\x97\"\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find('\r'), std::string::npos);
}

TEST_F(HandEditsTest, ACopyThatCannotBeWrittenWholeIsNotLeftAtAll) {
    // Unreadable lines to copy, more than the file size limit lets the server write.
    std::string junk;
    while (junk.size() < 200 * 1024) {
        junk += "Junk line that does not parse\n";
    }
    Append("dravosrv.cfg", junk);
    const std::string loaded = Read("dravosrv.cfg");
    const test::UdpPortPair ports = test::FreeUdpPorts();
    const std::string command = "trap '' XFSZ; ulimit -f 128; exec '" + (test::BinDir() / "dravoserv").string() +
                                "' -go -face headless +ServerName 'Limited Run' +Port " +
                                std::to_string(ports.m_First) + " +SpyQueryPort " + std::to_string(ports.m_Second);
    test::LiveProcess server("/bin/bash", {"-c", command}, m_Game.Path());
    ASSERT_TRUE(server.WaitForOutput(test::SampleGame::RUNNING, 20s)) << server.Errors();
    EXPECT_EQ(ShutDown(server), 3) << server.Errors();
    EXPECT_FALSE(std::filesystem::exists(m_Game.Path() / "dravosrv.cfg.orig"));
    EXPECT_FALSE(std::filesystem::exists(m_Game.Path() / ".dravosrv.cfg.orig.saving"));
    EXPECT_EQ(Read("dravosrv.cfg"), loaded);
    EXPECT_NE(Read("dravosrv.cfg.new").find("ServerName \"Limited Run\""), std::string::npos);
    EXPECT_NE(server.Errors().find("no copy of it could be kept"), std::string::npos) << server.Errors();
}

} // namespace
} // namespace dravo
