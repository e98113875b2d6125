// VariablesFile: the text form in which the engine saves its console variables.
//
// One variable a line: its name, one blank, and its text in double quotes.
// Inside the quotes a backslash starts an escape: \" and \\ stand for
// themselves, \n, \r and \t for line feed, carriage return and tab, and \xHH
// (two hex digits) for any other byte. The writer escapes control characters
// and byte 127 and writes every other byte as it is, UTF-8 included, so a text
// takes as many bytes in the file as it has; the reader takes every byte but a
// NUL either way (files of earlier writers escape the bytes above 127). Lines
// that are empty or start with "//" or "#" are comments. A line that does not
// parse is skipped and reported; the others still load. A line ends at a line
// feed, a carriage return and line feed, or a carriage return alone (a file of
// an old editor); a UTF-8 byte order mark at the start is ignored. The first line names the library that
// saved the file; lines end as the caller chooses (LF, or CRLF on Windows). A
// file of junk costs no more than its good lines: the first MAX_REPORTED_LINES
// skipped lines are reported, the rest only counted, and a variable named again
// replaces the text it had.
#pragma once

#include "VariableStore.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dravo::ref {

// How a variables file is written.
struct VariablesFileStyle {
    std::string_view m_LineBreak = "\n";      // "\n" or "\r\n"
    std::string_view m_Library = "server.so"; // named in the first line
};

class VariablesFile {
public:
    // "// Console variables saved by the Dravo reference engine (server.so). Edit with care."
    static std::string FirstLine(std::string_view library);
    // The whole file text for the store, variables in the order they were created.
    static std::string Compose(const VariableStore& store, const VariablesFileStyle& style = {});
    // The value in double quotes with the escapes above.
    static std::string Quote(std::string_view value);

    // Skipped lines reported one by one; one more report counts the rest.
    static constexpr size_t MAX_REPORTED_LINES = 10;
    // A longer line is skipped without being kept whole; no saved line comes near it.
    static constexpr size_t MAX_LINE_LENGTH = 65536;

    struct Parsed {
        // In the order of their first line; a later line for the same name (in any case) gives the text.
        std::vector<Variable> m_Variables;
        // The first MAX_REPORTED_LINES skipped lines, each naming the file and line number, and then a
        // line that counts the others.
        std::vector<std::string> m_Problems;
        size_t m_SkippedLines = 0;    // every line skipped, reported or not
        std::string_view m_LineBreak; // how the first line ends: "\n" or "\r\n"; empty for one line
    };
    static Parsed Parse(std::string_view text, std::string_view fileLabel);

    // Parses a file as it is read, piece by piece: it holds the variables, one line and the reports.
    class Reader {
    public:
        explicit Reader(std::string_view fileLabel) : m_Label(fileLabel) {}
        void Feed(std::string_view bytes);
        // The end of the file: the last line, even without a line feed, then what was read.
        Parsed Finish();

    private:
        // Ends the line at bytes[end] (a line feed or a carriage return), drops what was read of
        // `bytes` and takes the line; the first line's end is how the file is saved again.
        void EndLine(std::string_view& bytes, size_t end, std::string_view line);
        void TakeLine(std::string_view line);
        void Keep(Variable variable);
        void Skip(std::string_view line, const std::string& error);

        std::string m_Label;
        std::string m_Line;         // the line begun and not yet ended
        bool m_AfterReturn = false; // the last line ended with a carriage return: a line feed next is its end
        bool m_Overlong = false;    // the line begun is past MAX_LINE_LENGTH: the rest of it is dropped
        size_t m_LineNumber = 0;
        Parsed m_Parsed;
        std::unordered_map<std::string, size_t> m_Index; // lower-cased name to its place in m_Variables
    };
};

} // namespace dravo::ref
