// The event names as the schema and the guide list them: every name the program emits is described in
// both, and every error message of the guide's troubleshooting section has an event name of its own.
#include "host/console/ErrorEvents.h"
#include "host/console/LogEvent.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

namespace dravo {
namespace {

std::string SourceFile(const char* relative) {
    return test::TempDir::ReadFile(std::filesystem::path(DRAVO_SOURCE_DIR) / relative);
}

constexpr std::string_view NAMES[] = {
    event_name::LOG_LINE,         event_name::LOG_DROPPED,         event_name::SERVER_STARTING,
    event_name::SERVER_RUNNING,   event_name::SERVER_READY,        event_name::SERVER_STOPPING,
    event_name::SERVER_STOPPED,   event_name::PLAYER_JOINED,       event_name::PLAYER_LEFT,
    event_name::PLAYER_KICKED,    event_name::PLAYER_BANNED,       event_name::LEVEL_CHANGED,
    event_name::CONSOLE_COMMAND,  event_name::REMOTE_LOGIN,        event_name::MASTER_HEARTBEAT,
    event_name::WEB_REGISTRATION, event_name::QUERY_FLOOD_STARTED, event_name::QUERY_FLOOD_ENDED,
};

TEST(EventCatalogue, TheSchemaAndTheGuideDescribeEveryEventName) {
    const std::string schema = SourceFile("docs/events.schema.json");
    const std::string guide = SourceFile("DravoSrv.txt");
    for (const std::string_view name : NAMES) {
        const std::string quoted = "\"" + std::string(name) + "\"";
        EXPECT_NE(schema.find(quoted), std::string::npos) << name;
        EXPECT_TRUE(std::regex_search(
            guide, std::regex("\n  " + std::regex_replace(std::string(name), std::regex(R"(\.)"), R"(\.)") + " ")))
            << name;
    }
}

TEST(EventCatalogue, EveryErrorOfTheGuideHasANameOfItsOwn) {
    const std::string guide = SourceFile("DravoSrv.txt");
    const size_t begin = guide.find("17. Troubleshooting");
    const size_t end = guide.find("\n18. ", begin);
    ASSERT_NE(begin, std::string::npos);
    const std::string section = guide.substr(begin, end - begin);
    const std::regex error(R"(\n(ERROR - [^\n]*))");
    int found = 0;
    for (auto match = std::sregex_iterator(section.begin(), section.end(), error); match != std::sregex_iterator();
         ++match) {
        const std::string line = (*match)[1].str();
        const std::optional<std::string_view> name = FindErrorEvent(line);
        ASSERT_TRUE(name) << line;
        EXPECT_NE(*name, "error.other") << line;
        ++found;
    }
    EXPECT_GT(found, 40); // the section was read
}

} // namespace
} // namespace dravo
