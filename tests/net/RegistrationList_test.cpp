// Reading "srv_send.txt".
#include "net/RegistrationList.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using List = std::vector<std::string>;

TEST(RegistrationList, LinesComeInOrderWithoutTheirLineEnds) {
    test::TempDir directory;
    const auto file = directory.Write("srv_send.txt", "http://a/x.asp\nhttp://b/y.asp\r\n\nlast");
    EXPECT_EQ(ReadRegistrationList(file), (List{"http://a/x.asp", "http://b/y.asp", "", "last"}));
    EXPECT_EQ(ReadRegistrationList(directory.Write("empty.txt", "")), List{});
}

TEST(RegistrationList, AMissingFileIsNoList) {
    test::TempDir directory;
    EXPECT_FALSE(ReadRegistrationList(directory.Path() / "srv_send.txt"));
}

TEST(RegistrationList, LongLinesAreTakenInPiecesOf255) {
    test::TempDir directory;
    const std::string longLine = std::string(255, 'a') + std::string(10, 'b');
    const auto file = directory.Write("srv_send.txt", longLine + "\nnext\n");
    EXPECT_EQ(ReadRegistrationList(file), (List{std::string(255, 'a'), std::string(10, 'b'), "next"}));
}

} // namespace
} // namespace dravo
