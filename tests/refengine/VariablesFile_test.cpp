// Tests of the variables file text: exact round trips, escapes, skipped lines.
#include "VariablesFile.h"

#include <gtest/gtest.h>

namespace dravo::ref {
namespace {

std::string EveryByteButNul() {
    std::string bytes;
    for (int c = 1; c < 256; ++c) {
        bytes.push_back(static_cast<char>(c));
    }
    return bytes;
}

TEST(VariablesFile, AwkwardValuesRoundTripExactly) {
    VariableStore store;
    const std::vector<std::pair<std::string, std::string>> values = {
        {"Quotes", R"(The "Best" Server")"},       {"Backslashes", R"(Custom\arena.rez\\ \x41 \n)"},
        {"Spaces", "  leading and trailing  "},    {"Empty", ""},
        {"HighBytes", "Caf\xE9 \x80\xFF\xC3\xA9"}, {"Controls", "line\nbreak\ttab\rreturn\x01\x1F\x7F"},
        {"EveryByte", EveryByteButNul()},          {"Hash", "# not a comment"},
        {"Slashes", "// not a comment either"},
    };
    for (const auto& [name, text] : values) {
        store.Set(name, text);
    }
    const std::string file = VariablesFile::Compose(store);
    const VariablesFile::Parsed parsed = VariablesFile::Parse(file, "test.cfg");
    EXPECT_TRUE(parsed.m_Problems.empty()) << parsed.m_Problems.front();
    ASSERT_EQ(parsed.m_Variables.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(parsed.m_Variables[i].m_Name, values[i].first);
        EXPECT_EQ(parsed.m_Variables[i].m_Text, values[i].second) << values[i].first;
    }
}

TEST(VariablesFile, SavedTextKeepsItsBytesWithOneLinePerVariable) {
    VariableStore store;
    store.Set("ServerName", "Caf\xC3\xA9\n\"Two\"\x7F");
    const std::string file = VariablesFile::Compose(store);
    EXPECT_EQ(file.rfind(VariablesFile::FirstLine("server.so") + "\n", 0), 0u);
    EXPECT_EQ(VariablesFile::FirstLine("server.so"),
              "// Console variables saved by the Dravo reference engine (server.so). Edit with care.");
    // The UTF-8 text as it is; only the line's structure is escaped.
    EXPECT_NE(file.find("ServerName \"Caf\xC3\xA9\\n\\\"Two\\\"\\x7F\"\n"), std::string::npos) << file;
    for (const char c : file) {
        EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << static_cast<int>(c);
    }
    // A text of many non-ASCII characters takes the room it has, not four times as much.
    const std::string wide(3 * 1000, '\xE5');
    store.Set("Wide", wide);
    EXPECT_LT(VariablesFile::Compose(store).size(), file.size() + wide.size() + 20);
    // And a file of an earlier writer, escaped, reads the same.
    const VariablesFile::Parsed old = VariablesFile::Parse("ServerName \"Caf\\xC3\\xA9\"\n", "old.cfg");
    ASSERT_EQ(old.m_Variables.size(), 1u);
    EXPECT_EQ(old.m_Variables[0].m_Text, "Caf\xC3\xA9");
}

TEST(VariablesFile, ACarriageReturnAloneEndsALineAndSuchAFileIsSavedWithLineFeeds) {
    const std::string text = "// saved on an old machine\rServerName \"Old\"\rPort \"27888\"\r\rGameType \"3\"";
    for (const size_t split : {size_t{0}, size_t{26}, size_t{27}, text.size()}) {
        VariablesFile::Reader reader("old.cfg");
        reader.Feed(std::string_view(text).substr(0, split));
        reader.Feed(std::string_view(text).substr(split));
        const VariablesFile::Parsed parsed = reader.Finish();
        EXPECT_TRUE(parsed.m_Problems.empty()) << parsed.m_Problems.front();
        ASSERT_EQ(parsed.m_Variables.size(), 3u) << split;
        EXPECT_EQ(parsed.m_Variables[1].m_Text, "27888");
        EXPECT_EQ(parsed.m_LineBreak, "\n");
    }
    // A carriage return and a line feed split between two pieces are still one line end.
    VariablesFile::Reader reader("split.cfg");
    reader.Feed("// first\r");
    reader.Feed("\nPort \"1\"\r\n\r\nGameType \"2\"\r\n");
    const VariablesFile::Parsed parsed = reader.Finish();
    EXPECT_EQ(parsed.m_LineBreak, "\r\n");
    EXPECT_EQ(parsed.m_Variables.size(), 2u);
    EXPECT_TRUE(parsed.m_Problems.empty());
}

TEST(VariablesFile, LinesEndAsTheStyleAsksAndTheReaderTellsHowTheyEnded) {
    VariableStore store;
    store.Set("ServerName", "two\r\nlines");
    store.Set("Port", "27888");
    const std::string file = VariablesFile::Compose(store, {.m_LineBreak = "\r\n", .m_Library = "server.dll"});
    EXPECT_EQ(file.rfind(VariablesFile::FirstLine("server.dll") + "\r\n", 0), 0u);
    size_t lineFeeds = 0;
    for (size_t at = file.find('\n'); at != std::string::npos; at = file.find('\n', at + 1)) {
        ++lineFeeds;
        EXPECT_EQ(file[at - 1], '\r') << at; // no bare line feed, in the value's escapes either
    }
    EXPECT_EQ(lineFeeds, 4u); // two comment lines and two variables
    EXPECT_TRUE(file.ends_with("Port \"27888\"\r\n")) << file;

    const VariablesFile::Parsed crlf = VariablesFile::Parse(file, "dravosrv.cfg");
    EXPECT_EQ(crlf.m_LineBreak, "\r\n");
    ASSERT_EQ(crlf.m_Variables.size(), 2u);
    EXPECT_EQ(crlf.m_Variables[0].m_Text, "two\r\nlines");
    EXPECT_EQ(VariablesFile::Parse(VariablesFile::Compose(store), "dravosrv.cfg").m_LineBreak, "\n");
    EXPECT_EQ(VariablesFile::Parse("Port \"1\"", "dravosrv.cfg").m_LineBreak, "");
    EXPECT_EQ(VariablesFile::Parse("\r\nPort \"1\"\n", "dravosrv.cfg").m_LineBreak, "\r\n");
}

TEST(VariablesFile, ReadsWhatAnOperatorMightWrite) {
    const std::string text = "\xEF\xBB\xBF# my settings\r\n"
                             "\r\n"
                             "   // indented comment\n"
                             "ServerName   \"Raw \xC3\xA9 bytes\"  \r\n"
                             "Port\t\"27888\"\n"
                             "Low \"\\x7f\\x0a\"\n"
                             "Last \"no newline at end\"";
    const VariablesFile::Parsed parsed = VariablesFile::Parse(text, "dravosrv.cfg");
    EXPECT_TRUE(parsed.m_Problems.empty());
    ASSERT_EQ(parsed.m_Variables.size(), 4u);
    EXPECT_EQ(parsed.m_Variables[0].m_Text, "Raw \xC3\xA9 bytes");
    EXPECT_EQ(parsed.m_Variables[1].m_Text, "27888");
    EXPECT_EQ(parsed.m_Variables[2].m_Text, "\x7F\n");
    EXPECT_EQ(parsed.m_Variables[3].m_Text, "no newline at end");
}

TEST(VariablesFile, MalformedLinesAreSkippedAndReportedOthersKept) {
    const std::string text = "Good1 \"a\"\n"
                             "NoValue\n"
                             "Unquoted value\n"
                             "Unclosed \"abc\n"
                             "BadEscape \"\\q\"\n"
                             "ShortHex \"\\x4\"\n"
                             "NulHex \"\\x00\"\n"
                             "Trailing \"a\" b\n"
                             "bad\"name \"x\"\n"
                             "Good2 \"b\"\n";
    const VariablesFile::Parsed parsed = VariablesFile::Parse(text, "dravosrv.cfg");
    ASSERT_EQ(parsed.m_Variables.size(), 2u);
    EXPECT_EQ(parsed.m_Variables[0].m_Name, "Good1");
    EXPECT_EQ(parsed.m_Variables[1].m_Name, "Good2");
    ASSERT_EQ(parsed.m_Problems.size(), 8u);
    EXPECT_EQ(parsed.m_Problems[0].rfind("dravosrv.cfg:2: ", 0), 0u) << parsed.m_Problems[0];
    EXPECT_EQ(parsed.m_Problems[7].rfind("dravosrv.cfg:9: ", 0), 0u) << parsed.m_Problems[7];
}

TEST(VariablesFile, RawNulByteInAValueIsRefused) {
    const std::string text = std::string("A \"x") + '\0' + "y\"\nB \"ok\"\n";
    const VariablesFile::Parsed parsed = VariablesFile::Parse(text, "f");
    ASSERT_EQ(parsed.m_Variables.size(), 1u);
    EXPECT_EQ(parsed.m_Variables[0].m_Name, "B");
    EXPECT_EQ(parsed.m_Problems.size(), 1u);
}

TEST(VariablesFile, AFileOfJunkReportsTheFirstSkippedLinesAndCountsTheRest) {
    std::string text = "Kept \"first\"\n";
    for (int line = 0; line < 1000; ++line) {
        text += "junk line " + std::to_string(line) + "\n";
    }
    text += "Kept \"last\"\n";
    const VariablesFile::Parsed parsed = VariablesFile::Parse(text, "dravosrv.cfg");
    EXPECT_EQ(parsed.m_SkippedLines, 1000u);
    ASSERT_EQ(parsed.m_Problems.size(), VariablesFile::MAX_REPORTED_LINES + 1);
    EXPECT_EQ(parsed.m_Problems[0].rfind("dravosrv.cfg:2: skipped a line: ", 0), 0u) << parsed.m_Problems[0];
    EXPECT_EQ(parsed.m_Problems.back(), "dravosrv.cfg: 990 more lines were skipped; only the first 10 are shown.");
    // A name given again keeps its place and takes the later text: one variable, not two.
    ASSERT_EQ(parsed.m_Variables.size(), 1u);
    EXPECT_EQ(parsed.m_Variables[0].m_Text, "last");
}

TEST(VariablesFile, ManyLinesForOneNameKeepOneVariableWhateverTheCase) {
    std::string text;
    for (int line = 0; line < 10000; ++line) {
        text += (line % 2 == 0 ? "ServerName \"" : "SERVERNAME \"") + std::to_string(line) + "\"\n";
    }
    const VariablesFile::Parsed parsed = VariablesFile::Parse(text, "f");
    ASSERT_EQ(parsed.m_Variables.size(), 1u);
    EXPECT_EQ(parsed.m_Variables[0].m_Name, "ServerName"); // the spelling it was first given, as the store keeps
    EXPECT_EQ(parsed.m_Variables[0].m_Text, "9999");
}

TEST(VariablesFile, PiecesSplitAnywhereReadAsTheWholeText) {
    const std::string text = "\xEF\xBB\xBF"
                             "A \"1\"\r\nbroken\nB \"two words\"\nC \"no end\"";
    const VariablesFile::Parsed whole = VariablesFile::Parse(text, "f");
    for (size_t size = 1; size <= 4; ++size) {
        VariablesFile::Reader reader("f");
        for (size_t at = 0; at < text.size(); at += size) {
            reader.Feed(std::string_view(text).substr(at, size));
        }
        const VariablesFile::Parsed pieces = reader.Finish();
        ASSERT_EQ(pieces.m_Variables.size(), 3u) << size;
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(pieces.m_Variables[i].m_Name, whole.m_Variables[i].m_Name);
            EXPECT_EQ(pieces.m_Variables[i].m_Text, whole.m_Variables[i].m_Text);
        }
        EXPECT_EQ(pieces.m_Problems, whole.m_Problems);
    }
    EXPECT_EQ(whole.m_Variables[0].m_Name, "A"); // the byte order mark is not part of the name
}

TEST(VariablesFile, AnOverlongLineIsSkippedWithoutBeingKeptWhole) {
    VariablesFile::Reader reader("f");
    reader.Feed("Before \"1\"\nHuge \"");
    const std::string piece(4096, 'x');
    for (size_t fed = 0; fed < 4 * VariablesFile::MAX_LINE_LENGTH; fed += piece.size()) {
        reader.Feed(piece);
    }
    reader.Feed("\"\nAfter \"2\"\n");
    const VariablesFile::Parsed parsed = reader.Finish();
    ASSERT_EQ(parsed.m_Variables.size(), 2u);
    EXPECT_EQ(parsed.m_Variables[1].m_Name, "After");
    ASSERT_EQ(parsed.m_Problems.size(), 1u);
    EXPECT_EQ(parsed.m_Problems[0].rfind("f:2: skipped a line: the line is longer than 65536 bytes: Huge \"xxx", 0), 0u)
        << parsed.m_Problems[0].substr(0, 100);
    EXPECT_LT(parsed.m_Problems[0].size(), 300u);
}

} // namespace
} // namespace dravo::ref
