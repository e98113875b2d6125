// Cutting the watch stream into bounded lines.
#include "services/fleet/LineSplitter.h"

namespace dravo {

void LineSplitter::Feed(std::string_view piece, const std::function<void(std::string_view)>& line) {
    while (!piece.empty()) {
        const size_t end = piece.find('\n');
        const std::string_view part = piece.substr(0, end);
        if (!m_Skipping) {
            if (m_Partial.size() + part.size() > m_MaxLine) {
                m_Partial.clear();
                m_Skipping = true;
                ++m_Dropped;
            } else {
                m_Partial.append(part);
            }
        }
        if (end == std::string_view::npos) {
            return;
        }
        if (!m_Skipping) {
            std::string_view whole = m_Partial;
            if (!whole.empty() && whole.back() == '\r') {
                whole.remove_suffix(1);
            }
            if (!whole.empty()) {
                line(whole);
            }
        }
        m_Partial.clear();
        m_Skipping = false;
        piece.remove_prefix(end + 1);
    }
}

void LineSplitter::Reset() {
    m_Partial.clear();
    m_Skipping = false;
}

} // namespace dravo
