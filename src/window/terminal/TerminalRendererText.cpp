// Text as the terminal face's dialogs lay it out: lines wrapped for labels, messages and logs, and list
// lines with their tab stops.
#include "window/terminal/TerminalRenderer.h"

#include "window/CutText.h"
#include "window/terminal/TerminalText.h"

#include <algorithm>

namespace dravo {

std::vector<std::string> TerminalRenderer::WrapLines(std::string_view text, int width) {
    std::vector<std::string> lines;
    width = std::max(width, 1);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool broken = end != std::string_view::npos;
        if (!broken) {
            end = text.size();
        }
        std::string line(text.substr(start, end - start));
        std::erase(line, '\r');
        for (size_t piece = 0; piece < line.size() || piece == 0; piece += static_cast<size_t>(width)) {
            lines.push_back(line.substr(piece, static_cast<size_t>(width)));
            if (line.empty()) {
                break;
            }
        }
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> TerminalRenderer::WrapLogLines(std::string_view text, int width) {
    std::vector<std::string> lines;
    width = std::max(width, 1);
    for (std::string& line : WrapLines(text, static_cast<int>(text.size()) + 1)) {
        // A line that begins with blanks (an item of a help list) keeps them in front of each line it
        // wraps onto, where that leaves half the width for the text.
        const size_t blanks = std::min(line.find_first_not_of(' '), line.size());
        const std::string indent(static_cast<int>(blanks) * 2 <= width ? blanks : 0, ' ');
        std::string_view rest = line;
        size_t keep = blanks; // blanks at the start that a break never falls in
        int room = width;
        // The bytes of whole characters that fit in the room; a wide character in one column still goes.
        const auto fitting = [&room](std::string_view part) {
            return std::max(TerminalText::FitColumns(part, room), TerminalText::Next(part, 0));
        };
        for (size_t limit = fitting(rest); limit < rest.size(); limit = fitting(rest)) {
            const size_t blank = rest.rfind(' ', limit);
            const bool cutWord = blank == std::string_view::npos || blank <= keep; // a word longer than the line
            lines.push_back((room == width ? std::string() : indent) +
                            std::string(rest.substr(0, cutWord ? limit : blank)));
            rest.remove_prefix(cutWord ? limit : blank + 1);
            room = width - static_cast<int>(indent.size());
            keep = 0;
        }
        lines.push_back((room == width ? std::string() : indent) + std::string(rest));
    }
    return lines;
}

std::vector<std::string> TerminalRenderer::WrapWords(std::string_view text, int width) {
    std::vector<std::string> lines;
    const auto limit = static_cast<size_t>(std::max(width, 1));
    for (const std::string& paragraph : WrapLines(text, static_cast<int>(text.size()) + 1)) {
        std::string line;
        size_t position = 0;
        while (position <= paragraph.size()) {
            size_t wordEnd = paragraph.find(' ', position);
            if (wordEnd == std::string::npos) {
                wordEnd = paragraph.size();
            }
            std::string_view word(paragraph.data() + position, wordEnd - position);
            while (word.size() > limit) { // a word longer than a line is cut
                if (!line.empty()) {
                    lines.push_back(std::move(line));
                    line.clear();
                }
                lines.emplace_back(word.substr(0, limit));
                word.remove_prefix(limit);
            }
            if (!line.empty() && line.size() + 1 + word.size() > limit) {
                lines.push_back(std::move(line));
                line.clear();
            }
            line += line.empty() ? std::string(word) : " " + std::string(word);
            position = wordEnd + 1;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string TerminalRenderer::ExpandTabs(std::string_view line, const std::vector<int>& stopColumns) {
    std::string expanded;
    int at = 0; // the column the field begins in
    while (true) {
        const size_t tab = line.find('\t');
        const std::string_view field = line.substr(0, tab);
        if (tab == std::string_view::npos) {
            expanded += field; // the last field runs to the end of the list
            return expanded;
        }
        line.remove_prefix(tab + 1);
        // A column keeps room for a character and the mark at least: a stop closer than that is passed.
        const int least = TerminalText::Columns(CUT_MARK) + 1;
        const auto next = std::find_if(stopColumns.begin(), stopColumns.end(),
                                       [at, least](int stop) { return stop - at - 1 >= least; });
        if (next == stopColumns.end()) {
            expanded += field;
            expanded.push_back(' '); // past the last stop one blank parts the fields
            at += TerminalText::Columns(field) + 1;
            continue;
        }
        // A field too long for its column is cut with the mark, a blank before the next stop, so that the
        // fields after it (a player's frags after a long name) stay in their columns.
        const std::string shown = CutWithMark(field, *next - at - 1, TerminalText::Columns, TerminalText::Next);
        expanded += shown;
        const int columns = TerminalText::Columns(shown);
        expanded.append(static_cast<size_t>(*next - at - columns), ' ');
        at = *next;
    }
}

} // namespace dravo
