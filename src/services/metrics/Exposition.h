// Exposition: the Prometheus text format (version 0.0.4), written series by series.
//
//   # HELP <name> <text>          help text with "\" and line breaks escaped
//   # TYPE <name> <type>          counter, gauge or histogram
//   <name>{<label>="<value>",...} <number>
//
// Label values escape "\", the double quote and line breaks. Integers are written as integers, other
// numbers in their shortest exact form; a histogram writes its cumulative buckets with "le" (the last
// one "+Inf"), then _sum and _count.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace dravo {

struct MetricLabel {
    std::string_view m_Name;
    std::string_view m_Value;
};

class Exposition {
public:
    enum class Type { Counter, Gauge, Histogram };

    void Family(std::string_view name, std::string_view help, Type type);
    void Sample(std::string_view name, std::initializer_list<MetricLabel> labels, uint64_t value);
    void Sample(std::string_view name, std::initializer_list<MetricLabel> labels, double value);
    // One series of a counter or gauge family without labels: the family's lines and its sample.
    void Single(std::string_view name, std::string_view help, Type type, uint64_t value);
    // A whole histogram family: `bounds` are the upper bounds, `counts` the observations of each bucket
    // (not cumulative) with one more for those above the last bound.
    void Histogram(std::string_view name, std::string_view help, std::span<const double> bounds,
                   std::span<const uint64_t> counts, double sum);

    const std::string& Text() const { return m_Text; }

    static std::string EscapeLabelValue(std::string_view value);
    static std::string EscapeHelp(std::string_view help);
    static std::string FormatNumber(double value);

private:
    void SeriesName(std::string_view name, std::initializer_list<MetricLabel> labels);

    std::string m_Text;
};

} // namespace dravo
