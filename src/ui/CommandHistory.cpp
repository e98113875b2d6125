// The command input's history and its file.
#include "ui/CommandHistory.h"

#include "platform/fs/BoundedFile.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace dravo {

std::filesystem::path CommandHistory::FileFor(const std::filesystem::path& configuration) {
    std::filesystem::path history = configuration;
    history.replace_extension(".history");
    return history;
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
    const BoundedFile read = ReadBoundedFile(file, MAX_FILE_BYTES);
    if (read.m_Outcome == BoundedFile::Outcome::Missing) {
        return true;
    }
    if (!read.HasText()) {
        return false;
    }
    std::string_view rest = read.m_Bytes;
    if (read.m_Outcome == BoundedFile::Outcome::Cut) {
        rest = rest.substr(0, rest.rfind('\n') + 1); // a line cut off at the end is not a line
    }
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        // A line with control characters was not typed into the input: it is left out.
        if (std::ranges::none_of(line, [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
            Add(line);
        }
    }
    return true;
}

bool CommandHistory::Save(const std::filesystem::path& file, std::string& error) const {
    std::filesystem::path temporary = file;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const std::string& line : m_Lines) {
            out << line << '\n';
        }
        out.flush();
        if (!out) {
            error = "cannot write " + temporary.string();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code code;
    std::filesystem::rename(temporary, file, code);
    if (code) {
        error = "cannot replace " + file.string() + ": " + code.message();
        std::filesystem::remove(temporary, code);
        return false;
    }
    return true;
}

} // namespace dravo
