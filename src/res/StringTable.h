// StringTable: the program's fixed texts by number - error messages, help texts and captions.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace dravo {

// Setup errors, shown by the wizard.
constexpr int STR_UNABLE_TO_SETUP_SERVER = 1;
constexpr int STR_UNABLE_TO_USE_SERVICE = 2;
constexpr int STR_UNABLE_TO_ACCESS_SERVICES = 3;
constexpr int STR_UNABLE_TO_JOIN_SESSION = 4;
constexpr int STR_UNABLE_TO_HOST_SESSION = 5;
constexpr int STR_UNABLE_TO_INIT_NETWORKING = 6;
// Start-up and run-time errors.
constexpr int STR_UNABLE_TO_ACCESS_RESOURCES = 102;
constexpr int STR_UNABLE_TO_LOAD_RESOURCES = 103;
constexpr int STR_UNABLE_TO_LOAD_SERVER_LIBRARY = 104;
constexpr int STR_UNABLE_TO_ACCESS_SERVER_LIBRARY = 105;
constexpr int STR_OUT_OF_MEMORY = 106;
// Help texts of the game options and their captions.
constexpr int STR_HELP_RUN_SPEED = 107;
constexpr int STR_CAPTION_RUN_SPEED = 108;
constexpr int STR_HELP_MISSILE_SPEED = 109;
constexpr int STR_CAPTION_MISSILE_SPEED = 110;
constexpr int STR_HELP_TIME_SPEED = 111;
constexpr int STR_CAPTION_TIME_SPEED = 112;
constexpr int STR_HELP_NIGHT_COLOR = 113;
constexpr int STR_CAPTION_NIGHT_COLOR = 114;
constexpr int STR_HELP_RESPAWN_SCALE = 115;
constexpr int STR_CAPTION_RESPAWN_SCALE = 116;
constexpr int STR_HELP_HEAL_SCALE = 117;
constexpr int STR_CAPTION_HEAL_SCALE = 118;
// Captions and questions.
constexpr int STR_SERVER_CAPTION = 119;
constexpr int STR_DASH_GO_TIP = 120;
constexpr int STR_CONFIRM_EXIT = 121;
constexpr int STR_APPLICATION_NAME = 130;

struct StringEntry {
    int m_Id = 0;            // string id
    std::string_view m_Text; // the text, line breaks included
};

class StringTable {
public:
    // The text with this id, or nothing when the table has none.
    static std::optional<std::string_view> Find(int id);
    // Every entry, in ascending id order.
    static std::span<const StringEntry> Entries();
};

} // namespace dravo
