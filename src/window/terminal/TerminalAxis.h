// TerminalAxis: one axis of a dialog laid out in cells - a monotone map from dialog units to cells that
// keeps the least distances required between places, and shares the room left in proportion to units.
#pragma once

#include <cstddef>
#include <vector>

namespace dravo {

class TerminalAxis {
public:
    // The axis runs from unit 0 to extentUnits. Places closer than snapUnits to the first of a run
    // of places aim at the same cell, so that a label and the field beside it, a unit or two apart in
    // the template, share a line.
    TerminalAxis(int extentUnits, int snapUnits);

    // A place that must get a cell position, though nothing is required of it.
    void AddPlace(int units);
    // Keeps `to` at least the larger of fixedCells, dataCells (when data minimums are kept) and
    // naturalCells times the scale after `from`. Requirements between equal places are ignored.
    void Require(int fromUnits, int toUnits, int fixedCells, double naturalCells = 0.0, int dataCells = 0);
    // The same for a control one line high: its end follows its start and, unless another control
    // starts there, takes no part in the spread, so that a stack of such lines keeps even steps.
    void RequireLine(int fromUnits, int toUnits, int fixedCells);
    // Where a control starts: a place that the spread aims at its proportional cell.
    void MarkStart(int units);

    // Places everything within `available` cells, growing data as far as maxScale allows, and spreads
    // the places over at least fillCells (as far as `available` goes) when data alone does not take
    // them. False when it does not fit even with data at its least: the places are then packed as
    // tight as they go.
    bool Solve(int available, double maxScale, bool keepDataMinimum, int fillCells = 0);

    // The cell of a place given to AddPlace or Require.
    int Cell(int units) const;
    // Cells the solved axis takes.
    int Extent() const { return m_Cells.empty() ? 0 : m_Cells.back(); }
    double Scale() const { return m_Scale; }

private:
    struct Edge {
        int m_From = 0; // indexes into m_Units once solving
        int m_To = 0;
        int m_Fixed = 0;
        double m_Natural = 0.0;
        int m_Data = 0;
    };
    int Weight(const Edge& edge, double scale, bool keepData) const;
    // Gives every place its cell within the solved extent, the latest cell of each place known.
    void Spread(int extent, const std::vector<int>& latest, bool keepDataMinimum);
    std::vector<int> Packed(double scale, bool keepData) const;
    int IndexOf(int units) const;

    int m_ExtentUnits;
    int m_SnapUnits;
    std::vector<int> m_Units;
    std::vector<int> m_Starts;    // places where controls start
    std::vector<int> m_LineEnds;  // places where one-line controls end
    std::vector<bool> m_Trailing; // by place once solving: ends only, which follow their start
    std::vector<Edge> m_Edges;    // in units until Solve indexes them
    std::vector<std::vector<size_t>> m_Incoming;
    std::vector<int> m_Cells;
    double m_Scale = 0.0;
};

} // namespace dravo
