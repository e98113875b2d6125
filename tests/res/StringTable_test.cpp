// The string table holds the program's texts exactly, and nothing under other ids.
#include "res/StringTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace dravo {
namespace {

std::string TextOf(int id) {
    const auto text = StringTable::Find(id);
    return text ? std::string(*text) : std::string("<missing>");
}

TEST(StringTable, StartUpMessagesAreExact) {
    EXPECT_EQ(TextOf(102), "ERROR - Unable to access the Dravo game resources.  Please make sure Dravo is installed "
                           "properly and try again.");
    EXPECT_EQ(TextOf(103), "ERROR - Unable to load Dravo resources.");
    EXPECT_EQ(TextOf(STR_UNABLE_TO_LOAD_SERVER_LIBRARY), "ERROR - Unable to load SERVER.DLL.");
    EXPECT_EQ(TextOf(105), "ERROR - Unable to access SERVER.DLL.");
    EXPECT_EQ(TextOf(STR_OUT_OF_MEMORY), "ERROR - Out of memory.  The Dravo server will be shutdown.");
    EXPECT_EQ(TextOf(STR_CONFIRM_EXIT), "Are you sure you want to exit?");
    EXPECT_EQ(TextOf(STR_APPLICATION_NAME), "DravoServ");
}

TEST(StringTable, WizardErrorsAreExact) {
    EXPECT_EQ(TextOf(1), "ERROR - Unable to setup the network game server.");
    EXPECT_EQ(TextOf(2), "ERROR - Unable to use the selected network service.");
    EXPECT_EQ(TextOf(3), "ERROR - Unable to access the available network services.");
    EXPECT_EQ(TextOf(4), "ERROR - Unable to join the selected game session.");
    EXPECT_EQ(TextOf(5), "ERROR - Unable to host the game session.");
    EXPECT_EQ(TextOf(6), "ERROR - Unable to initialize the networking system.");
}

TEST(StringTable, HelpTextsCarryRealLineBreaksAndQuotes) {
    EXPECT_EQ(TextOf(STR_HELP_RUN_SPEED), "Multiplies the player's run speed.\n\nDefault value is 1.0.");
    EXPECT_EQ(TextOf(STR_CAPTION_NIGHT_COLOR), "Server Option: World Night Color");
    EXPECT_EQ(
        TextOf(STR_HELP_TIME_SPEED),
        "Multiplies the time speed of the world.\n\nDefault value is -1, which keeps each level's own time speed.");
    const std::string night = TextOf(STR_HELP_NIGHT_COLOR);
    EXPECT_NE(night.find("click the \"Night Color\" button"), std::string::npos);
    EXPECT_NE(night.find("dialog.\n\nDefault value is \"0.5 0.5 0.5\"."), std::string::npos);
    EXPECT_EQ(night.find("\\n"), std::string::npos); // no escape left unconverted
    const std::string tip = TextOf(STR_DASH_GO_TIP);
    EXPECT_EQ(tip.substr(0, 44), "Power users can specify the \"-go\" command-li");
    EXPECT_NE(tip.find("will be used).\n\nFor more information about DravoSrv"), std::string::npos);
    EXPECT_EQ(TextOf(STR_SERVER_CAPTION), "Dravo Server");
}

TEST(StringTable, MissingIdsFindNothing) {
    for (const int id : {-1, 0, 7, 101, 122, 129, 131, 1000}) {
        EXPECT_FALSE(StringTable::Find(id).has_value()) << id;
    }
}

TEST(StringTable, HoldsExactlyTheProgramsIds) {
    std::set<int> ids;
    for (const StringEntry& entry : StringTable::Entries()) {
        EXPECT_TRUE(ids.insert(entry.m_Id).second) << "duplicate " << entry.m_Id;
        EXPECT_FALSE(entry.m_Text.empty()) << entry.m_Id;
    }
    std::set<int> expected = {1, 2, 3, 4, 5, 6, 130};
    for (int id = 102; id <= 121; ++id) {
        expected.insert(id);
    }
    EXPECT_EQ(ids, expected);
}

TEST(StringTable, HelpTextsFitTheHelpBoxBuffers) {
    // Help boxes load a text of up to 249 characters and a caption of up to 124.
    for (int textId = STR_HELP_RUN_SPEED; textId <= STR_HELP_HEAL_SCALE; textId += 2) {
        EXPECT_LE(TextOf(textId).size(), 249u) << textId;
        EXPECT_LE(TextOf(textId + 1).size(), 124u) << textId + 1;
    }
    EXPECT_LE(TextOf(STR_DASH_GO_TIP).size(), 249u);
    EXPECT_LE(TextOf(STR_SERVER_CAPTION).size(), 124u);
}

} // namespace
} // namespace dravo
