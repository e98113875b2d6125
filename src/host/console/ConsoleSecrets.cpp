// Reading the secret variables and masking them in console lines and commands.
#include "host/console/ConsoleSecrets.h"

#include "settings/VariableReader.h"

#include <algorithm>
#include <cctype>

namespace dravo {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
    return std::search(text.begin(), text.end(), part.begin(), part.end(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           }) != text.end();
}

// Where a secret variable's name ends in the command, if it names one.
size_t SecretNameEnd(std::string_view command) {
    for (const ServiceVariable& secret : SECRET_VARIABLES) {
        const std::string_view name = secret.m_Name;
        const auto found = std::search(command.begin(), command.end(), name.begin(), name.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
        });
        if (found != command.end()) {
            return static_cast<size_t>(found - command.begin()) + name.size();
        }
    }
    return std::string_view::npos;
}

void ReplaceAll(std::string& line, std::string_view value) {
    for (size_t at = line.find(value); at != std::string::npos; at = line.find(value, at + SECRET_MASK.size())) {
        line.replace(at, value.size(), SECRET_MASK);
    }
}

} // namespace

void ConsoleSecrets::ReadFrom(EngineServer& server) {
    VariableReader reader(server);
    for (const ServiceVariable& secret : SECRET_VARIABLES) {
        SetValue(secret.m_Name, reader.Text(secret).value_or("").substr(0, SECRET_VALUE_SIZE - 1));
    }
}

void ConsoleSecrets::SetValue(std::string_view name, std::string_view value) {
    for (size_t i = 0; i < SECRET_VARIABLES.size(); ++i) {
        if (EqualsNoCase(name, SECRET_VARIABLES[i].m_Name)) {
            std::scoped_lock lock(m_Mutex);
            m_Values[i] = value;
        }
    }
}

std::string ConsoleSecrets::Value(std::string_view name) const {
    for (size_t i = 0; i < SECRET_VARIABLES.size(); ++i) {
        if (EqualsNoCase(name, SECRET_VARIABLES[i].m_Name)) {
            std::scoped_lock lock(m_Mutex);
            return m_Values[i];
        }
    }
    return {};
}

std::string ConsoleSecrets::MaskLine(std::string_view line) const {
    std::string masked(line);
    std::scoped_lock lock(m_Mutex);
    for (size_t i = 0; i < SECRET_VARIABLES.size(); ++i) {
        const std::string& value = m_Values[i];
        if (!value.empty() && (value.size() >= MIN_MASKED_CHARS || ContainsNoCase(line, SECRET_VARIABLES[i].m_Name))) {
            ReplaceAll(masked, value);
        }
    }
    return masked;
}

// Whatever form sets the variable ("+Name" "value", set Name value, Name value), everything after its
// name is masked; a command that only names it (to show its value) is left as it is.
std::string ConsoleSecrets::MaskCommand(std::string_view command) {
    size_t end = SecretNameEnd(command);
    if (end == std::string_view::npos) {
        return std::string(command);
    }
    // The quote that closes a quoted name ("+RconPassword"), not one that opens the value.
    if (end < command.size() && command[end] == '"' &&
        std::count(command.begin(), command.begin() + static_cast<std::ptrdiff_t>(end), '"') % 2 == 1) {
        ++end;
    }
    if (command.find_first_not_of(" \t\"", end) == std::string_view::npos) {
        return std::string(command);
    }
    return std::string(command.substr(0, end)) + " \"" + std::string(SECRET_MASK) + "\"";
}

} // namespace dravo
