// GameMessages: the tagged-field texts the game code sends to the front end.
//
// Each field is "[" TAG ":" value "]". Values never hold a bracket: one
// would end the field early or fake another field, so "[" and "]" in names
// become "(" and ")". Kinds: 0 state update, 1 level changed, 2 console
// text, 3 level change begins (4, level change ends, is not sent: kind 1
// ends every level change this game makes).
#pragma once

#include "ClientTable.h"

#include <string>
#include <string_view>

namespace dravo::ref {

class GameMessages {
public:
    // "[GMSG:0][CLEV:..][NLEV:..][PLRS:n]" and PLRN/PLRF/PLRI for each player, 1-based, in table order.
    static std::string StateUpdate(std::string_view current, std::string_view next, const ClientTable& clients);
    // "[GMSG:1][CLEV:..][NLEV:..]"
    static std::string LevelChanged(std::string_view current, std::string_view next);
    // "[GMSG:2][CMSG:..]"
    static std::string ConsoleText(std::string_view text);
    // "[GMSG:3]"
    static std::string LevelChangeBegins();

    // The text with "[" and "]" replaced, fit to be a field value.
    static std::string FieldValue(std::string_view text);
};

} // namespace dravo::ref
