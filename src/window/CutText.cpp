// Cutting a run-time text to its one-line field, with a mark where it was cut.
#include "window/CutText.h"

#include <algorithm>

namespace dravo {

bool MarksCutText(const ControlTemplate& control) {
    return control.m_Kind == ControlKind::Static && control.m_Id != NO_CONTROL_ID &&
           control.m_Place.m_Height <= ONE_LINE_TEXT_UNITS;
}

std::string CutWithMark(std::string_view text, int room, const TextWidth& width, const CharacterEnd& next) {
    const size_t lineEnd = text.find_first_of("\r\n");
    // Lines after the first are not shown: they count as cut.
    const bool moreLines =
        lineEnd != std::string_view::npos && text.find_first_not_of("\r\n", lineEnd) != std::string_view::npos;
    text = text.substr(0, lineEnd);
    if (!moreLines && width(text) <= room) {
        return std::string(text);
    }
    const int markWidth = width(CUT_MARK);
    size_t kept = 0;
    for (size_t at = 0; at < text.size();) {
        // A step that does not move on (a face's stepper at a byte it does not know) still takes one byte.
        const size_t end = std::max(next(text, at), at + 1);
        if (end > text.size() || width(text.substr(0, end)) + markWidth > room) {
            break;
        }
        kept = end;
        at = end;
    }
    while (kept > 0 && (text[kept - 1] == ' ' || text[kept - 1] == '\t')) {
        --kept;
    }
    return std::string(text.substr(0, kept)) + std::string(CUT_MARK);
}

} // namespace dravo
