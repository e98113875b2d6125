// NetGameTemplate: the setup page NET_GAME - server name, end rule, player limit, port - and its ids.
#pragma once

#include "window/DialogTemplate.h"

#include <string_view>

namespace dravo {

inline constexpr std::string_view NET_GAME_NAME = "NET_GAME";

enum class NetGameControl : int {
    ServerName = 1011,    // edit
    EndAfterFrags = 1022, // check box "After" ... frags
    Frags = 1023,         // edit, digits only
    EndAfterTime = 1024,  // check box "After" ... minutes
    Minutes = 1025,       // edit, digits only
    MaxPlayers = 1044,    // edit, digits only
    Port = 1045,          // edit, digits only; shown for TCP/IP only
    PortQuestion = 1062,  // static; shown for TCP/IP only
};

const DialogTemplate& NetGameTemplate();

} // namespace dravo
