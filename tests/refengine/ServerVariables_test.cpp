// Tests of the server object's console: commands, variables, variables files, handler calls, threads.
#include "Server.h"

#include "EnginePlatform.h"
#include "RefTestSupport.h"
#include "VariablesFile.h"

#include <gtest/gtest.h>
#include <thread>

namespace dravo::ref {
namespace {

using test::DirectoryNames;
using test::ReadFile;
using test::RecordingHandler;
using test::TempDirectory;
using test::WriteFile;

class ServerVariablesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_Server.AttachHandler(&m_Handler), ENGINE_STATUS_OK); }

    void Store(const std::string& name, const std::string& text) {
        const std::string command = "\"+" + name + "\" \"" + text + "\"";
        ASSERT_EQ(m_Server.ExecuteCommand(command.c_str()), ENGINE_STATUS_OK) << command;
    }
    std::string Text(Server& server, const char* name) {
        VariableHandle handle = nullptr;
        if (server.FindVariable(name, &handle, nullptr) != ENGINE_STATUS_OK || handle == nullptr) {
            return "<absent>";
        }
        std::vector<char> buffer(70000);
        EXPECT_EQ(server.ReadVariableText(handle, buffer.data(), static_cast<uint32_t>(buffer.size())),
                  ENGINE_STATUS_OK);
        return buffer.data();
    }
    std::string Text(const char* name) { return Text(m_Server, name); }
    std::string LastError() {
        char buffer[256];
        EXPECT_EQ(m_Server.LastErrorText(buffer, sizeof buffer), ENGINE_STATUS_OK);
        return buffer;
    }

    Server m_Server;
    RecordingHandler m_Handler;
};

TEST_F(ServerVariablesTest, PlusFormStoresValuesWithQuotesAndEmptyValues) {
    Store("ServerName", R"(The "Best" Server")");
    Store("ServiceName", "");
    Store("RezFile0", R"(Custom\arena.rez)");
    EXPECT_EQ(Text("ServerName"), R"(The "Best" Server")");
    EXPECT_EQ(Text("servicename"), "");
    EXPECT_EQ(Text("RezFile0"), R"(Custom\arena.rez)");
    EXPECT_TRUE(m_Handler.Lines().empty());
}

TEST_F(ServerVariablesTest, UnknownCommandProducesAnErrorLine) {
    EXPECT_NE(m_Server.ExecuteCommand("foo"), ENGINE_STATUS_OK);
    const std::vector<std::string> lines = m_Handler.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Unknown command \"foo\".", 0), 0u) << lines[0];
    EXPECT_EQ(LastError(), lines[0]);
    EXPECT_NE(m_Server.ExecuteCommand(nullptr), ENGINE_STATUS_OK);
}

TEST_F(ServerVariablesTest, FindVariableReportsAbsenceWithANullHandle) {
    VariableHandle handle = &m_Handler; // anything not null
    EXPECT_NE(m_Server.FindVariable("WebRegUpdate", &handle, "400"), ENGINE_STATUS_OK);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(Text("WebRegUpdate"), "<absent>"); // looking did not create it
    EXPECT_NE(m_Server.FindVariable(nullptr, &handle, nullptr), ENGINE_STATUS_OK);
    EXPECT_NE(m_Server.FindVariable("x", nullptr, nullptr), ENGINE_STATUS_OK);
}

TEST_F(ServerVariablesTest, HandlesStayValidWhileVariablesAreAdded) {
    Store("ServerName", "Dravo Server");
    VariableHandle handle = nullptr;
    ASSERT_EQ(m_Server.FindVariable("SERVERNAME", &handle, nullptr), ENGINE_STATUS_OK);
    ASSERT_NE(handle, nullptr);
    for (int i = 0; i < 500; ++i) {
        Store("Level" + std::to_string(i), "Worlds\\Multi\\Frostline");
    }
    Store("ServerName", "Renamed");
    char buffer[32];
    ASSERT_EQ(m_Server.ReadVariableText(handle, buffer, sizeof buffer), ENGINE_STATUS_OK);
    EXPECT_STREQ(buffer, "Renamed");
    VariableHandle again = nullptr;
    ASSERT_EQ(m_Server.FindVariable("servername", &again, nullptr), ENGINE_STATUS_OK);
    EXPECT_EQ(again, handle);
}

