// VariablesFile: the text form in which the engine saves its console variables.
#include "VariablesFile.h"

#include "TextUtil.h"

#include <optional>
#include <utility>

namespace dravo::ref {

namespace {

constexpr char HEX_DIGITS[] = "0123456789ABCDEF";
constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Decodes the quoted text at the start of `text` (which begins with the opening quote); sets `used`
// to the bytes consumed. Empty optional with `error` set when it is malformed.
std::optional<std::string> Unquote(std::string_view text, size_t& used, std::string& error) {
    std::string value;
    size_t at = 1;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '"') {
            used = at + 1;
            return value;
        }
        if (c == '\0') {
            error = "a NUL byte in the value";
            return std::nullopt;
        }
        if (c != '\\') {
            value.push_back(c);
            ++at;
            continue;
        }
        if (at + 1 >= text.size()) {
            break;
        }
        const char escape = text[at + 1];
        at += 2;
        switch (escape) {
        case '"':
        case '\\':
            value.push_back(escape);
            break;
        case 'n':
            value.push_back('\n');
            break;
        case 'r':
            value.push_back('\r');
            break;
        case 't':
            value.push_back('\t');
            break;
        case 'x': {
            const int high = at < text.size() ? HexValue(text[at]) : -1;
            const int low = at + 1 < text.size() ? HexValue(text[at + 1]) : -1;
            if (high < 0 || low < 0 || (high == 0 && low == 0)) {
                error = "\\x must be followed by two hex digits other than 00";
                return std::nullopt;
            }
            value.push_back(static_cast<char>(high * 16 + low));
            at += 2;
            break;
        }
        default:
            error = std::string("an unknown escape \\") + escape;
            return std::nullopt;
        }
    }
    error = "the value has no closing double quote";
    return std::nullopt;
}

// The skipped line as a report shows it: printable, cut to a line's worth.
std::string ShownLine(std::string_view line) {
    constexpr size_t MAX_SHOWN = 160;
    std::string shown;
    for (const char c : line.substr(0, MAX_SHOWN)) {
        const auto byte = static_cast<unsigned char>(c);
        shown.push_back(byte < 0x20 || byte == 0x7F ? '?' : c);
    }
    if (line.size() > MAX_SHOWN) {
        shown += "...";
    }
    return shown;
}

std::optional<Variable> ParseLine(std::string_view line, std::string& error) {
    const size_t blank = line.find_first_of(" \t");
    if (blank == std::string_view::npos) {
        error = "expected a name and a quoted value";
        return std::nullopt;
    }
    const std::string_view name = line.substr(0, blank);
    if (!VariableStore::IsValidName(name)) {
        error = "the name is not a valid variable name";
        return std::nullopt;
    }
    size_t at = line.find_first_not_of(" \t", blank);
    if (at == std::string_view::npos || line[at] != '"') {
        error = "the value must be in double quotes";
        return std::nullopt;
    }
    size_t used = 0;
    std::optional<std::string> value = Unquote(line.substr(at), used, error);
    if (!value) {
        return std::nullopt;
    }
    at += used;
    if (line.find_first_not_of(" \t", at) != std::string_view::npos) {
        error = "unexpected text after the closing double quote";
        return std::nullopt;
    }
    return Variable{std::string(name), std::move(*value)};
}

} // namespace

std::string VariablesFile::Quote(std::string_view value) {
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted.push_back('"');
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted.push_back('\\');
            quoted.push_back(c);
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            quoted += "\\x";
            quoted.push_back(HEX_DIGITS[byte >> 4]);
            quoted.push_back(HEX_DIGITS[byte & 0x0F]);
        } else {
            quoted.push_back(c);
        }
    }
    quoted.push_back('"');
    return quoted;
}

std::string VariablesFile::FirstLine(std::string_view library) {
    return "// Console variables saved by the Dravo reference engine (" + std::string(library) + "). Edit with care.";
}

std::string VariablesFile::Compose(const VariableStore& store, const VariablesFileStyle& style) {
    std::string text = FirstLine(style.m_Library);
    text += style.m_LineBreak;
    text += "// One variable a line: Name \"text\". In the text, \\\" \\\\ \\n \\r \\t and \\xHH stand for "
            "a double quote, a backslash, line feed, carriage return, tab and the byte HH.";
    text += style.m_LineBreak;
    for (const auto& variable : store.All()) {
        text += variable->m_Name;
        text += ' ';
        text += Quote(variable->m_Text);
        text += style.m_LineBreak;
    }
    return text;
}

