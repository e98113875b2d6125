// Names made from others fit every system's limit, stay text, and stay apart.
#include "platform/fs/FittedName.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(FittedName, ANameThatFitsIsKeptWholeAndALongOneIsCutWhereACharacterBegins) {
    EXPECT_EQ(FittedName(".", "dravosrv.cfg", ".lock"), ".dravosrv.cfg.lock");
    std::string wide;
    for (int character = 0; character < 84; ++character) {
        wide += "\xE6\xBC\xA2"; // three bytes each: 252
    }
    const std::string fitted = FittedName(".", wide, ".lock");
    EXPECT_LE(fitted.size(), MAX_FILE_NAME_BYTES);
    const size_t mark = fitted.rfind('~');
    ASSERT_NE(mark, std::string::npos) << fitted;
    EXPECT_EQ((mark - 1) % 3, 0u) << "cut inside a character";
    EXPECT_EQ(fitted.substr(mark + 9), ".lock");
    // The same name always gives the same, another long name that begins alike another.
    EXPECT_EQ(FittedName(".", wide, ".lock"), fitted);
    EXPECT_NE(FittedName(".", wide + "x", ".lock"), fitted);
    EXPECT_LE(FittedName("", std::string(255, 'n'), ".orig.2").size(), MAX_FILE_NAME_BYTES);
}

} // namespace
} // namespace dravo