TEST_F(ServerVariablesTest, ReadVariableTextCutsToTheBuffer) {
    Store("ServerName", "Dravo Server");
    VariableHandle handle = nullptr;
    ASSERT_EQ(m_Server.FindVariable("ServerName", &handle, nullptr), ENGINE_STATUS_OK);
    char buffer[8] = {'#', '#', '#', '#', '#', '#', '#', '#'};
    ASSERT_EQ(m_Server.ReadVariableText(handle, buffer, 6), ENGINE_STATUS_OK);
    EXPECT_STREQ(buffer, "Dravo");
    EXPECT_EQ(buffer[6], '#');
    ASSERT_EQ(m_Server.ReadVariableText(handle, buffer, 1), ENGINE_STATUS_OK);
    EXPECT_STREQ(buffer, "");
    buffer[0] = '#';
    EXPECT_NE(m_Server.ReadVariableText(handle, buffer, 0), ENGINE_STATUS_OK);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_NE(m_Server.ReadVariableText(handle, nullptr, 8), ENGINE_STATUS_OK);
}

TEST_F(ServerVariablesTest, ForeignHandlesAreRefused) {
    int notAVariable = 0;
    char buffer[8];
    float value = 3.0f;
    EXPECT_NE(m_Server.ReadVariableText(&notAVariable, buffer, sizeof buffer), ENGINE_STATUS_OK);
    EXPECT_NE(m_Server.ReadVariableText(nullptr, buffer, sizeof buffer), ENGINE_STATUS_OK);
    EXPECT_NE(m_Server.ReadVariableFloat(&notAVariable, &value), ENGINE_STATUS_OK);
    EXPECT_EQ(value, 3.0f);
}

TEST_F(ServerVariablesTest, ReadVariableFloatReadsTheLeadingNumber) {
    const std::vector<std::pair<std::string, float>> cases = {{"12abc", 12.0f}, {"  -1.5", -1.5f}, {"x", 0.0f},
                                                              {"", 0.0f},       {"90.7", 90.7f},   {"1.000000", 1.0f}};
    for (const auto& [text, expected] : cases) {
        Store("EmptyExitDelay", text);
        VariableHandle handle = nullptr;
        ASSERT_EQ(m_Server.FindVariable("EmptyExitDelay", &handle, nullptr), ENGINE_STATUS_OK);
        float value = -99.0f;
        ASSERT_EQ(m_Server.ReadVariableFloat(handle, &value), ENGINE_STATUS_OK);
        EXPECT_FLOAT_EQ(value, expected) << text;
    }
}

TEST_F(ServerVariablesTest, VariablesFileRoundTripsAwkwardValues) {
    TempDirectory directory;
    const std::string path = (directory / "dravosrv.cfg").string();
    std::string highBytes;
    for (int c = 0x80; c <= 0xFF; ++c) {
        highBytes.push_back(static_cast<char>(c));
    }
    const std::vector<std::pair<std::string, std::string>> values = {
        {"ServerName", R"(The "Best" \ Server")"},
        {"ServiceName", ""},
        {"Spaces", "  a  b  "},
        {"HighBytes", highBytes},
        {"Lines", "one\ntwo\r\n\tx"},
        {"RezFile0", R"(Custom\a.rez)"},
    };
    for (const auto& [name, text] : values) {
        Store(name, text);
    }
    ASSERT_EQ(m_Server.WriteVariablesFile(path.c_str()), ENGINE_STATUS_OK) << LastError();
    EXPECT_EQ(ReadFile(path).rfind("// ", 0), 0u);

    Server restarted;
    ASSERT_EQ(restarted.ReadVariablesFile(path.c_str()), ENGINE_STATUS_OK);
    for (const auto& [name, text] : values) {
        EXPECT_EQ(Text(restarted, name.c_str()), text) << name;
    }
    EXPECT_EQ(DirectoryNames(directory.Path()), std::vector<std::string>{"dravosrv.cfg"});
}

TEST_F(ServerVariablesTest, SavedFileNamesItsLibraryAndKeepsTheLineBreaksItWasReadWith) {
    TempDirectory directory;
    const std::string path = (directory / "dravosrv.cfg").string();
    Store("Port", "27888");
    ASSERT_EQ(m_Server.WriteVariablesFile(path.c_str()), ENGINE_STATUS_OK) << LastError();
    const std::string native(NativeLineBreak());
    EXPECT_EQ(ReadFile(path).rfind(VariablesFile::FirstLine(OwnLibraryName()) + native, 0), 0u) << ReadFile(path);
    EXPECT_NE(OwnLibraryName(), "");

    // A file written with the other platform's line breaks is saved again with them.
    for (const std::string breaks : {"\r\n", "\n"}) {
        WriteFile(path, "// mine" + breaks + "Port \"1\"" + breaks + "MaxPlayers \"12\"" + breaks);
        Server server;
        ASSERT_EQ(server.ReadVariablesFile(path.c_str()), ENGINE_STATUS_OK);
        ASSERT_EQ(server.WriteVariablesFile(path.c_str()), ENGINE_STATUS_OK);
        const std::string saved = ReadFile(path);
        EXPECT_NE(saved.find(breaks + "Port \"1\"" + breaks + "MaxPlayers \"12\"" + breaks), std::string::npos)
            << saved;
        EXPECT_EQ(saved.find("\r\n") != std::string::npos, breaks == "\r\n") << saved;
    }
}

