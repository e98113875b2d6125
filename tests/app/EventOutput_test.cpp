// The machine-readable side of the program's output: -logformat and its environment variable, the JSON
// event lines on standard output and in the log file, and the journal's priorities.
#include "app/CommandLine.h"
#include "app/EventOutput.h"
#include "app/LogFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace dravo {
namespace {

CommandLineOptions Parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "/opt/dravo/dravoserv");
    return ParseCommandLine(arguments, "/opt/dravo/server.so");
}

std::chrono::system_clock::time_point Epoch() {
    return std::chrono::system_clock::time_point{};
}

TEST(LogFormatOption, TextByDefaultJsonWhenAskedInAnyCase) {
    EXPECT_EQ(Parse({}).m_LogFormat, LogFormat::Text);
    EXPECT_EQ(Parse({"-logformat", "json"}).m_LogFormat, LogFormat::Json);
    EXPECT_EQ(Parse({"-LogFormat", "JSON"}).m_LogFormat, LogFormat::Json);
    EXPECT_EQ(Parse({"-logformat", "json", "-logformat", "text"}).m_LogFormat, LogFormat::Text);
}

TEST(LogFormatOption, AnUnknownFormatIsAUsageErrorOfItsOwnName) {
    const auto options = Parse({"-logformat", "xml"});
    EXPECT_EQ(options.m_Error, "ERROR - Unknown log format \"xml\": use text or json.");
}

TEST(LogFormatOption, TheEnvironmentChoosesOnlyWhenTheCommandLineDoesNot) {
    CommandLineOptions options = Parse({});
    ApplyLogFormatVariable(options, "json");
    EXPECT_EQ(options.m_LogFormat, LogFormat::Json);

    options = Parse({"-logformat", "text"});
    ApplyLogFormatVariable(options, "json");
    EXPECT_EQ(options.m_LogFormat, LogFormat::Text);

    options = Parse({});
    ApplyLogFormatVariable(options, nullptr);
    ApplyLogFormatVariable(options, "");
    EXPECT_EQ(options.m_LogFormat, LogFormat::Text);
    EXPECT_TRUE(options.m_Error.empty());

    ApplyLogFormatVariable(options, "yaml");
    EXPECT_NE(options.m_Error.find(LOG_FORMAT_VARIABLE), std::string::npos) << options.m_Error;
}

TEST(EventOutput, WritesOneJsonLineAnEventAndPlainLinesAsLineEvents) {
    std::ostringstream out;
    EventOutput output(out, Epoch);
    output.WriteEvent(LogEvent{"server.ready", EventLevel::Notice, "Server is ready.",
                               EventFieldList().Number("game_port", 27888).Take(), false});
    output.WriteLine("two\nlines");
    EXPECT_EQ(out.str(), "{\"time\":\"1970-01-01T00:00:00.000Z\",\"level\":\"notice\",\"event\":\"server.ready\","
                         "\"message\":\"Server is ready.\",\"fields\":{\"game_port\":27888}}\n"
                         "{\"time\":\"1970-01-01T00:00:00.000Z\",\"level\":\"info\",\"event\":\"log.line\","
                         "\"message\":\"two\\u000alines\",\"fields\":{}}\n");
}

TEST(LogFileJson, EventsAreJsonLinesAndEventsWithoutPlainLineAreKept) {
    test::TempDir directory;
    const std::string path = (directory.Path() / "events.log").string();
    std::ostringstream errors;
    {
        LogFile file(path, errors, Epoch);
        file.SetJson(true);
        ASSERT_TRUE(file.Open());
        file.WriteEvent(LogEvent{"player.joined", EventLevel::Info, "Ann joined the game.",
                                 EventFieldList().Number("id", 2).Text("name", "Ann").Take(), false});
        file.WriteLine("Server is running.");
        ASSERT_TRUE(file.Flush(std::chrono::seconds(10)));
    }
    EXPECT_EQ(directory.Read("events.log"),
              "{\"time\":\"1970-01-01T00:00:00.000Z\",\"level\":\"info\",\"event\":\"player.joined\","
              "\"message\":\"Ann joined the game.\",\"fields\":{\"id\":2,\"name\":\"Ann\"}}\n"
              "{\"time\":\"1970-01-01T00:00:00.000Z\",\"level\":\"info\",\"event\":\"log.line\","
              "\"message\":\"Server is running.\",\"fields\":{}}\n");
}

TEST(LogFileJson, APlainFileLeavesOutEventsThatHaveNoPlainLine) {
    test::TempDir directory;
    const std::string path = (directory.Path() / "plain.log").string();
    std::ostringstream errors;
    {
        LogFile file(path, errors);
        ASSERT_TRUE(file.Open());
        file.WriteEvent(LogEvent{"server.ready", EventLevel::Notice, "Server is ready.", {}, false});
        file.WriteEvent(LogEvent{"level.changed", EventLevel::Notice, "Level changed to dm2.", {}, true});
        ASSERT_TRUE(file.Flush(std::chrono::seconds(10)));
    }
    const std::string text = directory.Read("plain.log");
    EXPECT_EQ(text.find("ready"), std::string::npos) << text;
    EXPECT_NE(text.find(" Level changed to dm2." + std::string(LogFile::TEXT_LINE_END)), std::string::npos) << text;
}

TEST(JournalPrefix, ErrorsOfTheLogTheBoxesAndTheEventsAreErrors) {
    EXPECT_EQ(JournalPrefix("ERROR - Unable to host the game.\n"), "<3>");
    EXPECT_EQ(JournalPrefix("DravoServ: ERROR - Unable to load SERVER.DLL.\n"), "<3>");
    EXPECT_EQ(JournalPrefix("Server is running.\n"), "<6>");
    EXPECT_EQ(JournalPrefix("Ann: I got an ERROR - Unable to aim\n"), "<6>"); // a player's words, not an error
    EXPECT_EQ(JournalPrefix("{\"time\":\"x\",\"level\":\"error\",\"event\":\"error.host_game\"}\n"), "<3>");
    EXPECT_EQ(JournalPrefix("{\"time\":\"x\",\"level\":\"warning\",\"event\":\"remote.login\"}\n"), "<4>");
    EXPECT_EQ(JournalPrefix("{\"time\":\"x\",\"level\":\"info\",\"message\":\"\\\"level\\\":\\\"error\\\"\"}\n"),
              "<6>");
}

} // namespace
} // namespace dravo
