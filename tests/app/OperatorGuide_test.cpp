// DravoSrv.txt, the operator's guide the "-go" tip points to, names every option, key and file
// that the program knows.
#include "app/CommandLine.h"
#include "host/session/ServerSession.h"
#include "net/query/PresenceVariables.h"
#include "net/webreg/RegistrationList.h"
#include "res/StringTable.h"
#include "settings/ServerSettings.h"
#include "settings/ServiceVariables.h"
#include "settings/SettingsTable.h"
#include "settings/TuningVariables.h"
#include "settings/VariableReader.h"
#include "support/TempDir.h"
#include "ui/pages/NetGameLevelsPage.h"

#include <gtest/gtest.h>

#include <regex>

namespace dravo {
namespace {

const std::filesystem::path GUIDE = std::filesystem::path(DRAVO_SOURCE_DIR) / "DravoSrv.txt";

std::string Guide() {
    return test::TempDir::ReadFile(GUIDE);
}

std::string Text(int id) {
    return std::string(StringTable::Find(id).value_or("(missing)"));
}

// The name as a whole word: "EmptyExit" is not found inside "EmptyExitDelay".
bool NamesWord(const std::string& text, std::string_view word) {
    const std::string escaped = std::regex_replace(std::string(word), std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
    return std::regex_search(text, std::regex("(^|[^A-Za-z0-9_])" + escaped + "([^A-Za-z0-9_]|$)"));
}

TEST(OperatorGuide, TheDashGoTipNamesIt) {
    EXPECT_NE(Text(STR_DASH_GO_TIP).find(GUIDE.filename().string()), std::string::npos);
    EXPECT_FALSE(Guide().empty());
}

TEST(OperatorGuide, NamesEveryCommandLineOption) {
    const std::string guide = Guide();
    for (std::string_view option : CommandLineOptionNames()) {
        EXPECT_NE(guide.find(option), std::string::npos) << option;
    }
}

TEST(OperatorGuide, NamesEverySettingKey) {
    const std::string guide = Guide();
    for (const SettingRow& row : ScalarSettingsTable()) {
        EXPECT_TRUE(NamesWord(guide, row.m_Key)) << row.m_Key;
    }
    for (const char* key : {NUM_LEVELS_KEY, NUM_REZ_FILES_KEY, SAVE_GAME_LEVELS_KEY}) {
        EXPECT_TRUE(NamesWord(guide, key)) << key;
    }
    EXPECT_TRUE(NamesWord(guide, std::string(LEVEL_KEY_PREFIX) + "0"));
    EXPECT_TRUE(NamesWord(guide, std::string(REZ_FILE_KEY_PREFIX) + "0"));
}

TEST(OperatorGuide, NamesEveryVariableTheProgramOnlyReadsWithItsRange) {
    const std::string guide = Guide();
    for (const ServiceVariable& variable : SERVICE_VARIABLES) {
        EXPECT_TRUE(NamesWord(guide, variable.m_Name)) << variable.m_Name;
        if (variable.m_Kind != VariableKind::Number && variable.m_Kind != VariableKind::Whole) {
            continue;
        }
        if (variable.m_Low == service_variable::ANY_LOW) {
            continue;
        }
        // The guide's table gives the range on the variable's own lines, as "low-high" or "low to high".
        const size_t at = guide.find("\n  " + std::string(variable.m_Name) + " ");
        ASSERT_NE(at, std::string::npos) << variable.m_Name << " has no line in a table";
        // Its lines: the first and those indented deeper below it.
        const std::string rest = guide.substr(at + 1);
        std::smatch next;
        const bool ends = std::regex_search(rest, next, std::regex("\n(  [^ ]|\n|[^ ])"));
        const std::string entry = rest.substr(0, ends ? static_cast<size_t>(next.position(0)) : std::string::npos);
        const std::string range = DescribeRange(variable);
        const std::string dashed = range.starts_with("from ") ? range.substr(5, range.find(' ', 5) - 5) + "-" +
                                                                    range.substr(range.rfind(' ') + 1)
                                                              : range;
        EXPECT_TRUE(entry.find(range) != std::string::npos || entry.find(dashed) != std::string::npos)
            << variable.m_Name << ": the guide does not give its range " << range << " in:" << entry;
    }
}

TEST(OperatorGuide, NamesTheFilesTheReadyLineAndTheExitStatuses) {
    const std::string guide = Guide();
    for (const char* name : {BAN_LIST_FILE, REGISTRATION_FILE, DEFAULT_CONFIG_PATH}) {
        EXPECT_TRUE(NamesWord(guide, name)) << name;
    }
    EXPECT_NE(guide.find("Server is running."), std::string::npos);
    for (const char* status : {"\n  0   ", "\n  1   ", "\n  2   ", "\n  3   ", "\n  4   ", "\n  5   "}) {
        EXPECT_NE(guide.find(status), std::string::npos) << status;
    }
}

TEST(OperatorGuide, ExplainsEveryStartUpMessage) {
    const std::string guide = Guide();
    for (int id : {STR_UNABLE_TO_SETUP_SERVER, STR_UNABLE_TO_USE_SERVICE, STR_UNABLE_TO_ACCESS_SERVICES,
                   STR_UNABLE_TO_INIT_NETWORKING, STR_UNABLE_TO_LOAD_RESOURCES, STR_UNABLE_TO_LOAD_SERVER_LIBRARY,
                   STR_UNABLE_TO_ACCESS_SERVER_LIBRARY, STR_OUT_OF_MEMORY}) {
        EXPECT_NE(guide.find(Text(id)), std::string::npos) << Text(id);
    }
}

// Runs of blanks and line breaks as one blank: the guide wraps its lines, the sources their literals.
std::string OneSpaced(std::string_view text) {
    std::string spaced;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\t';
        if (!blank) {
            spaced += c;
        } else if (!spaced.empty() && spaced.back() != ' ') {
            spaced += ' ';
        }
    }
    return spaced;
}

// Every "ERROR - ..." text the sources hold, up to its first part that varies (a format or an inserted
// value), is in the guide, which says what it means (section 17).
TEST(OperatorGuide, ExplainsEveryErrorMessageTheProgramCanShow) {
    const std::string guide = OneSpaced(Guide());
    const std::regex literal(R"re("(ERROR - [^"\\%]*))re");
    int found = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::filesystem::path(DRAVO_SOURCE_DIR) / "src")) {
        const std::string extension = entry.path().extension().string();
        if (extension != ".cpp" && extension != ".h") {
            continue;
        }
        const std::string source = test::TempDir::ReadFile(entry.path());
        for (auto match = std::sregex_iterator(source.begin(), source.end(), literal); match != std::sregex_iterator();
             ++match) {
            const std::string text = OneSpaced((*match)[1].str());
            EXPECT_NE(guide.find(text), std::string::npos) << entry.path().filename().string() << ": " << text;
            ++found;
        }
    }
    EXPECT_GT(found, 30); // the sources were read
}

} // namespace
} // namespace dravo