TEST_F(ServerVariablesTest, MissingVariablesFileChangesNothing) {
    TempDirectory directory;
    Store("Port", "27888");
    EXPECT_NE(m_Server.ReadVariablesFile((directory / "absent.cfg").c_str()), ENGINE_STATUS_OK);
    EXPECT_NE(LastError().find("absent.cfg"), std::string::npos);
    EXPECT_EQ(Text("Port"), "27888");
    EXPECT_NE(m_Server.ReadVariablesFile(nullptr), ENGINE_STATUS_OK);
}

TEST_F(ServerVariablesTest, MalformedLinesAreReportedAndTheRestLoaded) {
    TempDirectory directory;
    const auto path = directory / "dravosrv.cfg";
    WriteFile(path, "Port \"27888\"\nthis is not a setting\nMaxPlayers \"12\"\n");
    ASSERT_EQ(m_Server.ReadVariablesFile(path.c_str()), ENGINE_STATUS_OK);
    EXPECT_EQ(Text("Port"), "27888");
    EXPECT_EQ(Text("MaxPlayers"), "12");
    const std::vector<std::string> lines = m_Handler.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("dravosrv.cfg:2:"), std::string::npos) << lines[0];
}

TEST_F(ServerVariablesTest, FailedSaveLeavesTheOldFileAndReportsIt) {
    TempDirectory directory;
    const auto target = directory / "dravosrv.cfg";
    std::filesystem::create_directory(target);
    Store("Port", "0");
    EXPECT_NE(m_Server.WriteVariablesFile(target.c_str()), ENGINE_STATUS_OK);
    EXPECT_NE(LastError().find("Cannot replace"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(target));
    EXPECT_EQ(DirectoryNames(directory.Path()), std::vector<std::string>{"dravosrv.cfg"});
}

TEST_F(ServerVariablesTest, HandlerMayCallBackIntoTheEngine) {
    Store("SpyGameType", "deathmatch");
    std::string seenFromHandler;
    m_Handler.m_OnLine = [&](const char*) { seenFromHandler = Text("SpyGameType"); };
    EXPECT_NE(m_Server.ExecuteCommand("nosuchcommand"), ENGINE_STATUS_OK);
    EXPECT_EQ(seenFromHandler, "deathmatch");
}

TEST_F(ServerVariablesTest, TwoThreadsNeverSeeAHalfWrittenValue) {
    const std::string shortValue = "short";
    const std::string longValue(300, 'L');
    Store("ServerName", shortValue);
    VariableHandle handle = nullptr;
    ASSERT_EQ(m_Server.FindVariable("ServerName", &handle, nullptr), ENGINE_STATUS_OK);
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            const std::string& value = i % 2 == 0 ? longValue : shortValue;
            m_Server.ExecuteCommand(("\"+ServerName\" \"" + value + "\"").c_str());
            m_Server.ExecuteCommand(("\"+Extra" + std::to_string(i % 50) + "\" \"x\"").c_str());
        }
    });
    int torn = 0;
    for (int i = 0; i < 2000; ++i) {
        char buffer[512];
        ASSERT_EQ(m_Server.ReadVariableText(handle, buffer, sizeof buffer), ENGINE_STATUS_OK);
        if (buffer != shortValue && buffer != longValue) {
            ++torn;
        }
    }
    writer.join();
    EXPECT_EQ(torn, 0);
}

TEST_F(ServerVariablesTest, LastErrorTextIsCut) {
    EXPECT_NE(m_Server.ExecuteCommand("foo"), ENGINE_STATUS_OK);
    char buffer[8];
    ASSERT_EQ(m_Server.LastErrorText(buffer, sizeof buffer), ENGINE_STATUS_OK);
    EXPECT_STREQ(buffer, "Unknown");
    EXPECT_NE(m_Server.LastErrorText(nullptr, 8), ENGINE_STATUS_OK);
    EXPECT_NE(m_Server.LastErrorText(buffer, 0), ENGINE_STATUS_OK);
}

} // namespace
} // namespace dravo::ref
