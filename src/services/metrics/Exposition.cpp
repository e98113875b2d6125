// Writing the Prometheus text format.
#include "services/metrics/Exposition.h"

#include <charconv>
#include <cmath>

namespace dravo {
namespace {

const char* TypeName(Exposition::Type type) {
    switch (type) {
    case Exposition::Type::Counter:
        return "counter";
    case Exposition::Type::Gauge:
        return "gauge";
    case Exposition::Type::Histogram:
        return "histogram";
    }
    return "untyped";
}

} // namespace

std::string Exposition::EscapeLabelValue(std::string_view value) {
    std::string escaped;
    escaped.reserve(value.size());
    for (const char c : value) {
        if (c == '\\' || c == '"') {
            escaped += '\\';
            escaped += c;
        } else if (c == '\n') {
            escaped += "\\n";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string Exposition::EscapeHelp(std::string_view help) {
    std::string escaped;
    for (const char c : help) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\n') {
            escaped += "\\n";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string Exposition::FormatNumber(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "+Inf" : "-Inf";
    }
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

void Exposition::Family(std::string_view name, std::string_view help, Type type) {
    m_Text.append("# HELP ").append(name).append(" ").append(EscapeHelp(help)).append("\n");
    m_Text.append("# TYPE ").append(name).append(" ").append(TypeName(type)).append("\n");
}

void Exposition::SeriesName(std::string_view name, std::initializer_list<MetricLabel> labels) {
    m_Text.append(name);
    if (labels.size() == 0) {
        return;
    }
    m_Text += '{';
    bool first = true;
    for (const MetricLabel& label : labels) {
        if (!first) {
            m_Text += ',';
        }
        first = false;
        m_Text.append(label.m_Name).append("=\"").append(EscapeLabelValue(label.m_Value)).append("\"");
    }
    m_Text += '}';
}

void Exposition::Sample(std::string_view name, std::initializer_list<MetricLabel> labels, uint64_t value) {
    SeriesName(name, labels);
    m_Text.append(" ").append(std::to_string(value)).append("\n");
}

void Exposition::Sample(std::string_view name, std::initializer_list<MetricLabel> labels, double value) {
    SeriesName(name, labels);
    m_Text.append(" ").append(FormatNumber(value)).append("\n");
}

void Exposition::Single(std::string_view name, std::string_view help, Type type, uint64_t value) {
    Family(name, help, type);
    Sample(name, {}, value);
}

void Exposition::Histogram(std::string_view name, std::string_view help, std::span<const double> bounds,
                           std::span<const uint64_t> counts, double sum) {
    Family(name, help, Type::Histogram);
    const std::string bucket = std::string(name) + "_bucket";
    uint64_t cumulative = 0;
    for (size_t i = 0; i < counts.size(); ++i) {
        cumulative += counts[i];
        const std::string bound = i < bounds.size() ? FormatNumber(bounds[i]) : std::string("+Inf");
        Sample(bucket, {{"le", bound}}, cumulative);
    }
    Sample(std::string(name) + "_sum", {}, sum);
    Sample(std::string(name) + "_count", {}, cumulative);
}

} // namespace dravo
