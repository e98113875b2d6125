// CommandWords: one console line split into words, as the engine splits its command lines.
//
// Words are separated by blanks and tabs; a word that begins with a double quote runs to the next one
// (an unclosed quote takes the rest of the line) and may hold blanks. Rest(i) is the text after word i,
// blanks around it aside, without the quotes of a text that is wholly quoted: the value a variable
// takes from "Name value". The plus form ("+Name" "value", or +Name value typed by hand) is read apart.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

class CommandWords {
public:
    explicit CommandWords(std::string_view line);

    size_t Count() const { return m_Words.size(); }
    bool Empty() const { return m_Words.empty(); }
    // The word at `index`, or empty past the last one.
    std::string_view Word(size_t index) const;
    std::string Rest(size_t index) const;

    struct Assignment {
        std::string m_Name;
        std::string m_Value;
        bool m_HasValue = false; // false when the line only names the variable
    };
    // "+Name" "value" or +Name value; nothing for a line of another form, or a malformed one.
    static std::optional<Assignment> PlusForm(std::string_view line);
    // "Name value", "set Name value" or the plus form: the variable a line sets; nothing for others.
    static std::optional<Assignment> Assigned(std::string_view line);

private:
    std::string m_Line;
    std::vector<std::string> m_Words;
    std::vector<size_t> m_WordEnds; // where each word ends in m_Line, its closing quote included
};

} // namespace dravo
