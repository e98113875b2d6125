// Forming and escaping the registration requests.
#include "net/webreg/RegistrationQuery.h"

#include <algorithm>

namespace dravo {
namespace {

constexpr char HEX_DIGITS[] = "0123456789ABCDEF";
constexpr std::string_view RESERVED = "&=+#%";

bool NeedsEncoding(unsigned char byte) {
    return byte < 0x20 || byte >= 0x7F || RESERVED.find(static_cast<char>(byte)) != std::string_view::npos;
}

} // namespace

std::string EscapeQueryValue(std::string_view value) {
    std::string escaped;
    escaped.reserve(value.size());
    for (const char character : value) {
        const auto byte = static_cast<unsigned char>(character);
        if (character == ' ') {
            escaped += '+';
        } else if (NeedsEncoding(byte)) {
            escaped += '%';
            escaped += HEX_DIGITS[byte >> 4];
            escaped += HEX_DIGITS[byte & 15];
        } else {
            escaped += character;
        }
    }
    return escaped;
}

std::string RegistrationQuery(std::string_view serverName, std::string_view address, int players) {
    std::string query = "game=";
    query += REGISTRATION_GAME;
    query += "&name=" + EscapeQueryValue(serverName);
    query += "&ip=" + EscapeQueryValue(address);
    query += "&players=" + std::to_string(players);
    query += "&version=";
    query += REGISTRATION_VERSION;
    return query;
}

std::string RequestUrl(std::string_view baseUrl, std::string_view query) {
    std::string url(baseUrl);
    url += '?';
    url += query;
    std::replace(url.begin(), url.end(), ' ', '+');
    return url;
}

} // namespace dravo
