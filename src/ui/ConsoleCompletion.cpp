// The console window's command input: the history that Up and Down walk, kept in a file beside the
// configuration, and the completion of commands, variables, player names and actions by Tab.
#include "ui/ConsoleWindow.h"

#include "platform/os/Text.h"
#include "res/ConsoleWindowTemplate.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace dravo {
namespace {

using Control = ConsoleControl;

// What the engine is asked for the names it knows: its command names, one a line, and its variables,
// each as "<name> is <value>"; lines of another form (a count, an engine without such a command) give
// nothing.
constexpr const char* COMMAND_LIST_QUERY = "cmdlist";
constexpr const char* VARIABLE_LIST_QUERY = "cvarlist";
constexpr std::string_view VARIABLE_VALUE_SEPARATOR = " is ";

// The most choices a Tab lists in the log.
constexpr size_t MAX_CHOICES_LOGGED = 40;
// Tab Tab on an empty input: the most names listed of each kind, and the width of the lines they fill.
constexpr size_t MAX_NAMES_LISTED = 400;
constexpr size_t LISTED_LINE_CHARS = 100;

bool IsName(std::string_view word) {
    return !word.empty() && std::ranges::none_of(word, [](char c) {
        return c == ' ' || c == '"' || static_cast<unsigned char>(c) < 0x21;
    });
}

// The words of `candidates` that begin with `prefix`, ignoring case, each once, in order.
std::vector<std::string> Matching(const std::vector<std::string>& candidates, std::string_view prefix) {
    std::vector<std::string> found;
    for (const std::string& word : candidates) {
        if (StartsWithNoCase(word, prefix) &&
            std::ranges::none_of(found, [&word](const std::string& seen) { return EqualNoCase(seen, word); })) {
            found.push_back(word);
        }
    }
    std::ranges::sort(found, [](const std::string& a, const std::string& b) { return ToLower(a) < ToLower(b); });
    return found;
}

// How many characters all the words begin with, ignoring case.
size_t CommonLength(const std::vector<std::string>& words) {
    size_t common = words.front().size();
    for (const std::string& word : words) {
        size_t same = 0;
        while (same < common && same < word.size() && LowerChar(word[same]) == LowerChar(words.front()[same])) {
            ++same;
        }
        common = same;
    }
    // Names that differ inside a character (é, è) share its first bytes: none of it is put in.
    return CutAtCharacter(words.front(), common).size();
}

} // namespace

void ConsoleWindow::LoadHistory() {
    if (!m_HistoryFile.empty() && !m_History.Load(m_HistoryFile)) {
        m_Session.LogLine("%s is not a command history (a directory or a device?); it is left alone.",
                          m_HistoryFile.string().c_str());
        m_HistoryFile.clear();
    }
}

void ConsoleWindow::SaveHistory() {
    std::string error;
    if (!m_HistoryFile.empty() && !m_History.Save(m_HistoryFile, error)) {
        m_Windows.ShowNote("The command history was not saved: " + error + ".");
    }
}

std::optional<std::string> ConsoleWindow::OnRecallLine(DialogApi& /*dialog*/, int id, int step,
                                                       std::string_view current) {
    if (id != static_cast<int>(Control::CommandInput)) {
        return std::nullopt;
    }
    return m_History.Recall(step, current);
}

// The commands Tab completes as a first word: the operator's commands, then the engine's.
std::vector<std::string> ConsoleWindow::CommandNames() {
    std::vector<std::string> names = CommandService::OperatorCommandNames();
    for (const std::string& line : m_Session.QueryEngine(COMMAND_LIST_QUERY)) {
        if (IsName(line)) {
            names.push_back(line);
        }
    }
    return names;
}

// The engine's variables, from its "<name> is <value>" list.
std::vector<std::string> ConsoleWindow::VariableNames() {
    std::vector<std::string> names;
    for (const std::string& line : m_Session.QueryEngine(VARIABLE_LIST_QUERY)) {
        const size_t separator = line.find(VARIABLE_VALUE_SEPARATOR);
        if (separator != std::string::npos && IsName(std::string_view(line).substr(0, separator))) {
            names.push_back(line.substr(0, separator));
        }
    }
    return names;
}

std::vector<std::string> ConsoleWindow::CompletionWords(std::string_view text) {
    const bool firstWord = text.find(' ') == std::string_view::npos;
    if (firstWord && text.starts_with("/")) {
        return m_Commands.ActionNames(CommandOrigin::Console());
    }
    std::vector<std::string> words;
    if (firstWord) {
        words = CommandNames();
    } else {
        for (const RosterPlayer& player : m_Session.Facts().Roster()) {
            if (!player.m_Name.empty()) {
                words.push_back(player.m_Name);
            }
        }
    }
    std::ranges::move(VariableNames(), std::back_inserter(words));
    return words;
}

// The last word of the text (after its last blank) is completed: a word that alone fits is put in
// whole with a blank after it; several put in what they have in common, and are listed as choices.
std::optional<InputCompletion> ConsoleWindow::OnCompleteLine(DialogApi& /*dialog*/, int id, std::string_view text) {
    if (id != static_cast<int>(Control::CommandInput)) {
        return std::nullopt;
    }
    // On an empty command, as in a shell, one Tab does nothing and a second lists everything.
    const bool secondOnEmpty = std::exchange(m_EmptyTabOnce, text.empty() && !m_EmptyTabOnce);
    if (text.empty()) {
        if (secondOnEmpty) {
            ListEverything();
        }
        return std::nullopt;
    }
    InputCompletion completion{std::string(text), {}};
    const size_t wordStart = text.rfind(' ') == std::string_view::npos ? 0 : text.rfind(' ') + 1;
    const std::string_view word = text.substr(wordStart);
    if (word.empty()) {
        return completion;
    }
    const std::vector<std::string> found = Matching(CompletionWords(text), word);
    if (found.empty()) {
        return completion;
    }
    const std::string head(text.substr(0, wordStart));
    if (found.size() == 1) {
        completion.m_Text = std::string(CutAtCharacter(head + found.front() + " ", COMMAND_INPUT_CHARS));
        return completion;
    }
    const size_t common = std::max(CommonLength(found), word.size());
    completion.m_Text = std::string(CutAtCharacter(head + found.front().substr(0, common), COMMAND_INPUT_CHARS));
    if (common == word.size()) {
        completion.m_Text = std::string(text); // nothing more in common: the typed case stays
    }
    completion.m_Choices = found;
    std::string listed;
    for (size_t index = 0; index < found.size() && index < MAX_CHOICES_LOGGED; ++index) {
        listed += (index == 0 ? "" : " ") + found[index];
    }
    m_Session.LogLine("Completions: %s%s", listed.c_str(), found.size() > MAX_CHOICES_LOGGED ? " ..." : "");
    return completion;
}

void ConsoleWindow::ListEverything() {
    const auto list = [this](std::string_view kind, const std::vector<std::string>& words) {
        if (words.empty()) {
            return;
        }
        std::string line = std::string(kind) + ":";
        for (size_t index = 0; index < words.size() && index < MAX_NAMES_LISTED; ++index) {
            if (line.size() + 1 + words[index].size() > LISTED_LINE_CHARS) {
                m_Session.LogText(line);
                line = "   ";
            }
            line += " " + words[index];
        }
        m_Session.LogText(line + (words.size() > MAX_NAMES_LISTED ? " ..." : ""));
    };
    list("Actions", m_Commands.ActionNames(CommandOrigin::Console()));
    list("Commands", Matching(CommandNames(), ""));
    list("Variables", Matching(VariableNames(), ""));
}

} // namespace dravo
