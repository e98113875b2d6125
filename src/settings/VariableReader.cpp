// Reading the service variables, and saying which values were not taken.
#include "settings/VariableReader.h"

#include "platform/net/UdpSocket.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

namespace dravo {
namespace {

// Whole numbers in full ("2000000", not "2e+06"), others as short as they go.
std::string NumberText(double value) {
    char text[32];
    const bool whole = value == std::trunc(value) && std::fabs(value) < 1e15;
    std::snprintf(text, sizeof text, whole ? "%.0f" : "%g", value);
    return text;
}

} // namespace

std::string DescribeRange(const ServiceVariable& variable) {
    if (variable.m_LowOpen) {
        return "above " + NumberText(variable.m_Low) + ", up to " + NumberText(variable.m_High);
    }
    return "from " + NumberText(variable.m_Low) + " to " + NumberText(variable.m_High);
}

std::optional<std::string> VariableReader::Raw(const ServiceVariable& variable) {
    const std::string name(variable.m_Name);
    VariableHandle handle = nullptr;
    char text[MAX_TEXT_SIZE] = {};
    if (m_Server.FindVariable(name.c_str(), &handle, nullptr) != ENGINE_STATUS_OK || handle == nullptr ||
        m_Server.ReadVariableText(handle, text, sizeof text) != ENGINE_STATUS_OK) {
        return std::nullopt;
    }
    text[sizeof text - 1] = '\0';
    if (text[0] == '\0') {
        return std::nullopt;
    }
    return std::string(text);
}

void VariableReader::Refuse(const ServiceVariable& variable, const std::string& value, const std::string& why) {
    const bool secret = variable.m_Kind == VariableKind::Secret;
    m_Problems.push_back(std::string(variable.m_Name) + (secret ? "" : " \"" + value + "\"") + " " + why + "; " +
                         (variable.m_Default.empty() ? "it is not used"
                                                     : "the default (" + std::string(variable.m_Default) + ") holds") +
                         ".");
}

std::optional<double> VariableReader::Number(const ServiceVariable& variable) {
    const std::optional<std::string> text = Raw(variable);
    if (!text) {
        return std::nullopt;
    }
    // The whole text must be the number, blanks around it aside ("9358x" is none); any locale reads alike.
    const size_t first = text->find_first_not_of(" \t");
    const size_t last = text->find_last_not_of(" \t");
    double number = std::numeric_limits<double>::quiet_NaN();
    if (first != std::string::npos) {
        const char* end = text->data() + last + 1;
        const auto [stop, error] = std::from_chars(text->data() + first, end, number);
        if (error != std::errc() || stop != end) {
            number = std::numeric_limits<double>::quiet_NaN();
        }
    }
    const bool aboveLow = variable.m_LowOpen ? number > variable.m_Low : number >= variable.m_Low;
    if (!(aboveLow && number <= variable.m_High)) { // NaN never is one
        Refuse(variable, *text, "is no number " + DescribeRange(variable));
        return std::nullopt;
    }
    // The range holds for the value as given; a whole number then loses its fraction.
    return variable.m_Kind == VariableKind::Whole ? std::trunc(number) : number;
}

std::optional<uint32_t> VariableReader::Whole(const ServiceVariable& variable) {
    const std::optional<double> number = Number(variable);
    if (!number || *number < 0) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(*number);
}

std::optional<std::chrono::milliseconds> VariableReader::Seconds(const ServiceVariable& variable) {
    const std::optional<double> number = Number(variable);
    if (!number) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(static_cast<int64_t>(std::llround(*number * 1000.0)));
}

std::optional<std::string> VariableReader::Text(const ServiceVariable& variable) {
    return Raw(variable);
}

std::optional<uint32_t> VariableReader::Address(const ServiceVariable& variable) {
    const std::optional<std::string> text = Raw(variable);
    if (!text) {
        return std::nullopt;
    }
    std::optional<uint32_t> address = UdpSocket::ParseAddress(text->c_str());
    if (!address) {
        Refuse(variable, *text, "is no IPv4 address");
    }
    return address;
}

} // namespace dravo
