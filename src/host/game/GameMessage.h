// The game code's messages: their kinds and tags.
//
// Each message is tagged-field text (see TaggedFields.h) with its kind in "GMSG":
//   0  state update: CLEV, NLEV, PLRS and per player n PLRNn (name), PLRFn (frags), PLRIn (client id)
//   1  level changed: CLEV, NLEV; ends a level change
//   2  console text: CMSG
//   3  level change begins
//   4  level change ends
#pragma once

#include <cstdint>
#include <string_view>

namespace dravo {

enum class GameMessageKind : int32_t {
    StateUpdate = 0,
    LevelChanged = 1,
    ConsoleText = 2,
    LevelChangeBegins = 3,
    LevelChangeEnds = 4,
};

namespace game_tag {
inline constexpr std::string_view KIND = "GMSG";
inline constexpr std::string_view CURRENT_LEVEL = "CLEV";
inline constexpr std::string_view NEXT_LEVEL = "NLEV";
inline constexpr std::string_view PLAYER_COUNT = "PLRS";
inline constexpr std::string_view PLAYER_NAME = "PLRN";  // followed by the player's number, from 1
inline constexpr std::string_view PLAYER_FRAGS = "PLRF"; // likewise
inline constexpr std::string_view PLAYER_ID = "PLRI";    // likewise
inline constexpr std::string_view CONSOLE_TEXT = "CMSG";
} // namespace game_tag

// The session's description of the hosted game, handed to the engine when it opens the game.
namespace session_tag {
inline constexpr std::string_view SERVER_NAME = "NAME";
inline constexpr std::string_view HOST = "HOST";
inline constexpr std::string_view FIRST_LEVEL = "LEVL";
inline constexpr std::string_view GAME_TYPE = "TYPE";
inline constexpr std::string_view HOST_NAME = "DravoServ"; // the value of HOST
} // namespace session_tag

} // namespace dravo
