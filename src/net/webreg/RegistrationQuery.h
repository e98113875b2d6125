// The query texts and URLs of web registration.
//
// Request: GET <base URL>?game=Dravo&name=<server name>&ip=<address>&players=<n>&version=2.1
// with players -1 for the unregistration. In the values, a space becomes "+", and
// what would change the request's meaning or break it ("&", "=", "+", "#", "%",
// control bytes, bytes above 127) is percent-encoded; everything else, ":" and "/"
// included, goes in as it is. (libcurl's own escaping also encodes spaces and ":",
// which the server lists read as they are, so it does not fit here.)
#pragma once

#include <string>
#include <string_view>

namespace dravo {

inline constexpr const char* REGISTRATION_GAME = "Dravo";
inline constexpr const char* REGISTRATION_VERSION = "2.1";
constexpr int UNREGISTRATION_PLAYERS = -1;

std::string EscapeQueryValue(std::string_view value);
// The query of a registration (or, with UNREGISTRATION_PLAYERS, of the unregistration).
std::string RegistrationQuery(std::string_view serverName, std::string_view address, int players);
// base URL + "?" + query, with every space made a "+".
std::string RequestUrl(std::string_view baseUrl, std::string_view query);

} // namespace dravo
