// Windows' form of a file name: "dravosrv.cfg." and "dravosrv.cfg " open dravosrv.cfg there, so the
// lock made from the name must be the same one.
#include "platform/fs/WindowsNames.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(WindowsNames, TrailingDotsAndBlanksAreDroppedAndNothingElse) {
    EXPECT_EQ(WindowsNameForm(L"dravosrv.cfg."), L"dravosrv.cfg");
    EXPECT_EQ(WindowsNameForm(L"dravosrv.cfg "), L"dravosrv.cfg");
    EXPECT_EQ(WindowsNameForm(L"dravosrv.cfg. . .."), L"dravosrv.cfg");
    EXPECT_EQ(WindowsNameForm(L" dravo srv.cfg"), L" dravo srv.cfg"); // leading and inner blanks stay
    EXPECT_EQ(WindowsNameForm(L"dravosrv.cfg"), L"dravosrv.cfg");
    EXPECT_EQ(WindowsNameForm(L".."), L"..");
    EXPECT_EQ(WindowsNameForm(L""), L"");
}

TEST(WindowsNames, LettersFoldToLowerCase) {
    EXPECT_EQ(FoldAsciiCase(L"DravoSrv.CFG"), L"dravosrv.cfg");
    EXPECT_EQ(FoldAsciiCase(L"a-Z_0.9"), L"a-z_0.9");
}

} // namespace
} // namespace dravo
