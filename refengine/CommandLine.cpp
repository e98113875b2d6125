// CommandLine: one console command line split into words.
#include "CommandLine.h"

#include "TextUtil.h"

namespace dravo::ref {

namespace {

constexpr char QUOTE = '"';

std::string Unquote(std::string_view text) {
    text = TextUtil::Trim(text);
    if (text.size() >= 2 && text.front() == QUOTE && text.back() == QUOTE) {
        text = text.substr(1, text.size() - 2);
    }
    return std::string(text);
}

} // namespace

CommandLine::CommandLine(std::string_view line) : m_Line(line) {
    size_t at = 0;
    while (true) {
        while (at < m_Line.size() && TextUtil::IsBlank(m_Line[at])) {
            ++at;
        }
        if (at >= m_Line.size()) {
            break;
        }
        size_t end = at;
        if (m_Line[at] == QUOTE) {
            end = m_Line.find(QUOTE, at + 1);
            // An unclosed quote takes the rest of the line.
            const size_t stop = end == std::string::npos ? m_Line.size() : end;
            m_Words.push_back(m_Line.substr(at + 1, stop - at - 1));
            end = end == std::string::npos ? m_Line.size() : end + 1;
        } else {
            while (end < m_Line.size() && !TextUtil::IsBlank(m_Line[end]) && m_Line[end] != QUOTE) {
                ++end;
            }
            m_Words.push_back(m_Line.substr(at, end - at));
        }
        m_WordEnds.push_back(end);
        at = end;
    }
}

std::string CommandLine::Rest(size_t index) const {
    if (index >= m_WordEnds.size()) {
        return {};
    }
    return Unquote(std::string_view(m_Line).substr(m_WordEnds[index]));
}

std::optional<CommandLine::PlusForm> CommandLine::ParsePlusForm(std::string_view line) {
    size_t at = 0;
    while (at < line.size() && TextUtil::IsBlank(line[at])) {
        ++at;
    }
    const bool quoted = line.substr(at, 2) == "\"+";
    if (!quoted && line.substr(at, 1) != "+") {
        return std::nullopt;
    }
    PlusForm form;
    if (!quoted) {
        // Typed by hand: +Name value
        CommandLine words(line.substr(at + 1));
        if (words.Empty()) {
            form.m_Error = "A variable name must follow the plus sign.";
            return form;
        }
        form.m_Assignment = Assignment{words.Word(0), words.Rest(0)};
        return form;
    }
    const size_t nameStart = at + 2;
    const size_t nameEnd = line.find(QUOTE, nameStart);
    if (nameEnd == std::string_view::npos) {
        form.m_Error = "The variable name has no closing double quote.";
        return form;
    }
    size_t valueQuote = nameEnd + 1;
    while (valueQuote < line.size() && TextUtil::IsBlank(line[valueQuote])) {
        ++valueQuote;
    }
    const size_t lastQuote = line.rfind(QUOTE);
    if (valueQuote == nameEnd + 1 || valueQuote >= line.size() || line[valueQuote] != QUOTE ||
        lastQuote <= valueQuote || !TextUtil::Trim(line.substr(lastQuote + 1)).empty()) {
        form.m_Error = "Expected \"+Name\" \"value\".";
        return form;
    }
    form.m_Assignment = Assignment{std::string(line.substr(nameStart, nameEnd - nameStart)),
                                   std::string(line.substr(valueQuote + 1, lastQuote - valueQuote - 1))};
    return form;
}

} // namespace dravo::ref
