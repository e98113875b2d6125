// A run-time text wider than its one-line field: the start that fits, then the mark, on every face.
#include "window/CutText.h"

#include "res/ConsoleWindowTemplate.h"
#include "res/NetGameTemplate.h"

#include <gtest/gtest.h>

#include <string>

namespace dravo {
namespace {

// One unit a byte, as a fixed-width field of single-byte text measures it.
int Bytes(std::string_view text) {
    return static_cast<int>(text.size());
}
size_t NextByte(std::string_view, size_t at) {
    return at + 1;
}

// A server name as long as the game settings page takes: 119 characters.
std::string LongServerName() {
    std::string name = "Wine Arena";
    while (name.size() < 119) {
        name += " of the long night";
    }
    name.resize(119);
    return name;
}

TEST(CutText, ATextThatFitsShowsWholeAndOneTooWideEndsInTheMark) {
    EXPECT_EQ(CutWithMark("Wine Arena", 10, Bytes, NextByte), "Wine Arena");
    EXPECT_EQ(CutWithMark("", 0, Bytes, NextByte), "");
    const std::string name = LongServerName();
    for (const int room : {13, 31, 118}) {
        const std::string shown = CutWithMark(name, room, Bytes, NextByte);
        EXPECT_LE(Bytes(shown), room) << shown;
        EXPECT_EQ(shown.rfind("...") + 3, shown.size()) << shown;
        EXPECT_EQ(name.rfind(shown.substr(0, shown.size() - 3), 0), 0u) << "the shown part is the name's start";
    }
    EXPECT_EQ(CutWithMark(name, 31, Bytes, NextByte), "Wine Arena of the long night...");
    EXPECT_EQ(CutWithMark(name, 119, Bytes, NextByte), name);
    EXPECT_EQ(CutWithMark("Wine Arena XYZ!", 14, Bytes, NextByte), "Wine Arena...") << "the blank before the mark goes";
    EXPECT_EQ(CutWithMark("abcdefgh", 7, Bytes, NextByte), "abcd...");
    EXPECT_EQ(CutWithMark("abcdefgh", 8, Bytes, NextByte), "abcdefgh");
}

TEST(CutText, AFieldNarrowerThanTheMarkStillSaysTheTextWasCut) {
    EXPECT_EQ(CutWithMark("abcdefgh", 3, Bytes, NextByte), "...");
    EXPECT_EQ(CutWithMark("abcdefgh", 0, Bytes, NextByte), "...");
}

TEST(CutText, LinesAfterTheFirstCountAsCut) {
    EXPECT_EQ(CutWithMark("one\r\ntwo", 20, Bytes, NextByte), "one...");
    EXPECT_EQ(CutWithMark("one\r\n", 20, Bytes, NextByte), "one") << "a line break at the end hides nothing";
}

TEST(CutText, ACharacterOfSeveralBytesIsKeptWholeOrLeftOut) {
    // Two-byte characters, each one unit wide: the stepper and the measure agree on whole characters.
    const auto width = [](std::string_view text) {
        int units = 0;
        for (const char c : text) {
            units += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
        }
        return units;
    };
    const auto next = [](std::string_view text, size_t at) {
        return at + ((static_cast<unsigned char>(text[at]) & 0x80) != 0 ? 2 : 1);
    };
    const std::string accents = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"; // five é
    EXPECT_EQ(CutWithMark(accents, 5, width, next), accents);
    EXPECT_EQ(CutWithMark(accents, 4, width, next), "\xC3\xA9...");
    // A stepper that does not move on cannot hold the cut in place.
    EXPECT_EQ(CutWithMark("abcdef", 5, Bytes, [](std::string_view, size_t at) { return at; }), "ab...");
}

TEST(CutText, RunTimeTextsOfOneLineAreMarkedAndLabelsAndTallTextsAreNot) {
    const DialogTemplate& console = ConsoleWindowTemplate();
    for (const ConsoleControl id : {ConsoleControl::ServerName, ConsoleControl::NetService,
                                    ConsoleControl::CurrentLevel, ConsoleControl::NextLevelName}) {
        EXPECT_TRUE(MarksCutText(*console.FindControl(static_cast<int>(id)))) << static_cast<int>(id);
    }
    EXPECT_FALSE(MarksCutText(*console.FindControl(static_cast<int>(ConsoleControl::CommandInput))))
        << "an edit scrolls instead";
    int labels = 0;
    for (const ControlTemplate& control : console.m_Controls) {
        if (control.m_Kind == ControlKind::Static && control.m_Id == NO_CONTROL_ID) {
            EXPECT_FALSE(MarksCutText(control)) << control.m_Text;
            ++labels;
        }
    }
    EXPECT_GT(labels, 0);
    ControlTemplate tall = *console.FindControl(static_cast<int>(ConsoleControl::ServerName));
    tall.m_Place.m_Height = ONE_LINE_TEXT_UNITS + 1;
    EXPECT_FALSE(MarksCutText(tall)) << "a text of several lines wraps";
}

} // namespace
} // namespace dravo
