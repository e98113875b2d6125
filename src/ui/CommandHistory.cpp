// The command input's history and its file.
#include "ui/CommandHistory.h"

#include "host/console/ConsoleSecrets.h"
#include "platform/fs/BoundedFile.h"
#include "platform/fs/FileReplacement.h"
#include "platform/fs/FittedName.h"
#include "platform/os/Text.h"

#include <algorithm>

namespace dravo {

std::filesystem::path CommandHistory::FileFor(const std::filesystem::path& configuration) {
    const std::string name = configuration.filename().string();
    const bool cfg = EqualNoCase(configuration.extension().string(), ".cfg");
    const std::string base = cfg ? configuration.stem().string() : name;
    return configuration.parent_path() / FittedName("", base, ".history");
}

void CommandHistory::Add(std::string_view line) {
    line = line.substr(0, COMMAND_LINE_CHARS);
    if (!line.empty() && (m_Lines.empty() || m_Lines.back() != line)) {
        m_Lines.emplace_back(line);
        if (m_Lines.size() > MAX_LINES) {
            m_Lines.pop_front();
        }
    }
    m_Position = m_Lines.size();
    m_Draft.clear();
}

std::optional<std::string> CommandHistory::Recall(int step, std::string_view current) {
    m_Position = std::min(m_Position, m_Lines.size());
    if (step < 0) {
        if (m_Position == 0) {
            return std::nullopt;
        }
        if (m_Position == m_Lines.size()) {
            m_Draft = current; // what was being typed comes back below the newest line
        }
        --m_Position;
        return m_Lines[m_Position];
    }
    if (step > 0 && m_Position < m_Lines.size()) {
        ++m_Position;
        return m_Position == m_Lines.size() ? m_Draft : m_Lines[m_Position];
    }
    return std::nullopt;
}

bool CommandHistory::Load(const std::filesystem::path& file) {
    m_Lines.clear();
    m_Position = 0;
    m_Draft.clear();
    // The newest lines are at the end.
    const BoundedFile read = ReadBoundedFile(file, MAX_FILE_BYTES, FilePart::Last);
    if (read.m_Outcome == BoundedFile::Outcome::Missing) {
        return true;
    }
    if (!read.HasText()) {
        return false;
    }
    std::string_view rest = read.m_Bytes;
    if (read.m_Outcome == BoundedFile::Outcome::Cut) {
        const size_t firstEnd = rest.find('\n');
        rest = firstEnd == std::string_view::npos ? std::string_view() : rest.substr(firstEnd + 1); // cut off
    }
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        // A line with control characters was not typed into the input, and one that sets a secret was
        // written by a program that kept it: both are left out.
        if (std::ranges::none_of(line, [](char c) { return static_cast<unsigned char>(c) < 0x20; }) &&
            ConsoleSecrets::MaskCommand(line) == line) {
            Add(line);
        }
    }
    return true;
}

bool CommandHistory::Save(const std::filesystem::path& file, std::string& error) const {
    std::string text;
    for (const std::string& line : m_Lines) {
        text += line;
        text += '\n';
    }
    const std::filesystem::path temporary = file.parent_path() / FittedName("", file.filename().string(), ".tmp");
    if (!CreateFreshFile(temporary, error) || !WriteFreshFile(temporary, text, error) ||
        !CommitFile(temporary, file, error)) {
        DiscardFile(temporary);
        return false;
    }
    return true;
}

} // namespace dravo
