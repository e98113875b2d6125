// The log file: stamped lines in order, line breaks, reopening after a rename, and a file that
// cannot be written (said once, lines kept until it can).
#include "app/LogFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <vector>

namespace dravo {
namespace {

using test::TempDir;

constexpr std::chrono::seconds FLUSH_BOUND{10};
const char* const STAMP = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d)";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (LogFile::TEXT_LINE_END == "\r\n" && !line.empty() && line.back() == '\r') {
            line.pop_back(); // the line end of the system's text
        }
        lines.push_back(line);
    }
    return lines;
}

// True when every line is a stamp, a blank and the expected text, in order.
::testing::AssertionResult HoldsLines(const std::string& text, const std::vector<std::string>& expected) {
    const std::vector<std::string> lines = Lines(text);
    if (lines.size() != expected.size()) {
        return ::testing::AssertionFailure() << "got " << lines.size() << " lines:\n" << text;
    }
    for (size_t index = 0; index < lines.size(); ++index) {
        if (!std::regex_match(
                lines[index],
                std::regex(std::string(STAMP) + " " +
                           std::regex_replace(expected[index], std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)")))) {
            return ::testing::AssertionFailure() << "line " << index << ": " << lines[index];
        }
    }
    return ::testing::AssertionSuccess();
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(LogFile, AppendsEachLineWithItsTimeInOrder) {
    TempDir directory;
    directory.Write("server.log", "earlier run\n");
    std::ostringstream errors;
    LogFile file((directory.Path() / "server.log").string(), errors);
    ASSERT_TRUE(file.Open());
    file.WriteLine("Initializing the server...");
    file.WriteLine("Server is running.");
    ASSERT_TRUE(file.Flush(FLUSH_BOUND));

    const std::string text = directory.Read("server.log");
    ASSERT_EQ(text.rfind("earlier run\n", 0), 0u); // appended, not replaced
    EXPECT_TRUE(HoldsLines(text.substr(12), {"Initializing the server...", "Server is running."}));
    // Every line ends as the system's text does ("\r\n" on Windows, for its plain editors).
    EXPECT_EQ(Count(text.substr(12), std::string(LogFile::TEXT_LINE_END)), 2u);
    EXPECT_EQ(Count(text.substr(12), "\n"), 2u);
    EXPECT_TRUE(errors.str().empty());
}

TEST(LogFile, ALineWithLineBreaksBecomesSeveralWithTheSameTime) {
    TempDir directory;
    std::ostringstream errors;
    const auto moment = std::chrono::system_clock::now();
    LogFile file((directory.Path() / "server.log").string(), errors, [moment] { return moment; });
    ASSERT_TRUE(file.Open());
    file.WriteLine("Actions: one\r\ntwo\nthree");
    ASSERT_TRUE(file.Flush(FLUSH_BOUND));

    const std::vector<std::string> lines = Lines(directory.Read("server.log"));
    ASSERT_EQ(lines.size(), 3u);
    const std::string stamp = lines[0].substr(0, lines[0].find(' '));
    EXPECT_EQ(lines[0], stamp + " Actions: one");
    EXPECT_EQ(lines[1], stamp + " two");
    EXPECT_EQ(lines[2], stamp + " three");
}

TEST(LogFile, ReopenFollowsARotation) {
    TempDir directory;
    std::ostringstream errors;
    const auto path = directory.Path() / "server.log";
    LogFile file(path.string(), errors);
    ASSERT_TRUE(file.Open());
    file.WriteLine("before rotation");
    ASSERT_TRUE(file.Flush(FLUSH_BOUND));
    std::filesystem::rename(path, directory.Path() / "server.log.1");

    std::vector<std::string> notices;
    file.SetNoticeHandler([&notices](const std::string& notice) { notices.push_back(notice); });
    file.WriteLine("still the old file until asked");
    file.Reopen();
    file.WriteLine("after rotation");
    ASSERT_TRUE(file.Flush(FLUSH_BOUND));
    file.SetNoticeHandler(nullptr);
    EXPECT_EQ(notices, std::vector<std::string>{REOPENED_NOTICE});

    EXPECT_TRUE(HoldsLines(directory.Read("server.log.1"), {"before rotation", "still the old file until asked"}));
    EXPECT_TRUE(HoldsLines(directory.Read("server.log"), {"after rotation"}));
}

TEST(LogFile, AFileThatCannotBeWrittenIsSaidOnceAndItsLinesAreKept) {
    TempDir directory;
    std::ostringstream errors;
    const auto path = directory.Path() / "missing" / "server.log";
    LogFile file(path.string(), errors);
    EXPECT_FALSE(file.Open());
    file.WriteLine("one");
    file.WriteLine("two");
    ASSERT_TRUE(file.Flush(FLUSH_BOUND));
    EXPECT_EQ(Count(errors.str(), "ERROR - Unable to write the log file \"" + path.string() + "\""), 1u)
        << errors.str();
    EXPECT_EQ(errors.str().rfind("DravoServ: ERROR", 0), 0u);

    // The console window takes the notice once it can show it.
    std::vector<std::string> notices;
    file.SetNoticeHandler([&notices](const std::string& notice) { notices.push_back(notice); });
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("The console log goes on"), std::string::npos);

    // Every later line tries again: once the directory exists, nothing is missing.
    std::filesystem::create_directory(path.parent_path());
    file.WriteLine("three");
    ASSERT_TRUE(file.Flush(FLUSH_BOUND));
    EXPECT_TRUE(HoldsLines(TempDir::ReadFile(path), {"one", "two", "three"}));
    EXPECT_EQ(notices.size(), 1u);
    file.SetNoticeHandler(nullptr);
}

TEST(LogFile, ANewTroubleAfterRecoveryIsSaidAgain) {
    TempDir directory;
    std::ostringstream errors;
    const auto folder = directory.Path() / "logs";
    LogFile file((folder / "server.log").string(), errors);
    EXPECT_FALSE(file.Open());
    std::filesystem::create_directory(folder);
    file.WriteLine("written");
    ASSERT_TRUE(file.Flush(FLUSH_BOUND));
    std::filesystem::remove_all(folder);
    file.Reopen();
    file.WriteLine("kept");
    ASSERT_TRUE(file.Flush(FLUSH_BOUND));
    EXPECT_EQ(Count(errors.str(), "Unable to write the log file"), 2u) << errors.str();
}

} // namespace
} // namespace dravo
