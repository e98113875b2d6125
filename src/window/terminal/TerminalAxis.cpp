// Solving one axis of a terminal layout: longest paths over the required distances, then a spread
// towards proportional places within the slack each place has.
#include "window/terminal/TerminalAxis.h"

#include <algorithm>
#include <cmath>

namespace dravo {
namespace {

constexpr int SCALE_STEPS = 24; // halvings of the scale interval: far finer than a cell
// Runs of places at most this many snap distances (half cells) apart follow each other in steps,
// straying at most this far from where the chain of them began.
constexpr int SHORT_STEPS = 4;
constexpr double MAX_DRIFT_CELLS = 1.5;
// Places this many short steps from the end of the axis or nearer belong to the dialog's foot.
constexpr int BOTTOM_STEPS = 2;

} // namespace

TerminalAxis::TerminalAxis(int extentUnits, int snapUnits)
    : m_ExtentUnits(std::max(extentUnits, 1)), m_SnapUnits(snapUnits) {
    AddPlace(0);
    AddPlace(m_ExtentUnits);
}

void TerminalAxis::AddPlace(int units) {
    m_Units.push_back(std::clamp(units, 0, m_ExtentUnits));
}

void TerminalAxis::Require(int fromUnits, int toUnits, int fixedCells, double naturalCells, int dataCells) {
    fromUnits = std::clamp(fromUnits, 0, m_ExtentUnits);
    toUnits = std::clamp(toUnits, 0, m_ExtentUnits);
    AddPlace(fromUnits);
    AddPlace(toUnits);
    if (fromUnits < toUnits) {
        m_Edges.push_back(Edge{fromUnits, toUnits, fixedCells, naturalCells, dataCells});
    }
}

void TerminalAxis::RequireLine(int fromUnits, int toUnits, int fixedCells) {
    Require(fromUnits, toUnits, fixedCells);
    MarkStart(fromUnits);
    m_LineEnds.push_back(std::clamp(toUnits, 0, m_ExtentUnits));
}

void TerminalAxis::MarkStart(int units) {
    m_Starts.push_back(std::clamp(units, 0, m_ExtentUnits));
}

int TerminalAxis::IndexOf(int units) const {
    const auto found = std::lower_bound(m_Units.begin(), m_Units.end(), std::clamp(units, 0, m_ExtentUnits));
    return static_cast<int>(found - m_Units.begin());
}

int TerminalAxis::Weight(const Edge& edge, double scale, bool keepData) const {
    const int grown = static_cast<int>(std::ceil(edge.m_Natural * scale - 1e-9));
    return std::max({edge.m_Fixed, keepData ? edge.m_Data : 0, grown});
}

std::vector<int> TerminalAxis::Packed(double scale, bool keepData) const {
    std::vector<int> cells(m_Units.size(), 0);
    for (size_t place = 1; place < m_Units.size(); ++place) {
        int cell = cells[place - 1];
        for (const size_t edge : m_Incoming[place]) {
            cell = std::max(cell,
                            cells[static_cast<size_t>(m_Edges[edge].m_From)] + Weight(m_Edges[edge], scale, keepData));
        }
        cells[place] = cell;
    }
    return cells;
}

bool TerminalAxis::Solve(int available, double maxScale, bool keepDataMinimum, int fillCells) {
    std::sort(m_Units.begin(), m_Units.end());
    m_Units.erase(std::unique(m_Units.begin(), m_Units.end()), m_Units.end());
    m_Trailing.assign(m_Units.size(), false);
    for (const int end : m_LineEnds) {
        m_Trailing[static_cast<size_t>(IndexOf(end))] = true;
    }
    for (const int start : m_Starts) {
        m_Trailing[static_cast<size_t>(IndexOf(start))] = false;
    }
    m_Trailing.front() = false;
    m_Trailing.back() = false;
    m_Incoming.assign(m_Units.size(), {});
    for (size_t index = 0; index < m_Edges.size(); ++index) {
        Edge& edge = m_Edges[index];
        edge.m_From = IndexOf(edge.m_From);
        edge.m_To = IndexOf(edge.m_To);
        m_Incoming[static_cast<size_t>(edge.m_To)].push_back(index);
    }
    std::vector<int> packed = Packed(0.0, keepDataMinimum);
    if (packed.back() > available) {
        m_Cells = std::move(packed);
        m_Scale = 0.0;
        return false;
    }
    double low = 0.0;
    double high = maxScale;
    if (Packed(high, keepDataMinimum).back() <= available) {
        low = high;
    }
    for (int step = 0; step < SCALE_STEPS && low < high; ++step) {
        const double middle = (low + high) / 2;
        (Packed(middle, keepDataMinimum).back() <= available ? low : high) = middle;
    }
    m_Scale = low;
    packed = Packed(m_Scale, keepDataMinimum);
    const int extent = std::max(packed.back(), std::min(fillCells, available));

    // The latest cell each place may take without pushing a later one past the extent.
    std::vector<int> latest(m_Units.size(), extent);
    for (size_t place = m_Units.size(); place-- > 0;) {
        if (place + 1 < m_Units.size()) {
            latest[place] = std::min(latest[place], latest[place + 1]);
        }
        for (const size_t edge : m_Incoming[place]) {
            const auto from = static_cast<size_t>(m_Edges[edge].m_From);
            latest[from] = std::min(latest[from], latest[place] - Weight(m_Edges[edge], m_Scale, keepDataMinimum));
        }
    }
    Spread(extent, latest, keepDataMinimum);
    return true;
}

void TerminalAxis::Spread(int extent, const std::vector<int>& latest, bool keepDataMinimum) {
    const double cellsPerUnit = 1.0 * extent / m_ExtentUnits;
    const int shortStep = SHORT_STEPS * m_SnapUnits;
    m_Cells.assign(m_Units.size(), 0);
    int runStart = 0;
    size_t runPlace = 0;
    double offset = 0.0;      // where the run before sits, less its proportional cell
    double chainOffset = 0.0; // the offset the present chain of short steps began with
    for (size_t place = 1; place < m_Units.size(); ++place) {
        if (m_Trailing[place]) { // the end of a line follows its start as closely as it may
            int earliest = m_Cells[place - 1];
            for (const size_t edge : m_Incoming[place]) {
                earliest = std::max(earliest, m_Cells[static_cast<size_t>(m_Edges[edge].m_From)] +
                                                  Weight(m_Edges[edge], m_Scale, keepDataMinimum));
            }
            m_Cells[place] = std::clamp(earliest, earliest, std::max(earliest, latest[place]));
            continue;
        }
        const bool newRun = m_Units[place] - runStart >= m_SnapUnits;
        const int step = m_Units[place] - runStart;
        const bool fromEdge = runStart == 0;
        if (newRun) {
            runStart = m_Units[place];
            runPlace = place;
        }
        int earliest = m_Cells[place - 1];
        for (const size_t edge : m_Incoming[place]) {
            earliest = std::max(earliest, m_Cells[static_cast<size_t>(m_Edges[edge].m_From)] +
                                              Weight(m_Edges[edge], m_Scale, keepDataMinimum));
        }
        const int last = std::max(earliest, latest[place]);
        if (!newRun) {
            m_Cells[place] = std::clamp(m_Cells[runPlace], earliest, last);
            continue;
        }
        const double proportional = runStart * cellsPerUnit;
        int aim = static_cast<int>(std::lround(proportional));
        if (step <= shortStep && fromEdge) {
            aim = earliest; // the margins are as narrow as they may be, the same in every dialog
        } else if (m_ExtentUnits - runStart <= BOTTOM_STEPS * shortStep && runStart < m_ExtentUnits) {
            // The foot of a dialog (a line and its buttons) sits as low as it may, the same in
            // every dialog of one size.
            aim = last;
        } else if (step <= shortStep) {
            // A line a step after another (labels, a stack of check boxes) follows it by a rounded step,
            // so that even steps stay even and lines held back by their neighbours stay together; once
            // that strays far from where the chain began, it aims from there again.
            const bool strayed = std::abs(offset - chainOffset) > MAX_DRIFT_CELLS;
            aim = static_cast<int>(std::lround(proportional + (strayed ? chainOffset : offset)));
        }
        m_Cells[place] = std::clamp(aim, earliest, last);
        offset = m_Cells[place] - proportional;
        if (step > shortStep || m_Cells[place] != aim) {
            chainOffset = offset; // a long step, or a line its neighbours moved, begins a chain
        }
    }
    m_Cells.back() = std::max(m_Cells.back(), extent);
}

int TerminalAxis::Cell(int units) const {
    const auto index = static_cast<size_t>(IndexOf(units));
    return index < m_Cells.size() ? m_Cells[index] : Extent();
}

} // namespace dravo
