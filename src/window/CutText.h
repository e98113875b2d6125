// CutText: a text filled in at run time (a server name, a level name, an address) that is wider than
// its one-line field. The field shows the start that fits and ends it with CUT_MARK, so that the
// operator sees there is more; the dialog's model keeps the whole text. One rule for every face, each
// measuring in its own units (cells on a terminal, pixels in a window).
#pragma once

#include "window/DialogTemplate.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace dravo {

inline constexpr std::string_view CUT_MARK = "...";
// A static no taller than this (dialog units) holds one line; a taller one wraps its words.
inline constexpr int ONE_LINE_TEXT_UNITS = 12;

// How wide a piece of text is, in the field's units.
using TextWidth = std::function<int(std::string_view)>;
// The end of the character that begins at `at` (inside the text): how a face steps through whole
// characters.
using CharacterEnd = std::function<size_t(std::string_view, size_t)>;

// Whether the control shows text filled in at run time on one line, cut with the mark when it is too
// wide: a static with an id, one line high. Labels of the template fit as laid out.
bool MarksCutText(const ControlTemplate& control);

// The text as a field `room` wide shows it: the whole text when it fits; else the longest start of whole
// characters that fits with the mark after it, without the blanks that ended that start, then the mark.
// Only the first line of the text is shown; lines after it count as cut.
std::string CutWithMark(std::string_view text, int room, const TextWidth& width, const CharacterEnd& next);

} // namespace dravo
