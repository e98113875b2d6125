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

TEST(VariablesFile, SavedFileIsPlainAsciiWithOneLinePerVariable) {
    VariableStore store;
    store.Set("ServerName", "Caf\xE9\n\"Two\"");
    const std::string file = VariablesFile::Compose(store);
    EXPECT_EQ(file.rfind(VariablesFile::FirstLine("server.so") + "\n", 0), 0u);
    EXPECT_EQ(VariablesFile::FirstLine("server.so"),
              "// Console variables saved by the Dravo reference engine (server.so). Edit with care.");
    for (const char c : file) {
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << static_cast<int>(static_cast<unsigned char>(c));
    }
    EXPECT_NE(file.find("ServerName \"Caf\\xE9\\n\\\"Two\\\"\"\n"), std::string::npos) << file;
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

} // namespace
} // namespace dravo::ref
