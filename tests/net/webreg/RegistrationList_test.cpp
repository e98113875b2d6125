// Reading "srv_send.txt".
#include "net/webreg/RegistrationList.h"
#include "support/TempDir.h"

#include "support/SpecialFiles.h"

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

TEST(RegistrationList, AMissingFileOrOneThatIsNoRegularFileIsNoList) {
    test::TempDir directory;
    EXPECT_FALSE(ReadRegistrationList(directory.Path() / "srv_send.txt"));
    if (test::MakeFifo(directory.Path() / "fifo")) {
        EXPECT_FALSE(ReadRegistrationList(directory.Path() / "fifo")); // at once: no writer is waited for
    }
}

TEST(RegistrationList, OnlyTheFirst64KiBAreRead) {
    test::TempDir directory;
    const std::string line = "http://127.0.0.1/" + std::string(100, 'x') + "\n";
    std::string text;
    while (text.size() < 2 * MAX_REGISTRATION_FILE_BYTES) {
        text += line;
    }
    const auto lines = ReadRegistrationList(directory.Write("srv_send.txt", text));
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->size(), MAX_REGISTRATION_FILE_BYTES / line.size() + 1); // the last one cut short
}

TEST(RegistrationList, LongLinesAreTakenInPiecesOf255) {
    test::TempDir directory;
    const std::string longLine = std::string(255, 'a') + std::string(10, 'b');
    const auto file = directory.Write("srv_send.txt", longLine + "\nnext\n");
    EXPECT_EQ(ReadRegistrationList(file), (List{std::string(255, 'a'), std::string(10, 'b'), "next"}));
}

} // namespace
} // namespace dravo