VariablesFile::Parsed VariablesFile::Parse(std::string_view text, std::string_view fileLabel) {
    Reader reader(fileLabel);
    reader.Feed(text);
    return reader.Finish();
}

void VariablesFile::Reader::Feed(std::string_view bytes) {
    while (!bytes.empty()) {
        if (std::exchange(m_AfterReturn, false) && bytes.front() == '\n') {
            bytes.remove_prefix(1); // the second half of a carriage return and line feed
            if (m_LineNumber == 1) {
                m_Parsed.m_LineBreak = "\r\n"; // the pair was split between two pieces
            }
            continue;
        }
        const size_t end = bytes.find_first_of("\r\n");
        const std::string_view piece = bytes.substr(0, end);
        if (m_Overlong) {
            // The shown part is kept already; the rest of the line goes.
        } else if (m_Line.size() + piece.size() > MAX_LINE_LENGTH) {
            m_Line.append(piece.substr(0, MAX_LINE_LENGTH - m_Line.size()));
            m_Overlong = true;
        } else if (end != std::string_view::npos && m_Line.empty()) {
            EndLine(bytes, end, piece); // the whole line is here: no copy
            continue;
        } else {
            m_Line.append(piece);
        }
        if (end == std::string_view::npos) {
            return;
        }
        std::string line;
        line.swap(m_Line);
        EndLine(bytes, end, line);
    }
}

void VariablesFile::Reader::EndLine(std::string_view& bytes, size_t end, std::string_view line) {
    const bool byReturn = bytes[end] == '\r';
    bytes.remove_prefix(end + 1);
    m_AfterReturn = byReturn;
    if (m_LineNumber == 0) {
        // How the first line ended is how the file is saved again; a carriage return alone is saved as
        // a line feed, which every reader takes.
        m_Parsed.m_LineBreak = byReturn && !bytes.empty() && bytes.front() == '\n' ? "\r\n" : "\n";
    }
    TakeLine(line);
}

VariablesFile::Parsed VariablesFile::Reader::Finish() {
    if (!m_Line.empty() || m_Overlong) {
        std::string line;
        line.swap(m_Line);
        TakeLine(line);
    }
    if (m_Parsed.m_SkippedLines > MAX_REPORTED_LINES) {
        m_Parsed.m_Problems.push_back(m_Label + ": " + std::to_string(m_Parsed.m_SkippedLines - MAX_REPORTED_LINES) +
                                      " more lines were skipped; only the first " + std::to_string(MAX_REPORTED_LINES) +
                                      " are shown.");
    }
    Parsed parsed = std::move(m_Parsed);
    m_Parsed = {};
    m_Index.clear();
    return parsed;
}

void VariablesFile::Reader::TakeLine(std::string_view line) {
    ++m_LineNumber;
    const bool overlong = std::exchange(m_Overlong, false);
    if (m_LineNumber == 1 && line.substr(0, BYTE_ORDER_MARK.size()) == BYTE_ORDER_MARK) {
        line.remove_prefix(BYTE_ORDER_MARK.size());
    }
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#' || line.substr(first, 2) == "//") {
        return;
    }
    if (overlong) {
        Skip(line, "the line is longer than " + std::to_string(MAX_LINE_LENGTH) + " bytes");
        return;
    }
    std::string error;
    if (std::optional<Variable> variable = ParseLine(line.substr(first), error)) {
        Keep(std::move(*variable));
    } else {
        Skip(line, error);
    }
}

void VariablesFile::Reader::Keep(Variable variable) {
    const auto [found, added] = m_Index.try_emplace(TextUtil::ToLower(variable.m_Name), m_Parsed.m_Variables.size());
    if (added) {
        m_Parsed.m_Variables.push_back(std::move(variable));
    } else {
        m_Parsed.m_Variables[found->second].m_Text = std::move(variable.m_Text);
    }
}

void VariablesFile::Reader::Skip(std::string_view line, const std::string& error) {
    if (++m_Parsed.m_SkippedLines <= MAX_REPORTED_LINES) {
        m_Parsed.m_Problems.push_back(m_Label + ":" + std::to_string(m_LineNumber) + ": skipped a line: " + error +
                                      ": " + ShownLine(line));
    }
}

} // namespace dravo::ref
