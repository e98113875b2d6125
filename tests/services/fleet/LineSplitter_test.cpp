// The watch stream cut into lines, however its pieces fall, with a bound on each line.
#include "services/fleet/LineSplitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dravo {
namespace {

std::vector<std::string> Split(LineSplitter& splitter, const std::vector<std::string>& pieces) {
    std::vector<std::string> lines;
    for (const std::string& piece : pieces) {
        splitter.Feed(piece, [&](std::string_view line) { lines.emplace_back(line); });
    }
    return lines;
}

TEST(LineSplitter, LinesComeWholeWhereverThePiecesBreak) {
    const std::string stream = "{\"a\":1}\n{\"b\":2}\r\n\n{\"c\":3}\n";
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        LineSplitter splitter(64);
        const auto lines = Split(splitter, {stream.substr(0, cut), stream.substr(cut)});
        EXPECT_EQ(lines, (std::vector<std::string>{"{\"a\":1}", "{\"b\":2}", "{\"c\":3}"})) << cut;
    }
}

TEST(LineSplitter, ALineOverTheBoundIsDroppedWholeAndTheNextKept) {
    LineSplitter splitter(8);
    const auto lines = Split(splitter, {"12345", "67890abc", "def\nok\n", "123456789\n12345678\n"});
    EXPECT_EQ(lines, (std::vector<std::string>{"ok", "12345678"}));
    EXPECT_EQ(splitter.DroppedLines(), 2u);
}

TEST(LineSplitter, AResetForgetsAPartialLine) {
    LineSplitter splitter(64);
    auto lines = Split(splitter, {"half a li"});
    splitter.Reset();
    lines = Split(splitter, {"whole\n"});
    EXPECT_EQ(lines, (std::vector<std::string>{"whole"}));
}

} // namespace
} // namespace dravo
