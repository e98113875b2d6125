// Splitting console lines into words.
#include "host/commands/CommandWords.h"

#include "platform/os/Text.h"

namespace dravo {
namespace {

constexpr char QUOTE = '"';
constexpr std::string_view BLANKS = " \t";
constexpr std::string_view SET_COMMAND = "set";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(BLANKS);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(BLANKS) + 1 - first);
}

std::string Unquote(std::string_view text) {
    text = Trim(text);
    if (text.size() >= 2 && text.front() == QUOTE && text.back() == QUOTE) {
        text = text.substr(1, text.size() - 2);
    }
    return std::string(text);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

CommandWords::CommandWords(std::string_view line) : m_Line(line) {
    size_t at = 0;
    while (true) {
        while (at < m_Line.size() && IsBlank(m_Line[at])) {
            ++at;
        }
        if (at >= m_Line.size()) {
            break;
        }
        size_t end = at;
        if (m_Line[at] == QUOTE) {
            end = m_Line.find(QUOTE, at + 1);
            const size_t stop = end == std::string::npos ? m_Line.size() : end;
            m_Words.push_back(m_Line.substr(at + 1, stop - at - 1));
            end = end == std::string::npos ? m_Line.size() : end + 1;
        } else {
            while (end < m_Line.size() && !IsBlank(m_Line[end]) && m_Line[end] != QUOTE) {
                ++end;
            }
            m_Words.push_back(m_Line.substr(at, end - at));
        }
        m_WordEnds.push_back(end);
        at = end;
    }
}

std::string_view CommandWords::Word(size_t index) const {
    return index < m_Words.size() ? std::string_view(m_Words[index]) : std::string_view();
}

std::string CommandWords::Rest(size_t index) const {
    if (index >= m_WordEnds.size()) {
        return {};
    }
    return Unquote(std::string_view(m_Line).substr(m_WordEnds[index]));
}

std::optional<CommandWords::Assignment> CommandWords::PlusForm(std::string_view line) {
    line = Trim(line);
    if (line.starts_with("\"+")) {
        const size_t nameEnd = line.find(QUOTE, 2);
        if (nameEnd == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view rest = Trim(line.substr(nameEnd + 1));
        if (rest.size() < 2 || rest.front() != QUOTE || rest.back() != QUOTE) {
            return std::nullopt;
        }
        return Assignment{std::string(line.substr(2, nameEnd - 2)), std::string(rest.substr(1, rest.size() - 2)), true};
    }
    if (!line.starts_with('+')) {
        return std::nullopt;
    }
    const CommandWords words(line.substr(1));
    if (words.Empty()) {
        return std::nullopt;
    }
    return Assignment{std::string(words.Word(0)), words.Rest(0), true};
}

std::optional<CommandWords::Assignment> CommandWords::Assigned(std::string_view line) {
    if (std::optional<Assignment> plus = PlusForm(line)) {
        return plus;
    }
    const CommandWords words(line);
    if (words.Empty()) {
        return std::nullopt;
    }
    const size_t name = EqualNoCase(words.Word(0), SET_COMMAND) && words.Count() > 1 ? 1 : 0;
    return Assignment{std::string(words.Word(name)), words.Rest(name), words.Count() > name + 1};
}

} // namespace dravo
