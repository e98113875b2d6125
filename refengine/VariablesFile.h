// VariablesFile: the text form in which the engine saves its console variables.
//
// One variable a line: its name, one blank, and its text in double quotes.
// Inside the quotes a backslash starts an escape: \" and \\ stand for
// themselves, \n, \r and \t for line feed, carriage return and tab, and \xHH
// (two hex digits) for any other byte. The writer escapes control characters,
// byte 127 and every byte above 127, so a saved file is plain ASCII; the
// reader also takes such bytes raw. Lines that are empty or start with "//" or
// "#" are comments. A line that does not parse is skipped and reported; the
// others still load. A carriage return before a line feed is ignored, as is a
// UTF-8 byte order mark at the start. The first line names the library that
// saved the file; lines end as the caller chooses (LF, or CRLF on Windows).
#pragma once

#include "VariableStore.h"

#include <string>
#include <string_view>
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

    struct Parsed {
        std::vector<Variable> m_Variables;   // in file order; a later line for the same name wins
        std::vector<std::string> m_Problems; // one line per skipped line, naming the file and line number
        std::string_view m_LineBreak;        // how the first line ends: "\n" or "\r\n"; empty for one line
    };
    static Parsed Parse(std::string_view text, std::string_view fileLabel);
};

} // namespace dravo::ref
