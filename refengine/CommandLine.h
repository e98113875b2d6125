// CommandLine: one console command line split into words.
//
// Blanks separate words; a word that opens with a double quote runs to the
// next double quote, which is dropped with the opening one. Backslashes are
// ordinary characters. The front end's settings form, "+Name" "value", is
// recognised separately because it is composed without escaping: its value
// is everything between the opening quote and the LAST double quote of the
// line, so a value may itself hold double quotes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo::ref {

class CommandLine {
public:
    explicit CommandLine(std::string_view line);

    struct Assignment {
        std::string m_Name;
        std::string m_Value;
    };
    // The plus form: "+Name" "value" (or +Name value typed by hand). Empty when the line
    // does not start with a plus; m_Error is set when it does but is malformed.
    struct PlusForm {
        std::optional<Assignment> m_Assignment;
        std::string m_Error;
    };
    static std::optional<PlusForm> ParsePlusForm(std::string_view line);

    bool Empty() const { return m_Words.empty(); }
    size_t Count() const { return m_Words.size(); }
    const std::string& Word(size_t index) const { return m_Words.at(index); }
    // The text after word `index`, trimmed, with one pair of enclosing double quotes removed.
    std::string Rest(size_t index) const;

private:
    std::string m_Line;
    std::vector<std::string> m_Words;
    std::vector<size_t> m_WordEnds; // offset just past each word in m_Line
};

} // namespace dravo::ref
