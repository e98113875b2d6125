// NetServicesTemplate: the setup page NET_SERVICES - network service and broadcast choices - and its ids.
#pragma once

#include "window/DialogTemplate.h"

#include <string_view>

namespace dravo {

inline constexpr std::string_view NET_SERVICES_NAME = "NET_SERVICES";

enum class NetServicesControl : int {
    ServiceList = 1002, // list box, sorted; item data: the engine's service id
    ServerReg = 1048,   // check box, setting ServerReg
    UpdateInfo = 1049,  // check box, setting UpdateInfo
    UseGameSpy = 1050,  // check box, setting UseGameSpy
};

const DialogTemplate& NetServicesTemplate();

} // namespace dravo
