// Dialog units to cells: every control of the program's dialogs keeps its text and its own cells in a
// terminal of 80 x 24, and data grows on a larger one.
#include "window/terminal/TerminalLayout.h"

#include "res/ConsoleWindowTemplate.h"
#include "res/NetGameLevelsTemplate.h"
#include "res/NetGameTemplate.h"
#include "res/NetOptionsTemplate.h"
#include "res/NetRezFilesTemplate.h"
#include "res/NetServicesTemplate.h"
#include "res/ServerOptionsTemplate.h"
#include "res/WizardFrame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dravo {
namespace {

std::vector<const DialogTemplate*> ProgramDialogs() {
    return {&ConsoleWindowTemplate(), &NetServicesTemplate(),   &NetRezFilesTemplate(),  &NetGameTemplate(),
            &NetOptionsTemplate(),    &NetGameLevelsTemplate(), &ServerOptionsTemplate()};
}

bool Frames(const ControlTemplate& control) {
    return control.m_Kind == ControlKind::GroupBox;
}

bool Inside(const CellRect& inner, const CellRect& outer) {
    return inner.m_Col >= outer.m_Col && inner.m_Row >= outer.m_Row &&
           inner.m_Col + inner.m_Width <= outer.m_Col + outer.m_Width &&
           inner.m_Row + inner.m_Height <= outer.m_Row + outer.m_Height;
}

// Cells a control needs to show its caption whole.
int CaptionCells(const ControlTemplate& control) {
    const int text = TerminalLayout::TextColumns(control.m_Text);
    switch (control.m_Kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
        return text + 2;
    case ControlKind::CheckBox:
        return text + 4;
    case ControlKind::Static:
        return control.m_Place.m_Height > 12 ? 1 : text;
    default:
        return 1;
    }
}

TEST(TerminalLayout, EveryProgramDialogFitsAn80By24TerminalWithoutOverlap) {
    for (const DialogTemplate* dialog : ProgramDialogs()) {
        SCOPED_TRACE(dialog->Key());
        const TerminalLayout layout(*dialog, 80, 24);
        EXPECT_TRUE(Inside(layout.Outer(), CellRect{0, 0, 80, 24}));
        const auto controls = dialog->m_Controls;
        for (size_t index = 0; index < controls.size(); ++index) {
            const CellRect& cells = layout.Control(index);
            SCOPED_TRACE(std::string(controls[index].m_Text) + " #" + std::to_string(index));
            EXPECT_TRUE(Inside(cells, layout.Client()));
            EXPECT_GE(cells.m_Height, 1);
            EXPECT_GE(cells.m_Width, CaptionCells(controls[index]));
            for (size_t other = index + 1; other < controls.size(); ++other) {
                if (Frames(controls[index]) || Frames(controls[other]) ||
                    HasFlag(controls[other].m_Flags, ControlFlag::Hidden)) {
                    continue;
                }
                EXPECT_FALSE(cells.Overlaps(layout.Control(other))) << "overlaps #" << other;
            }
        }
    }
}

TEST(TerminalLayout, GroupBoxesKeepABorderRoundWhatTheyFrame) {
    for (const DialogTemplate* dialog : ProgramDialogs()) {
        SCOPED_TRACE(dialog->Key());
        const TerminalLayout layout(*dialog, 80, 24);
        const auto controls = dialog->m_Controls;
        for (size_t group = 0; group < controls.size(); ++group) {
            if (!Frames(controls[group])) {
                continue;
            }
            const CellRect& frame = layout.Control(group);
            const CellRect inside{frame.m_Col + 1, frame.m_Row + 1, frame.m_Width - 2, frame.m_Height - 2};
            for (size_t index = 0; index < controls.size(); ++index) {
                const DialogRect& place = controls[index].m_Place;
                const DialogRect& outer = controls[group].m_Place;
                if (index != group && place.m_X >= outer.m_X && place.m_Y >= outer.m_Y &&
                    place.m_X + place.m_Width <= outer.m_X + outer.m_Width &&
                    place.m_Y + place.m_Height <= outer.m_Y + outer.m_Height) {
                    EXPECT_TRUE(Inside(layout.Control(index), inside)) << controls[index].m_Text;
                }
            }
        }
    }
}

size_t IndexOf(const DialogTemplate& dialog, int id) {
    return static_cast<size_t>(dialog.FindControl(id) - dialog.m_Controls.data());
}

size_t IndexOfText(const DialogTemplate& dialog, std::string_view text) {
    for (size_t index = 0; index < dialog.m_Controls.size(); ++index) {
        if (dialog.m_Controls[index].m_Text == text) {
            return index;
        }
    }
    ADD_FAILURE() << "no control reads " << text;
    return 0;
}

// The setup pages in their order, and screens they are laid out on.
std::vector<const DialogTemplate*> SetupPages() {
    return {&NetServicesTemplate(), &NetRezFilesTemplate(), &NetGameTemplate(), &NetOptionsTemplate(),
            &NetGameLevelsTemplate()};
}
const std::pair<int, int> SETUP_SCREENS[] = {{80, 24}, {120, 40}, {100, 30}};

// The console window's info fields by their labels.
const std::pair<std::string_view, ConsoleControl> CONSOLE_FIELDS[] = {
    {"Name:", ConsoleControl::ServerName},
    {"Running Time:", ConsoleControl::RunningTime},
    {"Net Service:", ConsoleControl::NetService},
    {"Players:", ConsoleControl::PlayerCount},
    {"Current Level:", ConsoleControl::CurrentLevel},
    {"Next Level:", ConsoleControl::NextLevelName},
    {"Time in Level:", ConsoleControl::TimeInLevel},
    {"Level Goal:", ConsoleControl::LevelGoal},
};

TEST(TerminalLayout, ConsoleInfoFieldsKeepRoomForTypicalValuesBesideTheirLabels) {
    const DialogTemplate& console = ConsoleWindowTemplate();
    const TerminalLayout layout(console, 80, 24);
    for (const auto& [labelText, field] : CONSOLE_FIELDS) {
        SCOPED_TRACE(labelText);
        const CellRect& label = layout.Control(IndexOfText(console, labelText));
        const CellRect& value = layout.Control(IndexOf(console, static_cast<int>(field)));
        EXPECT_GE(value.m_Width, TerminalLayout::DATA_FIELD_COLUMNS);
        EXPECT_EQ(label.m_Row, value.m_Row);
        EXPECT_GE(label.m_Width, TerminalLayout::TextColumns(labelText));
        EXPECT_GT(value.m_Col, label.m_Col + label.m_Width) << "a blank column between label and value";
    }
}

TEST(TerminalLayout, ALargerTerminalGrowsListsAndLogsAndTheWindowTakesIt) {
    const DialogTemplate& console = ConsoleWindowTemplate();
    const TerminalLayout small(console, 80, 24);
    const TerminalLayout large(console, 160, 50);
    const auto at = [&console](ConsoleControl id) { return IndexOf(console, static_cast<int>(id)); };
    for (const ConsoleControl grows : {ConsoleControl::PlayerList, ConsoleControl::ConsoleLog}) {
        EXPECT_GT(large.Control(at(grows)).m_Height, small.Control(at(grows)).m_Height);
        EXPECT_GT(large.Control(at(grows)).m_Width, small.Control(at(grows)).m_Width);
    }
    EXPECT_TRUE(large.Framed());
    EXPECT_EQ(large.Outer().m_Width, 160) << "so that windows of one size come out the same size";
    EXPECT_EQ(large.Outer().m_Height, 50);
    EXPECT_FALSE(small.Framed()) << "80 x 24 has no room for a frame round the console window";
    EXPECT_TRUE(Inside(large.Outer(), CellRect{0, 0, 160, 50}));
}

TEST(TerminalLayout, EverySetupPageTakesTheSameFrameAndShowsItsPictureInTheSameColumn) {
    const std::vector<const DialogTemplate*> pages = SetupPages();
    for (const auto& [cols, rows] : SETUP_SCREENS) {
        SCOPED_TRACE(std::to_string(cols) + " x " + std::to_string(rows));
        const TerminalLayout first(*pages[0], cols, rows);
        for (const DialogTemplate* page : pages) {
            const TerminalLayout layout(*page, cols, rows);
            EXPECT_EQ(layout.Outer().m_Col, first.Outer().m_Col) << page->m_Name;
            EXPECT_EQ(layout.Outer().m_Width, first.Outer().m_Width) << page->m_Name;
            EXPECT_EQ(layout.Outer().m_Height, first.Outer().m_Height) << page->m_Name;
            EXPECT_EQ(layout.Control(0).m_Col, first.Control(0).m_Col) << "the picture, " << page->m_Name;
            EXPECT_EQ(layout.Control(0).m_Row, first.Control(0).m_Row) << page->m_Name;
        }
    }
}

TEST(TerminalLayout, EverySetupPageHasItsButtonsOnOneRowAndItsCheckBoxesEvenlySpaced) {
    const std::vector<const DialogTemplate*> pages = SetupPages();
    for (const auto& [cols, rows] : SETUP_SCREENS) {
        SCOPED_TRACE(std::to_string(cols) + " x " + std::to_string(rows));
        const TerminalLayout first(*pages[0], cols, rows);
        for (const DialogTemplate* page : pages) {
            SCOPED_TRACE(page->m_Name);
            const TerminalLayout layout(*page, cols, rows);
            for (const WizardControl button : {WizardControl::Back, WizardControl::Next, WizardControl::Cancel}) {
                const CellRect& there = layout.Control(IndexOf(*page, static_cast<int>(button)));
                const CellRect& onFirst = first.Control(IndexOf(*pages[0], static_cast<int>(button)));
                EXPECT_EQ(there.m_Row, onFirst.m_Row);
                EXPECT_EQ(there.m_Col, onFirst.m_Col);
                EXPECT_EQ(there.m_Width, onFirst.m_Width);
            }
        }
    }
    // Check boxes a step apart in the template are a step apart on the screen, the same step each.
    for (const DialogTemplate* dialog : {&NetServicesTemplate(), &NetOptionsTemplate(), &ServerOptionsTemplate()}) {
        for (const auto& [cols, rows] : {std::pair{80, 24}, std::pair{120, 40}}) {
            SCOPED_TRACE(std::string(dialog->Key()) + " " + std::to_string(cols) + " x " + std::to_string(rows));
            const TerminalLayout layout(*dialog, cols, rows);
            std::vector<int> boxRows;
            for (size_t index = 0; index < dialog->m_Controls.size(); ++index) {
                if (dialog->m_Controls[index].m_Kind == ControlKind::CheckBox) {
                    boxRows.push_back(layout.Control(index).m_Row);
                }
            }
            ASSERT_GE(boxRows.size(), 3u);
            for (size_t box = 2; box < 3; ++box) {
                EXPECT_EQ(boxRows[box] - boxRows[box - 1], boxRows[1] - boxRows[0])
                    << boxRows[0] << " " << boxRows[1] << " " << boxRows[2];
            }
        }
    }
}

TEST(TerminalLayout, InfoLinesFollowEachOtherOnAnyScreen) {
    const DialogTemplate& console = ConsoleWindowTemplate();
    const std::vector<ConsoleControl> lines = {ConsoleControl::PlayerCount, ConsoleControl::CurrentLevel,
                                               ConsoleControl::NextLevelName, ConsoleControl::TimeInLevel,
                                               ConsoleControl::LevelGoal};
    for (const auto& [cols, rows] : {std::pair{80, 24}, std::pair{120, 40}, std::pair{160, 50}}) {
        SCOPED_TRACE(std::to_string(cols) + " x " + std::to_string(rows));
        const TerminalLayout layout(console, cols, rows);
        std::vector<int> steps;
        for (size_t line = 1; line < lines.size(); ++line) {
            steps.push_back(layout.Control(IndexOf(console, static_cast<int>(lines[line]))).m_Row -
                            layout.Control(IndexOf(console, static_cast<int>(lines[line - 1]))).m_Row);
        }
        for (const int step : steps) {
            EXPECT_GE(step, 1);
            EXPECT_LE(step, 2);
        }
        EXPECT_LE(*std::max_element(steps.begin(), steps.end()) - *std::min_element(steps.begin(), steps.end()), 1)
            << "evenly spaced";
    }
}

TEST(TerminalLayout, ATooSmallTerminalStillGivesEveryControlACell) {
    const TerminalLayout layout(ConsoleWindowTemplate(), 30, 10);
    for (size_t index = 0; index < layout.ControlCount(); ++index) {
        EXPECT_GE(layout.Control(index).m_Width, 1);
        EXPECT_GE(layout.Control(index).m_Height, 1);
    }
    EXPECT_GT(layout.Outer().m_Width, 30) << "it is clipped, not squeezed into nothing";
}

TEST(TerminalLayout, MnemonicMarksTakeNoRoomAndTabStopsScaleWithTheList) {
    EXPECT_EQ(TerminalLayout::TextColumns("&Next >"), 6);
    EXPECT_EQ(TerminalLayout::TextColumns("Fish && Chips"), 12);
    EXPECT_EQ(TerminalLayout::TextColumns("Trailing&"), 9);

    const DialogTemplate& console = ConsoleWindowTemplate();
    const size_t list = IndexOf(console, static_cast<int>(ConsoleControl::PlayerList));
    const TerminalLayout layout(console, 80, 24);
    const int width = layout.Control(list).m_Width;
    EXPECT_EQ(layout.TabStopColumn(list, 0), 0);
    EXPECT_EQ(layout.TabStopColumn(list, 173), width);
    EXPECT_LT(layout.TabStopColumn(list, 30), layout.TabStopColumn(list, 116));
}

TEST(TerminalLayout, TheConsoleLogTakesTheWholeWidthAtTheFootAndGrowsWithTheScreen) {
    const DialogTemplate& console = ConsoleWindowTemplate();
    const auto at = [&console](ConsoleControl id) { return IndexOf(console, static_cast<int>(id)); };
    const TerminalLayout small = TerminalLayout::LogBelow(console, 80, 24);
    const TerminalLayout large = TerminalLayout::LogBelow(console, 120, 40);
    for (const TerminalLayout* layout : {&small, &large}) {
        const CellRect screen = layout->Outer();
        SCOPED_TRACE(std::to_string(screen.m_Width) + " x " + std::to_string(screen.m_Height));
        const CellRect& log = layout->Control(at(ConsoleControl::ConsoleLog));
        EXPECT_GE(log.m_Height, TerminalLayout::MIN_LOG_ROWS);
        EXPECT_GE(log.m_Width, screen.m_Width - 4);
        const CellRect& input = layout->Control(at(ConsoleControl::CommandInput));
        EXPECT_EQ(input.m_Row, log.m_Row + log.m_Height) << "the input line is under the log";
        EXPECT_EQ(layout->Legend().m_Row, screen.m_Height - 1);
        EXPECT_EQ(layout->Legend().m_Row, input.m_Row + 1);
        const auto controls = console.m_Controls;
        for (size_t index = 0; index < controls.size(); ++index) {
            SCOPED_TRACE(std::string(controls[index].m_Text) + " #" + std::to_string(index));
            const CellRect& cells = layout->Control(index);
            if (HasFlag(controls[index].m_Flags, ControlFlag::Hidden)) {
                EXPECT_TRUE(cells.Empty());
                continue;
            }
            EXPECT_TRUE(Inside(cells, layout->Client()));
            EXPECT_GE(cells.m_Width, CaptionCells(controls[index]));
            EXPECT_FALSE(cells.Overlaps(layout->Legend()));
            for (size_t other = index + 1; other < controls.size(); ++other) {
                // A button below a list stands on the rule of its frame.
                const bool onRule = Frames(controls[index]) != Frames(controls[other]);
                if (!HasFlag(controls[other].m_Flags, ControlFlag::Hidden) && !onRule) {
                    EXPECT_FALSE(cells.Overlaps(layout->Control(other))) << "overlaps #" << other;
                }
            }
        }
    }
    for (const ConsoleControl grows :
         {ConsoleControl::ConsoleLog, ConsoleControl::PlayerList, ConsoleControl::LevelList}) {
        EXPECT_GT(large.Control(at(grows)).m_Height, small.Control(at(grows)).m_Height);
        EXPECT_GT(large.Control(at(grows)).m_Width, small.Control(at(grows)).m_Width);
    }
    EXPECT_GE(small.Control(at(ConsoleControl::LevelList)).m_Height, 2);
    EXPECT_GE(small.Control(at(ConsoleControl::PlayerList)).m_Height, 2);
}

TEST(TerminalLayout, TheConsoleInfoFieldsEachKeepALineAndTheirValuesBeginInOneColumn) {
    const DialogTemplate& console = ConsoleWindowTemplate();
    for (const auto& [cols, rows] : {std::pair{80, 24}, std::pair{120, 40}}) {
        SCOPED_TRACE(std::to_string(cols) + " x " + std::to_string(rows));
        const TerminalLayout layout = TerminalLayout::LogBelow(console, cols, rows);
        std::set<int> lines;
        const int valueColumn = layout.Control(IndexOf(console, static_cast<int>(CONSOLE_FIELDS[0].second))).m_Col;
        for (const auto& [labelText, field] : CONSOLE_FIELDS) {
            SCOPED_TRACE(labelText);
            const CellRect& label = layout.Control(IndexOfText(console, labelText));
            const CellRect& value = layout.Control(IndexOf(console, static_cast<int>(field)));
            EXPECT_EQ(label.m_Row, value.m_Row);
            EXPECT_TRUE(lines.insert(value.m_Row).second) << "a line of its own";
            EXPECT_GE(value.m_Width, 24) << "an address and port, a level path";
            EXPECT_EQ(value.m_Col, valueColumn);
            EXPECT_GT(value.m_Col, label.m_Col + label.m_Width - 1) << "a blank column between label and value";
        }
    }
}

TEST(TerminalLayout, ADialogWithoutALogOrAScreenTooSmallKeepsItsTemplatesArrangement) {
    const TerminalLayout page = TerminalLayout::LogBelow(NetServicesTemplate(), 80, 24);
    const TerminalLayout own(NetServicesTemplate(), 80, 24);
    EXPECT_TRUE(page.Legend().Empty());
    EXPECT_EQ(page.Outer().m_Width, own.Outer().m_Width);
    EXPECT_EQ(page.Control(0).m_Col, own.Control(0).m_Col);
    const TerminalLayout tiny = TerminalLayout::LogBelow(ConsoleWindowTemplate(), 80, 20);
    EXPECT_TRUE(tiny.Legend().Empty()) << "20 rows hold no log of ten lines under the info";
}

} // namespace
} // namespace dravo
