// The registration requests' queries and URLs.
#include "net/webreg/RegistrationQuery.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(RegistrationQuery, ServerNameAddressAndPlayersFormTheQuery) {
    EXPECT_EQ(
        RequestUrl("http://lists.test/servers/server.asp", RegistrationQuery("My Server", "127.0.0.5:27890", 3)),
        "http://lists.test/servers/server.asp?game=Dravo&name=My+Server&ip=127.0.0.5:27890&players=3&version=2.1");
    EXPECT_EQ(RegistrationQuery("A", "127.0.0.5", UNREGISTRATION_PLAYERS),
              "game=Dravo&name=A&ip=127.0.0.5&players=-1&version=2.1");
}

TEST(RegistrationQuery, CharactersThatWouldChangeTheRequestAreEncoded) {
    EXPECT_EQ(EscapeQueryValue("Tom & Jerry=1+1 #2 100%"), "Tom+%26+Jerry%3D1%2B1+%232+100%25");
    EXPECT_EQ(EscapeQueryValue("line\r\nbreak\x7F\tend"), "line%0D%0Abreak%7F%09end");
    EXPECT_EQ(EscapeQueryValue("caf\xC3\xA9"), "caf%C3%A9");
    EXPECT_EQ(EscapeQueryValue("a/b:c?d'e\"f<g>[h]~_.-!*()"), "a/b:c?d'e\"f<g>[h]~_.-!*()"); // left as they are
    EXPECT_EQ(RegistrationQuery("x&players=99", "127.2.3.4", 2),
              "game=Dravo&name=x%26players%3D99&ip=127.2.3.4&players=2&version=2.1");
}

TEST(RegistrationQuery, SpacesInTheWholeUrlBecomePlus) {
    EXPECT_EQ(RequestUrl("http://host/my list.asp", "a=b c"), "http://host/my+list.asp?a=b+c");
    EXPECT_EQ(RequestUrl("", "q"), "?q");
}

} // namespace
} // namespace dravo
